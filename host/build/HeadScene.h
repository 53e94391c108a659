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

// Splits the loose parts of `mesh` that are closed and roughly spherical
// (their points within 10 % of a fitted sphere's radius, on average) off as
// eyeballs; the rest, renumbered in its order, is the head. Throws
// BuildError unless exactly two such parts are found.
HeadScene splitLooseEyeballs(const HeadMesh& mesh);

// An OBJ file's text (`name` says where it comes from in messages): its
// objects or groups named in `eyeballNames` are eyeballs, or without names
// given those whose names hold "eyeball" or the word "eye" (any case); the
// other faces make the head. With no such objects or groups the loose parts
// decide (see splitLooseEyeballs); with `eyeballsGiven` (centres and radii
// come from elsewhere) the whole file is the head. The head's points are the
// file's points the eyeballs do not use, in file order. Throws BuildError
// naming the file and line of what cannot be read.
HeadScene parseHeadObj(const std::string& text, const std::string& name, const std::vector<std::string>& eyeballNames,
                       bool eyeballsGiven);

// parseHeadObj on the file at `path`.
HeadScene readHeadObj(const std::string& path, const std::vector<std::string>& eyeballNames, bool eyeballsGiven);

} // namespace rghost::build
