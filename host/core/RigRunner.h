#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
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
    std::int64_t frame = 0;              // scene frame number: the rig's startFrame plus the frame's index
    RgStatus status = RgStatus::Success; // what deform returned
    std::vector<std::string> errors;     // lines shown through MGlobal::displayError, in order
    std::vector<Imath::V3d> points;      // the points after the call
    double seconds = 0.0;                // how long the deform call took
};

// Which frames of a rig to play, by index (0-based, both ends included):
// frames firstPlayed..last are evaluated in order on one node, and those from
// firstRecorded on are handed out. Frames before firstPlayed are not evaluated
// at all, so the node starts there with no cache.
struct FramePlan {
    std::size_t firstPlayed = 0;
    std::size_t firstRecorded = 0;
    std::size_t last = 0;
};

// Every frame of `rig`, played and recorded.
FramePlan wholeRig(const Rig& rig);

// Receives each played frame; `recorded` is false for the frames played only
// to bring the node's cache to where a host's would be. It may move the points out.
using FrameReceiver = std::function<void(FrameResult& result, bool recorded)>;

// Plays the rig on `node` as a host plays an animation: the node is named after
// the rig, then every planned frame in order gets its attribute map and a fresh
// copy of the rest geometry, and deform is called while the error lines are
// captured. A frame whose points come back not all finite is a failed frame:
// status Failure, its rest points, and a last error line naming the first
// such vertex. Throws std::out_of_range for a plan that does not fit the rig.
void playRig(RgNode& node, const Rig& rig, const FramePlan& plan, const FrameReceiver& receive);

// Every frame of the rig played on `node`, or on one new node of `plugin`.
std::vector<FrameResult> runRig(RgNode& node, const Rig& rig);
std::vector<FrameResult> runRig(const Plugin& plugin, const Rig& rig);

} // namespace rghost
