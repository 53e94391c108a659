#pragma once

#include <cstddef>
#include <optional>
#include <set>

#include "bake/FrameSelection.h"
#include "core/Plugin.h"
#include "core/Rig.h"
#include "picture/PictureOptions.h"

namespace rghost {

struct FrameSheetOptions {
    std::optional<SceneFrames> frames; // frames to draw from; unset: every frame
    std::size_t panels = 12;           // at most this many, spread evenly over them
    PictureOptions picture;
};

// At most `wanted` frames spread evenly over `first`..`last`, both ends included.
std::set<std::size_t> spreadFrames(std::size_t first, std::size_t last, std::size_t wanted);

// Plays `rig` on a new node of `plugin` and writes a contact sheet of the
// chosen frames to `options.picture.outputPath`; a failed frame's caption
// names its status. True when every played frame succeeded.
bool drawFrameSheet(const Plugin& plugin, const Rig& rig, const FrameSheetOptions& options);

} // namespace rghost
