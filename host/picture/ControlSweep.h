#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/Plugin.h"
#include "core/Rig.h"
#include "picture/PictureOptions.h"

namespace rghost {

struct ControlSweepOptions {
    std::vector<std::string> keys; // moved together; the first names the captions
    double from = 0.0;
    double to = 1.0;
    int steps = 5;                          // values evenly spaced from `from` to `to`
    std::optional<std::int64_t> sceneFrame; // whose attributes the other keys keep; unset: the first
    PictureOptions picture;
};

// Sets the keys to each value in turn (see sweptValue), every other input as
// at the scene frame, plays the steps on a new node of `plugin` and writes
// them as one strip to `options.picture.outputPath`. Throws
// std::invalid_argument for a key the rig does not have (with the closest it
// does). True when every step succeeded.
bool drawControlSweep(const Plugin& plugin, Rig rig, const ControlSweepOptions& options);

} // namespace rghost
