#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <Imath/ImathVec.h>

#include "core/Plugin.h"
#include "core/Rig.h"
#include "rg/RgNode.h"
#include "rg/RgStatus.h"

namespace rghost {

// What one deform call of a frame gave.
struct FrameResult {
    std::size_t frame = 0;                // index of the frame in the rig
    RgStatus status = RgStatus::Success;  // what deform returned
    std::vector<std::string> errors;      // lines shown through MGlobal::displayError, in order
    std::vector<Imath::V3d> points;       // the points after the call
};

// Frames first..last, both included, 0-based.
struct FrameRange {
    std::size_t first = 0;
    std::size_t last = 0;
};

// Why `range` does not fit a rig of `frameCount` frames, or an empty string.
std::string describeFrameRangeProblem(const FrameRange& range, std::size_t frameCount);

struct RunOptions {
    // The frames to record; every frame before `first` is still evaluated, so
    // the node's cache is exactly as after a full run. Unset: all frames.
    std::optional<FrameRange> range;
    // Called after each evaluated frame, recorded or not (e.g. for a progress bar).
    std::function<void(std::size_t frame, std::size_t frameCount)> onFrameEvaluated;
};

// Plays the rig on `node` as a host plays an animation: the node is named after
// the rig, then every frame in order gets its attribute map and a fresh copy of
// the rest geometry, and deform is called while the error lines are captured.
// Returns the recorded frames. Throws std::out_of_range for a range that does
// not fit the rig (see describeFrameRangeProblem).
std::vector<FrameResult> runRig(RgNode& node, const Rig& rig, const RunOptions& options = {});

// runRig on one new node of `plugin`.
std::vector<FrameResult> runRig(const Plugin& plugin, const Rig& rig, const RunOptions& options = {});

} // namespace rghost
