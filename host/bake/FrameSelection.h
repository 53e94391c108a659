#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "core/Rig.h"
#include "core/RigRunner.h"

namespace rghost {

// Scene frame numbers first..last, both included.
struct SceneFrames {
    std::int64_t first = 0;
    std::int64_t last = 0;
};

// "A:B" (first and last frame) or "A" (one frame), as scene frame numbers.
// Throws std::invalid_argument quoting the text.
SceneFrames parseSceneFrames(std::string_view text);

// The plan that records `frames` of `rig` (unset: every frame). Before the
// first recorded frame the node replays `preroll` frames (unset: every earlier
// frame, which gives exactly the points of a run of the whole rig). Throws
// std::invalid_argument naming the rig's frames when `frames` is not within them.
FramePlan planFrames(const Rig& rig, const std::optional<SceneFrames>& frames,
                     const std::optional<std::size_t>& preroll);

} // namespace rghost
