#pragma once

#include <string>
#include <vector>

#include "build/RigBuilder.h"

namespace rghost::build {

// A head and its eyeballs as a modelling tool hands them over: one mesh whose
// loose parts, objects or groups are the head and the eyeballs.
struct HeadScene {
    HeadMesh head;
    std::vector<EyeballInput> eyeballs;
};

// Splits the loose parts of `mesh` that are closed and roughly spherical off
// as eyeballs; the rest, renumbered in its order, is the head. Throws
// BuildError when no such parts are found and `eyeballsRequired` is set.
HeadScene splitLooseEyeballs(const HeadMesh& mesh, bool eyeballsRequired = true);

// An OBJ file: its objects or groups whose names hold "eye" (any case) are
// eyeballs, the others make the head; without such names the loose parts
// decide (see splitLooseEyeballs). Throws BuildError naming the file and
// line of what cannot be read.
HeadScene readHeadObj(const std::string& path);

} // namespace rghost::build
