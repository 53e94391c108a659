#include "minorCurve.h"

#include <algorithm>
#include <limits>

#include "curvePointKernel.h"

// The kernel reads control points as a flat run of doubles.
static_assert(sizeof(Imath::V3d) == 3 * sizeof(double), "Imath::V3d must be three packed doubles");

Imath::V3d evaluateMinorCurve(const NurbsCurveData& curve, float u)
{
    Imath::V3d point;
    curvePointKernel(reinterpret_cast<const double*>(curve.cvs.data()), curve.knots.data(), curve.degree,
                     static_cast<std::int32_t>(curve.knots.size()), u, &point.x);
    return point;
}

// The search only returns spans from p up to max(n - 1, p) (just p when n < 2),
// with n = m - p - 1. Span s reads knots s + 1 - p .. s + p and control points
// s - p .. s, so the lowest reads are never below 0 and only the last span has to
// be checked against the list sizes.
bool curveFitsKernel(const NurbsCurveData& curve)
{
    if (curve.degree < 0 || curve.degree > kMaxCurveKernelDegree) {
        return false;
    }
    if (curve.knots.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
        return false;
    }
    const std::int64_t degree = curve.degree;
    const auto knotCount = static_cast<std::int64_t>(curve.knots.size());
    const auto cvCount = static_cast<std::int64_t>(curve.cvs.size());
    if (knotCount < degree + 1) {
        // The span count would wrap and the search run far past the knots.
        return false;
    }
    const std::int64_t spanCount = knotCount - degree - 1;
    const std::int64_t lastSpan = spanCount < 2 ? degree : std::max(spanCount - 1, degree);
    return lastSpan + degree <= knotCount - 1 && lastSpan <= cvCount - 1;
}
