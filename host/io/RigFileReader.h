#pragma once

#include <string>
#include <string_view>

#include "core/Rig.h"
#include "io/RigFileError.h"

namespace rghost {

// The rig an `rg-rig/1` document describes. Throws RigFileError, whose message
// is one line naming the JSON path of the first fault found.
Rig parseRig(std::string_view text);

// parseRig on the contents of the file at `path`; a file that cannot be read is
// a RigFileError too.
Rig readRigFile(const std::string& path);

} // namespace rghost
