#pragma once

#include <string>
#include <vector>

#include <Imath/ImathVec.h>

namespace rghost::build {

struct Sphere {
    Imath::V3d center{0.0};
    double radius = 0.0;
    double residual = 0.0; // RMS distance of the fitted points from the sphere, per radius
};

// The least-squares sphere through `points` (the algebraic fit: linear in the
// centre and in radius² − |centre|², so one 4x4 solve). Throws BuildError
// naming `what` when the points do not span a sphere (fewer than four, or all
// on one plane).
Sphere fitSphere(const std::vector<Imath::V3d>& points, const std::string& what);

} // namespace rghost::build
