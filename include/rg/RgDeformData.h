#pragma once

#include <vector>

#include <Imath/ImathMatrix.h>
#include <Imath/ImathVec.h>

// What the host hands to deform: the points to move in place, their transform
// (row-vector convention, translation in the last row) and one weight per point.
struct RgDeformData {
    bool geometry = true;
    std::vector<Imath::V3d> points;
    Imath::M44d geometryMatrix; // identity by default
    std::vector<float> weights;
};
