#pragma once

#include <cstdint>
#include <vector>

#include <Imath/ImathVec.h>

// A NURBS curve as the host hands it over: full knot vector in single precision.
struct NurbsCurveData {
    std::vector<Imath::V3d> cvs;
    std::vector<float> knots;
    std::int32_t degree = 0;
};
