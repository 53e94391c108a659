#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <utility>
#include <vector>

#include "curvePointKernel.h"
#include "curvePointKernelDetail.h"
#include "minorCurve.h"
#include "processorLevel.h"

namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNan = std::numeric_limits<float>::quiet_NaN();

NurbsCurveData clampedCubic()
{
    NurbsCurveData curve;
    curve.degree = 3;
    curve.knots = {0, 0, 0, 0, 0.5f, 1, 1, 1, 1};
    curve.cvs = {{0.1, 0.2, 0.3}, {1.7, -2.3, 0.9}, {3.1, 4.7, -1.3}, {-0.7, 2.9, 5.3}, {6.1, -1.1, 2.7}};
    return curve;
}

bool sameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b));
}

TEST(CurvePointKernel, SpanAndBasisOfClampedCubic)
{
    struct Case {
        float u;
        std::uint32_t span;
        float basis[4];
    };
    // The knot vector is symmetric about 0.5, so 0.75 mirrors 0.25.
    const Case cases[] = {
        {0.25f, 3, {0.125f, 0.59375f, 0.25f, 0.03125f}},
        {0.5f, 4, {0.25f, 0.5f, 0.25f, 0.0f}},
        {0.75f, 4, {0.03125f, 0.25f, 0.59375f, 0.125f}},
        {1.0f, 4, {0, 0, 0, 1}},
        {0.0f, 3, {1, 0, 0, 0}},
        {-0.5f, 3, {8.0f, -9.25f, 2.5f, -0.25f}},
    };
    const NurbsCurveData curve = clampedCubic();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.u);
        const std::uint32_t span = findKnotSpan(curve.knots.data(), 3, 9, c.u);
        ASSERT_EQ(span, c.span);
        float basis[4];
        basisFunctions(span, c.u, 3, curve.knots.data(), basis);
        for (int k = 0; k < 4; ++k) {
            EXPECT_EQ(basis[k], c.basis[k]) << "k = " << k;
        }
    }
}

// Expected points come from a separate evaluation that rounds at the same points;
// the values are not dyadic, so rounding anywhere else changes their last bits.
TEST(CurvePointKernel, RoundsWhereTheReferenceRounds)
{
    struct Case {
        float u;
        double point[3];
    };
    const Case cases[] = {
        {1.0f, {0x1.11c84b9e00000p+1, 0x1.14501cb800000p-1, 0x1.a47d70599999cp-4}},
        {1.9f, {0x1.168beff1ccccdp+0, 0x1.9b67cd881999ap+1, 0x1.6ba90994e6666p+1}},
        {0.55f, {0x1.a0b577cee6667p-1, -0x1.3823a0c8b3333p-1, 0x1.ddbd5e469999ap-2}},
        {-0.3f, {-0x1.996a4be666666p+0, 0x1.fa12cdd4ccccdp+4, -0x1.7f1dc6899999ap+3}},
        {3.3f, {0x1.97356bf199999p+4, 0x1.e9f2831999998p+0, -0x1.fdec86d000000p+3}},
    };
    NurbsCurveData curve = clampedCubic();
    curve.knots = {0.0f, 0.1f, 0.3f, 0.7f, 1.3f, 2.1f, 2.9f, 3.7f, 4.1f};
    for (const Case& c : cases) {
        const Imath::V3d point = evaluateMinorCurve(curve, c.u);
        for (int axis = 0; axis < 3; ++axis) {
            EXPECT_EQ(point[axis], c.point[axis]) << "u " << c.u << " axis " << axis;
        }
    }
}

TEST(CurvePointKernel, EndsOfClampedCurveAreItsEndControlPoints)
{
    const NurbsCurveData curve = clampedCubic();
    EXPECT_EQ(evaluateMinorCurve(curve, 0.0f), curve.cvs.front());
    EXPECT_EQ(evaluateMinorCurve(curve, 1.0f), curve.cvs.back());
}

