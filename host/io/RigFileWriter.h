#pragma once

#include <string>

#include "core/Rig.h"

namespace rghost {

// The `rg-rig/1` document of `rig`, which parseRig reads back as the same rig.
// Numbers keep every bit (floats are written as their exact double). Throws
// std::invalid_argument for what the format cannot hold: non-finite numbers,
// text that is not UTF-8, value classes it does not know, and surfaces that are
// not recorded in `rig.surfaces`.
std::string formatRig(const Rig& rig);

// formatRig written atomically to `path` (see writeFileAtomically).
void writeRigFile(const Rig& rig, const std::string& path);

} // namespace rghost
