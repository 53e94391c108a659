#include "NurbsSurfaceEvaluator.h"

namespace mayastandin {

NurbsSurfaceEvaluator::NurbsSurfaceEvaluator(NurbsSurfaceDescription description) : description_(std::move(description)) {}

Imath::V3d NurbsSurfaceEvaluator::pointAt(double, double) const { return Imath::V3d(0.0); }

Imath::V3d NurbsSurfaceEvaluator::worldPointAt(double u, double v) const
{
    Imath::V3d world;
    description_.worldMatrix.multVecMatrix(pointAt(u, v), world);
    return world;
}

} // namespace mayastandin
