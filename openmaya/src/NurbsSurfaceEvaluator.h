#pragma once

#include <mayastandin/StandIn.h>

namespace mayastandin {

// Evaluates a rational tensor-product NURBS surface from a checked description.
class NurbsSurfaceEvaluator {
public:
    // The description must be consistent (describeSurfaceProblem gives "").
    explicit NurbsSurfaceEvaluator(NurbsSurfaceDescription description);

    // The point at (u, v) in the surface's own space; parameters outside the
    // range wrap (periodic) or clamp (open) first.
    Imath::V3d pointAt(double u, double v) const;

    // The same point taken through the world matrix.
    Imath::V3d worldPointAt(double u, double v) const;

private:
    NurbsSurfaceDescription description_;
};

} // namespace mayastandin
