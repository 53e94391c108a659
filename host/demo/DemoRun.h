#pragma once

#include <string>

#include "core/Plugin.h"

namespace rghost {

// Builds the sample rig, writes it into `directory` (created if missing),
// plays its animation on one node of `plugin` with a progress bar on stderr,
// and writes one OBJ per frame, a contact sheet of the key moments and the
// summary beside it; lists what it wrote on stdout. True when every frame
// succeeded.
bool runDemo(const Plugin& plugin, const std::string& directory);

} // namespace rghost
