#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "curvePointKernel.h"
#include "curvePointKernelDetail.h"
#include "minorCurve.h"

namespace {

NurbsCurveData curveOfShape(std::int32_t degree, int knotCount, int cvCount)
{
    NurbsCurveData curve;
    curve.degree = degree;
    for (int i = 0; i < knotCount; ++i) {
        curve.knots.push_back(static_cast<float>(i));
    }
    curve.cvs.assign(static_cast<std::size_t>(cvCount), Imath::V3d(1.0, 2.0, 3.0));
    return curve;
}

TEST(CurveFitsKernel, NamedShapes)
{
    struct Case {
        const char* name;
        std::int32_t degree;
        int knotCount;
        int cvCount;
        bool fits;
    };
    const Case cases[] = {
        {"clamped cubic", 3, 9, 5, true},
        {"cubic one control point short", 3, 9, 4, false},
        {"cubic with spare control points", 3, 9, 8, true},
        {"cubic with the fewest knots, 2p + 1", 3, 7, 4, true},
        {"cubic with 2p knots", 3, 6, 10, false},
        {"fewer knots than degree + 1", 3, 3, 10, false},
        {"no knots", 1, 0, 2, false},
        {"highest degree", kMaxCurveKernelDegree, 2 * kMaxCurveKernelDegree + 2, kMaxCurveKernelDegree + 1, true},
        {"degree above the highest", kMaxCurveKernelDegree + 1, 2 * kMaxCurveKernelDegree + 4,
         kMaxCurveKernelDegree + 2, false},
        {"negative degree", -1, 4, 4, false},
        {"degree 0 without knots", 0, 0, 1, false},
        {"degree 0 with one knot", 0, 1, 1, true},
        {"degree 0 without control points", 0, 2, 0, false},
        {"degree 0 step curve", 0, 4, 3, true},
        {"degree 0 step curve one control point short", 0, 4, 2, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(curveFitsKernel(curveOfShape(c.degree, c.knotCount, c.cvCount)), c.fits) << c.name;
    }
}

// Against the reads themselves: with distinct knots every span the search can
// return is hit by some parameter, and each span's knot and control point reads
// must lie inside the lists exactly when curveFitsKernel says the curve fits.
// Fitting curves are also evaluated, so an address-sanitized run sees any stray read.
TEST(CurveFitsKernel, MatchesTheReadsOfEveryReachableSpan)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (std::int32_t degree = 0; degree <= 5; ++degree) {
        for (int knotCount = 0; knotCount <= 14; ++knotCount) {
            std::vector<float> parameters = {nan, inf, -inf};
            for (int i = 0; i < knotCount; ++i) {
                parameters.insert(parameters.end(), {i - 0.5f, static_cast<float>(i)});
            }
            for (int cvCount = 0; cvCount <= 14; ++cvCount) {
                const NurbsCurveData curve = curveOfShape(degree, knotCount, cvCount);
                bool readsInside = knotCount >= degree + 1;
                for (const float u : parameters) {
                    if (!readsInside) {
                        break;
                    }
                    const auto span = static_cast<int>(findKnotSpan(curve.knots.data(), degree, knotCount, u));
                    const bool knotsInside = degree == 0 || (span + 1 - degree >= 0 && span + degree < knotCount);
                    readsInside = knotsInside && span - degree >= 0 && span < cvCount;
                }
                ASSERT_EQ(curveFitsKernel(curve), readsInside)
                    << "degree " << degree << " knots " << knotCount << " control points " << cvCount;
                if (readsInside) {
                    for (const float u : parameters) {
                        evaluateMinorCurve(curve, u);
                    }
                }
            }
        }
    }
}

} // namespace
