#pragma once

#include "build/RigBuilder.h"
#include "core/Plugin.h"

namespace rghost::build {

// Plays the built rig's base attributes (both eyes open) once on a node of
// `plugin` and records in each eye's report how far the points its lists
// name move from where they were modelled: the largest move and the RMS,
// as fractions of the opening's width. Throws BuildError when the node
// refuses the rig (its first error line).
void measureOpenPose(const Plugin& plugin, BuiltRig& built);

} // namespace rghost::build
