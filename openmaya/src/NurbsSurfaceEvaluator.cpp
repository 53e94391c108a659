#include "NurbsSurfaceEvaluator.h"

#include <algorithm>
#include <array>
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

using BasisValues = std::array<double, kMaxSurfaceDegree + 1>;

// The degree + 1 basis functions that can be non-zero on the span, in the
// triangular Cox-de Boor form: every denominator spans the non-empty span, so
// none is zero, and every term is non-negative, so nothing cancels.
BasisValues basisFunctions(int span, double t, const Direction& direction)
{
    const double* knots = direction.knots;
    BasisValues basis{};
    BasisValues left{};
    BasisValues right{};
    basis[0] = 1.0;
    for (int j = 1; j <= direction.degree; ++j) {
        left[j] = t - knots[span + 1 - j];
        right[j] = knots[span + j] - t;
        double saved = 0.0;
        for (int r = 0; r < j; ++r) {
            const double share = basis[r] / (right[r + 1] + left[j - r]);
            basis[r] = saved + right[r + 1] * share;
            saved = left[j - r] * share;
        }
        basis[j] = saved;
    }
    return basis;
}

} // namespace

NurbsSurfaceEvaluator::NurbsSurfaceEvaluator(NurbsSurfaceDescription description) : description_(std::move(description)) {}

Imath::V3d NurbsSurfaceEvaluator::pointAt(double u, double v) const
{
    const Direction alongU = directionU(description_);
    const Direction alongV = directionV(description_);
    u = parameterInRange(u, alongU);
    v = parameterInRange(v, alongV);
    if (std::isnan(u) || std::isnan(v))
        return Imath::V3d(std::numeric_limits<double>::quiet_NaN());

    const int spanU = knotSpan(u, alongU);
    const int spanV = knotSpan(v, alongV);
    const BasisValues basisU = basisFunctions(spanU, u, alongU);
    const BasisValues basisV = basisFunctions(spanV, v, alongV);

    // Sum in homogeneous form (w·x, w·y, w·z, w), then project.
    Imath::V4d sum(0.0);
    const auto cvCountV = static_cast<std::size_t>(alongV.cvCount);
    for (int k = 0; k <= alongU.degree; ++k) {
        const auto rowStart = static_cast<std::size_t>(spanU - alongU.degree + k) * cvCountV
                              + static_cast<std::size_t>(spanV - alongV.degree);
        for (int l = 0; l <= alongV.degree; ++l) {
            const Imath::V4d& cv = description_.cvs[rowStart + static_cast<std::size_t>(l)];
            const double weight = basisU[k] * basisV[l] * cv.w;
            sum += Imath::V4d(cv.x * weight, cv.y * weight, cv.z * weight, weight);
        }
    }
    return Imath::V3d(sum.x, sum.y, sum.z) / sum.w;
}

Imath::V3d NurbsSurfaceEvaluator::worldPointAt(double u, double v) const
{
    Imath::V3d world;
    description_.worldMatrix.multVecMatrix(pointAt(u, v), world);
    return world;
}

} // namespace mayastandin
