#pragma once

#include "bake/Bake.h"
#include "core/Plugin.h"
#include "core/Rig.h"

namespace rghost {

// bakeRig as a user watching a terminal gets it: first one warning on stderr
// per input the node would silently accept (a key it never reads, a control
// outside its useful range, a cached list that later frames change), then
// progress and failed frames on stderr as frames finish, Ctrl-C or SIGTERM
// stopping the bake cleanly between frames, and a summary line at the end.
// The node still computes every frame as given. True when every recorded
// frame succeeded.
bool bakeOnConsole(const Plugin& plugin, const Rig& rig, const BakeOptions& options, const BakeOutputs& outputs);

} // namespace rghost
