#include "NurbsSurfaceEvaluator.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <utility>

namespace mayastandin {
namespace {

// One parametric direction of a surface, as the description lays it out.
struct Direction {
    int degree;
    int cvCount;
    const double* knots;
    bool periodic;

    double rangeStart() const { return knots[degree]; }
    double rangeEnd() const { return knots[cvCount]; }
};

Direction directionU(const NurbsSurfaceDescription& description)
{
    return {description.degreeU, description.cvCountU, description.knotsU.data(), description.periodicU};
}

Direction directionV(const NurbsSurfaceDescription& description)
{
    return {description.degreeV, description.cvCountV, description.knotsV.data(), description.periodicV};
}

// Brings a parameter into its direction's range. Parameters inside the range,
// both ends included, are kept; NaN stays NaN.
double parameterInRange(double t, const Direction& direction)
{
    const double start = direction.rangeStart();
    const double end = direction.rangeEnd();
    if (std::isnan(t) || (t >= start && t <= end))
        return t;
    if (!direction.periodic)
        return t < start ? start : end;
    if (std::isinf(t))
        return start;
    // Reducing t and start separately keeps full precision however far t lies
    // from the range, and t - start cannot overflow.
    const double period = end - start;
    double offset = std::fmod(std::fmod(t, period) - std::fmod(start, period), period);
    if (offset < 0.0)
        offset += period;
    return std::min(start + offset, end);
}

// The index of the knot span [knots[span], knots[span + 1]) holding t, which
// must lie in the range. The range end belongs to the last non-empty span, so
// the span is never empty.
int knotSpan(double t, const Direction& direction)
{
    const double* first = direction.knots + direction.degree + 1;
    const double* last = direction.knots + direction.cvCount;
    const double* above =
        t < direction.rangeEnd() ? std::upper_bound(first, last, t) : std::lower_bound(first, last, t);
    return static_cast<int>(above - direction.knots) - 1;
}

// A degree fixed when the evaluator is compiled lets the loops below unroll
// completely for the common surfaces; kAnyDegree reads it from the direction.
// Either way the same operations run in the same order.
constexpr int kAnyDegree = -1;

template <int FixedDegree>
int degreeOf(const Direction& direction)
{
    return FixedDegree == kAnyDegree ? direction.degree : FixedDegree;
}

// The degree + 1 basis functions that can be non-zero on the span, in the
// triangular Cox-de Boor form: every denominator spans the non-empty span, so
// none is zero, and every term is non-negative, so nothing cancels. Only the
// entries up to the degree are written, and only they are read.
template <int FixedDegree>
void basisFunctions(int span, double t, const Direction& direction, double* basis)
{
    const int degree = degreeOf<FixedDegree>(direction);
    const double* knots = direction.knots;
    double left[kMaxSurfaceDegree + 1];
    double right[kMaxSurfaceDegree + 1];
    basis[0] = 1.0;
#pragma GCC unroll 4
    for (int j = 1; j <= degree; ++j) {
        left[j] = t - knots[span + 1 - j];
        right[j] = knots[span + j] - t;
        double saved = 0.0;
#pragma GCC unroll 4
        for (int r = 0; r < j; ++r) {
            const double share = basis[r] / (right[r + 1] + left[j - r]);
            basis[r] = saved + right[r + 1] * share;
            saved = left[j - r] * share;
        }
        basis[j] = saved;
    }
}

// The point at (u, v), both inside their ranges and not NaN: the CVs of the
// two spans weighted by their basis functions, summed in homogeneous form
// (w·x, w·y, w·z, w) and then projected.
template <int FixedDegreeU, int FixedDegreeV>
Imath::V3d pointInRange(double u, double v, const Direction& alongU, const Direction& alongV,
                        const std::vector<Imath::V4d>& cvs)
{
    const int degreeU = degreeOf<FixedDegreeU>(alongU);
    const int degreeV = degreeOf<FixedDegreeV>(alongV);
    const int spanU = knotSpan(u, alongU);
    const int spanV = knotSpan(v, alongV);
    double basisU[kMaxSurfaceDegree + 1];
    double basisV[kMaxSurfaceDegree + 1];
    basisFunctions<FixedDegreeU>(spanU, u, alongU, basisU);
    basisFunctions<FixedDegreeV>(spanV, v, alongV, basisV);

    Imath::V4d sum(0.0);
    const auto cvCountV = static_cast<std::size_t>(alongV.cvCount);
#pragma GCC unroll 4
    for (int k = 0; k <= degreeU; ++k) {
        const auto rowStart =
            static_cast<std::size_t>(spanU - degreeU + k) * cvCountV + static_cast<std::size_t>(spanV - degreeV);
#pragma GCC unroll 4
        for (int l = 0; l <= degreeV; ++l) {
            const Imath::V4d& cv = cvs[rowStart + static_cast<std::size_t>(l)];
            const double weight = basisU[k] * basisV[l] * cv.w;
            sum += Imath::V4d(cv.x * weight, cv.y * weight, cv.z * weight, weight);
        }
    }
    return Imath::V3d(sum.x, sum.y, sum.z) / sum.w;
}

} // namespace

NurbsSurfaceEvaluator::NurbsSurfaceEvaluator(NurbsSurfaceDescription description) : description_(std::move(description))
{
}

Imath::V3d NurbsSurfaceEvaluator::pointAt(double u, double v) const
{
    const Direction alongU = directionU(description_);
    const Direction alongV = directionV(description_);
    u = parameterInRange(u, alongU);
    v = parameterInRange(v, alongV);
    if (std::isnan(u) || std::isnan(v))
        return Imath::V3d(std::numeric_limits<double>::quiet_NaN());

    // Spheres and most modelled surfaces are quadratic or cubic both ways.
    if (alongU.degree == 2 && alongV.degree == 2)
        return pointInRange<2, 2>(u, v, alongU, alongV, description_.cvs);
    if (alongU.degree == 3 && alongV.degree == 3)
        return pointInRange<3, 3>(u, v, alongU, alongV, description_.cvs);
    return pointInRange<kAnyDegree, kAnyDegree>(u, v, alongU, alongV, description_.cvs);
}

Imath::V3d NurbsSurfaceEvaluator::worldPointAt(double u, double v) const
{
    // Imath's multVecMatrix term for term, except that the homogeneous divide is
    // left out when w is exactly 1, as for every affine world matrix: a / 1 is a
    // to the last bit, and the divisions cost more than the rest of the transform.
    const Imath::V3d p = pointAt(u, v);
    const Imath::M44d& m = description_.worldMatrix;
    const double x = p.x * m[0][0] + p.y * m[1][0] + p.z * m[2][0] + m[3][0];
    const double y = p.x * m[0][1] + p.y * m[1][1] + p.z * m[2][1] + m[3][1];
    const double z = p.x * m[0][2] + p.y * m[1][2] + p.z * m[2][2] + m[3][2];
    const double w = p.x * m[0][3] + p.y * m[1][3] + p.z * m[2][3] + m[3][3];
    if (w == 1.0)
        return Imath::V3d(x, y, z);
    return Imath::V3d(x / w, y / w, z / w);
}

} // namespace mayastandin