TEST(CurvePointKernel, DegreeZeroReturnsItsOnlyControlPointEverywhere)
{
    NurbsCurveData curve;
    curve.knots = {0, 1};
    curve.cvs = {{1.5, -2.25, 3.125}};
    for (const float u : {-1.0f, 0.0f, 0.5f, 1.0f, 2.0f, kInf, -kInf, kNan}) {
        EXPECT_EQ(findKnotSpan(curve.knots.data(), 0, 2, u), 0u) << u;
        EXPECT_EQ(evaluateMinorCurve(curve, u), curve.cvs[0]) << u;
    }
}

// Random non-decreasing knots with repeats, clamped ends half the time.
NurbsCurveData randomCurve(std::mt19937& random, std::int32_t degree)
{
    std::uniform_real_distribution<float> step(0.0f, 1.0f);
    std::uniform_real_distribution<double> coordinate(-100.0, 100.0);
    const bool clamped = random() % 2 == 0;
    const int knotCount = 2 * (degree + 1) + static_cast<int>(random() % 10);
    NurbsCurveData curve;
    curve.degree = degree;
    float knot = step(random) * 10.0f - 5.0f;
    for (int i = 0; i < knotCount; ++i) {
        const bool hold = random() % 4 == 0 || (clamped && (i <= degree || i >= knotCount - degree - 1));
        if (i > 0 && !hold) {
            knot += step(random);
        }
        curve.knots.push_back(knot);
    }
    curve.cvs.resize(static_cast<std::size_t>(knotCount - degree - 1));
    for (Imath::V3d& cv : curve.cvs) {
        cv = {coordinate(random), coordinate(random), coordinate(random)};
    }
    return curve;
}

std::vector<float> testParameters(std::mt19937& random, const NurbsCurveData& curve)
{
    std::vector<float> parameters = {kNan, kInf, -kInf, -0.0f, 0.0f};
    std::uniform_real_distribution<float> around(curve.knots.front() - 2.0f, curve.knots.back() + 2.0f);
    for (const float knot : curve.knots) {
        parameters.insert(parameters.end(), {knot, std::nextafter(knot, kInf), std::nextafter(knot, -kInf)});
    }
    for (int i = 0; i < 40; ++i) {
        parameters.push_back(around(random));
    }
    return parameters;
}

std::vector<std::pair<const char*, CurvePointKernelFunction>> buildsThatRunHere()
{
#if defined(LIDSHAPER_X86_KERNELS)
    std::vector<std::pair<const char*, CurvePointKernelFunction>> builds = {{"sse2", curvePointKernelSse2}};
    if (processorLevel() >= kProcessorSse41) {
        builds.emplace_back("sse4.1", curvePointKernelSse41);
    }
    if (processorLevel() >= kProcessorAvx) {
        builds.emplace_back("avx", curvePointKernelAvx);
    }
    return builds;
#else
    return {{"portable", curvePointKernelPortable}};
#endif
}

TEST(CurvePointKernel, BuildsAndDispatcherAgreeBitForBit)
{
    const auto builds = buildsThatRunHere();
    std::mt19937 random(20240611u);
    for (const std::int32_t degree : {1, 2, 3, 4, 5, 7, 10, 15}) {
        for (int trial = 0; trial < 150; ++trial) {
            const NurbsCurveData curve = randomCurve(random, degree);
            ASSERT_TRUE(curveFitsKernel(curve));
            const auto knotCount = static_cast<std::int32_t>(curve.knots.size());
            for (const float u : testParameters(random, curve)) {
                const Imath::V3d expected = evaluateMinorCurve(curve, u);
                for (const auto& [name, build] : builds) {
                    double point[3];
                    build(&curve.cvs[0].x, curve.knots.data(), degree, knotCount, u, point);
                    for (int axis = 0; axis < 3; ++axis) {
                        ASSERT_TRUE(sameBits(point[axis], expected[axis]))
                            << name << " degree " << degree << " trial " << trial << " u " << u << " axis " << axis
                            << ": " << point[axis] << " vs " << expected[axis];
                    }
                }
            }
        }
    }
}

} // namespace
