#pragma once

#include <Imath/ImathVec.h>
#include <maya/MFnNurbsSurface.h>
#include <mayastandin/StandIn.h>

namespace rghost::build {

// An eye's own directions: towards the temple, up, and the way it looks.
struct EyeAxes {
    Imath::V3d temple{1.0, 0.0, 0.0};
    Imath::V3d up{0.0, 1.0, 0.0};
    Imath::V3d front{0.0, 0.0, 1.0};
};

// A rational quadratic sphere of `radius` at `center`, turned so that its
// poles lie below and above the eye and (u, v) = (0.5, 0.5) looks along
// `axes.front`: u grows towards the temple, v upwards, and the opening lies
// far from the seam and the poles.
mayastandin::NurbsSurfaceDescription eyeballSurface(const Imath::V3d& center, double radius, const EyeAxes& axes);

// Surface parameters (u, v, 0) of the point of `surface` closest to `point`:
// Gauss-Newton on the distance, started from the angles of the point as seen
// from `center` in the frame `axes`.
Imath::V3d closestParameters(const MFnNurbsSurface& surface, const Imath::V3d& center, const EyeAxes& axes,
                             const Imath::V3d& point);

// The surface's point at (u, v), in world space.
Imath::V3d surfacePoint(const MFnNurbsSurface& surface, double u, double v);

} // namespace rghost::build
