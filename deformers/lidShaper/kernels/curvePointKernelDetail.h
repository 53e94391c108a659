#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "curvePointKernel.h"

// The steps of the curve point kernel, for its builds and its tests.
//
// Internal linkage on purpose: every instruction-set build compiles its own copy.
// A shared inline definition would let the linker keep just one of them, perhaps
// one compiled for an instruction set this processor lacks.
namespace {

// The knot span holding u, by linear search from the start. Counts are unsigned
// 32-bit and may wrap on inconsistent curves; curveFitsKernel keeps those away.
// A NaN parameter compares false everywhere and so lands in the last span.
inline std::uint32_t findKnotSpan(const float* knots, std::int32_t degree, std::int32_t knotCount, float u)
{
    const auto p = static_cast<std::uint32_t>(degree);
    const std::uint32_t spanCount = static_cast<std::uint32_t>(knotCount) - p - 1u;
    if (spanCount < 2u) {
        return p;
    }
    for (std::uint32_t i = 1; i < spanCount; ++i) {
        if (knots[i] > u) {
            return std::max(i - 1u, p);
        }
    }
    return std::max(spanCount - 1u, p);
}

// Degree given to the steps below when a build compiles them for one degree,
// so that their loops unroll; kAnyDegree takes the curve's own. Either way the
// same operations run in the same order.
constexpr std::int32_t kAnyDegree = -1;

template <std::int32_t FixedDegree>
inline std::uint32_t degreeOf(std::int32_t degree)
{
    return static_cast<std::uint32_t>(FixedDegree == kAnyDegree ? degree : FixedDegree);
}

// The degree + 1 basis values that are non-zero in `span`, by the triangular
// recurrence. Knot differences are single precision, quotients and products
// double, and every stored value is rounded back to single.
template <std::int32_t FixedDegree = kAnyDegree>
inline void basisFunctions(std::uint32_t span, float u, std::int32_t degree, const float* knots, float* basis)
{
    const std::uint32_t p = degreeOf<FixedDegree>(degree);
    // The span is never below the degree, so every knot read lies within
    // knots[span + 1 - p] .. knots[span + p].
    const float* spanKnots = knots + span;
    double left[kMaxCurveKernelDegree + 1];
    double right[kMaxCurveKernelDegree + 1];
    basis[0] = 1.0f;
#pragma GCC unroll 4
    for (std::uint32_t j = 1; j <= p; ++j) {
        left[j] = u - spanKnots[1 - static_cast<std::ptrdiff_t>(j)];
        right[j] = spanKnots[j] - u;
        float saved = 0.0f;
#pragma GCC unroll 4
        for (std::uint32_t r = 0; r < j; ++r) {
            const auto temp = static_cast<float>(basis[r] / (right[r + 1] + left[j - r]));
            basis[r] = static_cast<float>(saved + right[r + 1] * temp);
            saved = static_cast<float>(left[j - r] * temp);
        }
        basis[j] = saved;
    }
}

// The control points of `span` weighted by their basis values, summed in double
// in control point order.
template <std::int32_t FixedDegree = kAnyDegree>
inline void sumControlPoints(const double* cvs, std::uint32_t span, std::int32_t degree, const float* basis,
                             double* result)
{
    const std::uint32_t p = degreeOf<FixedDegree>(degree);
    const double* cv = cvs + 3 * static_cast<std::size_t>(span - p);
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
#pragma GCC unroll 4
    for (std::uint32_t k = 0; k <= p; ++k, cv += 3) {
        const double weight = basis[k];
        x += cv[0] * weight;
        y += cv[1] * weight;
        z += cv[2] * weight;
    }
    result[0] = x;
    result[1] = y;
    result[2] = z;
}

// The whole evaluation for curves of FixedDegree (or of any degree).
template <std::int32_t FixedDegree>
inline void evaluateCurvePoint(const double* cvs, const float* knots, std::int32_t degree, std::int32_t knotCount,
                               float u, double* result)
{
    const std::uint32_t span = findKnotSpan(knots, degree, knotCount, u);
    float basis[kMaxCurveKernelDegree + 1];
    basisFunctions<FixedDegree>(span, u, degree, knots, basis);
    sumControlPoints<FixedDegree>(cvs, span, degree, basis, result);
}

} // namespace
