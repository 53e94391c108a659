#pragma once

#include <ostream>

#include "core/Plugin.h"
#include "core/Rig.h"

namespace rghost {

// validateRig on a new node of `plugin`, printed on `out`: "ok" when nothing
// is found, else one line per finding with the frames it spans. `strict`
// counts warnings as errors. True when no finding is an error.
bool reportRigCheck(const Plugin& plugin, const Rig& rig, bool strict, std::ostream& out);

} // namespace rghost
