#include <algorithm>
#include <cstdlib>
#include <limits>

#include "curvePointKernel.h"
#include "processorLevel.h"

// The kernel reads control points as a flat run of doubles.
static_assert(sizeof(Imath::V3d) == 3 * sizeof(double), "Imath::V3d must be three packed doubles");

CurvePointKernelFunction curvePointKernelForLevel(std::int32_t level) {
#if defined(LIDSHAPER_X86_KERNELS)
    if (level >= 2) {
        return curvePointKernelAvx;
    }
    if (level == 1) {
        return curvePointKernelSse41;
    }
    if (level == 0) {
        return curvePointKernelSse2;
    }
    return nullptr;
#else
    return level >= 0 ? curvePointKernelPortable : nullptr;
#endif
}

void curvePointKernel(const double* cvs, const float* knots, std::int32_t degree, std::int32_t knotCount, float u,
                      double* result) {
    const CurvePointKernelFunction build = curvePointKernelForLevel(processorLevel());
    if (build == nullptr) {
        // Below SSE2 nothing built here can run; carrying on would fault later.
        std::abort();
    }
    build(cvs, knots, degree, knotCount, u, result);
}

Imath::V3d evaluateMinorCurve(const NurbsCurveData& curve, float u) {
    Imath::V3d point;
    curvePointKernel(reinterpret_cast<const double*>(curve.cvs.data()), curve.knots.data(), curve.degree,
                     static_cast<std::int32_t>(curve.knots.size()), u, &point.x);
    return point;
}

// The search only returns spans from p up to max(n - 1, p) (just p when n < 2),
// with n = m - p - 1. Span s reads knots s + 1 - p .. s + p and control points
// s - p .. s, so the lowest reads are never below 0 and only the last span has to
// be checked against the list sizes.
bool curveFitsKernel(const NurbsCurveData& curve) {
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
