#pragma once

#include <Imath/ImathVec.h>
#include <mayastandin/StandIn.h>

namespace rghost {

// A rational quadratic unit sphere (poles on its local z axis) scaled to the
// eyeball, turned so its poles point down and up and u = 0.5 looks forward
// (+z), and placed at `center`. `side` is +1 for the left eye, -1 for the
// right: the right eye's sphere is the mirror image of the left one's, so one
// set of surface parameters serves both.
mayastandin::NurbsSurfaceDescription eyeballDescription(const Imath::V3d& center, double side);

} // namespace rghost
