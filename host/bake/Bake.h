#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "bake/FrameSelection.h"
#include "core/Plugin.h"
#include "core/Rig.h"
#include "core/RigRunner.h"

namespace rghost {

// Where a bake writes; an empty path skips that output.
struct BakeOutputs {
    std::string resultFile;   // rg-result/1 result file; "-" is standard output
    std::string pointCache;   // Point Cache 2 of the recorded frames
    std::string restMesh;     // OBJ of the rest points and faces, written once
    std::string objDirectory; // one OBJ per recorded frame (frame.1001.obj), created when missing
    std::string rigFile;      // the rig's own file, which no output may replace
};

struct BakeOptions {
    std::optional<SceneFrames> frames;  // frames to record; unset: every frame
    std::optional<std::size_t> preroll; // frames replayed before them; unset: every earlier frame
    // Called after each played frame, replayed or recorded, with the count of
    // frames played so far and of frames to play.
    std::function<void(std::size_t played, std::size_t toPlay)> onProgress;
    // Called with each recorded frame once the outputs hold it.
    std::function<void(const FrameResult& frame)> onFrame;
};

struct BakeSummary {
    std::size_t frames = 0;         // recorded
    std::size_t failedFrames = 0;   // recorded with a status other than Success
    double deformSeconds = 0.0;     // in the node's deform calls, replayed frames included
    double outputSeconds = 0.0;     // formatting and writing the outputs, beyond what overlaps deform
    std::vector<std::string> files; // every file written, in the order of BakeOutputs
};

// Plays `rig` on `node` (see playRig) and streams each recorded frame to the
// outputs as it finishes, so memory does not grow with the frame count. The
// files appear only when every frame is written: until then they are
// temporary files beside their targets, and a bake that throws (here, or in
// a callback) leaves no file and no directory it created. Frames outside the
// rig and outputs naming the rig file throw std::invalid_argument, outputs
// that cannot be written std::runtime_error naming the file; both before any
// frame is played.
BakeSummary bakeRig(RgNode& node, const Rig& rig, const BakeOptions& options, const BakeOutputs& outputs);

// bakeRig on one new node of `plugin`.
BakeSummary bakeRig(const Plugin& plugin, const Rig& rig, const BakeOptions& options, const BakeOutputs& outputs);

} // namespace rghost
