#pragma once

#include <mayastandin/StandIn.h>

namespace mayastandin {

// Evaluation keeps its basis functions in fixed-size stack arrays, so surfaces
// above this degree are refused when described.
constexpr int kMaxSurfaceDegree = 15;

// Evaluates a rational tensor-product NURBS surface from a checked description.
// It never changes after construction, so any number of threads may evaluate it
// at once.
class NurbsSurfaceEvaluator {
public:
    // The description must be consistent (describeSurfaceProblem gives "").
    explicit NurbsSurfaceEvaluator(NurbsSurfaceDescription description);

    // The point at (u, v) in the surface's own space. A parameter outside the
    // range [knots[degree], knots[cvCount]] of its direction first wraps into it
    // (periodic) or clamps to it (open); the range end itself is kept, not
    // wrapped. An infinite parameter clamps to the matching end in an open
    // direction and goes to the range start in a periodic one. A NaN parameter
    // gives a point whose coordinates are all NaN.
    Imath::V3d pointAt(double u, double v) const;

    // The same point taken through the world matrix.
    Imath::V3d worldPointAt(double u, double v) const;

private:
    NurbsSurfaceDescription description_;
};

} // namespace mayastandin
