#pragma once

#include <vector>

#include <Imath/ImathVec.h>

#include "core/Rig.h"
#include "demo/demoContactSheet.h"

namespace rghost {

// The rig's faces laid over `points` (one frame's result), skin coloured, with
// the strips that run from the lid margins into the sockets a wet pink.
std::vector<Facet> meshFacets(const Rig& rig, const std::vector<Imath::V3d>& points);

// Every eyeball of the rig (each "...nurbsSphere" surface recorded in the rig,
// with its "...centerEye"), tessellated by evaluating the surface, looking at
// the viewer (+z): white, with an iris and a pupil. Only the half that faces
// the viewer.
std::vector<Facet> eyeballFacets(const Rig& rig);

} // namespace rghost
