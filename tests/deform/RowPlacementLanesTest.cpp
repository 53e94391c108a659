// Lid rows placed in SIMD lanes against the scalar placement, bit for bit.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <vector>

#include "processorLevel.h"
#include "rowPlacementLanes.h"
#include "rowVertexPlacement.h"
#include "geometry/lidGeometry.h"

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kSubnormal = 4.9e-324;
constexpr double kHuge = 1e308;
constexpr double kSquareUnderflows = 1e-160; // normal, but its square is subnormal
constexpr std::uint32_t kRows = 7;

bool sameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b));
}

// Two lid columns of kRows-vertex rows, with random but rig-like values: row
// points around an eye, affine maps, weights on both sides of zero.
struct LaneCase {
    std::vector<V3d> points = std::vector<V3d>(2 * kRows, V3d(0.0));
    std::vector<float> weights;
    std::vector<std::int32_t> rows;
    std::vector<V3d> rowPoints;
    std::vector<double> pathLengths;
    RowPlacementContext context{};
    CenterRowPlan center[kRowPlacementLanes];
    BetweenRowPlan between[kRowPlacementLanes];
};

M44d randomAffine(std::mt19937& random)
{
    std::uniform_real_distribution<double> entry(-2.0, 2.0);
    M44d m = rotationBetween(V3d(entry(random), entry(random), entry(random)),
                             V3d(entry(random), entry(random), entry(random)));
    m.scale(V3d(1.0 + 0.1 * entry(random)));
    setMatrixRow(m, 3, V3d(entry(random), entry(random), entry(random)));
    return m;
}

LaneCase randomCase(std::mt19937& random)
{
    std::uniform_real_distribution<double> coordinate(-3.0, 3.0);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const auto randomVec = [&] { return V3d(coordinate(random), coordinate(random), coordinate(random)); };
    LaneCase c;
    for (std::uint32_t k = 0; k < 2 * kRows; ++k) {
        c.weights.push_back(static_cast<float>(unit(random) * 1.5 - 0.25));
        c.rows.push_back(static_cast<std::int32_t>(2 * kRows - 1 - k));
        c.rowPoints.push_back(randomVec());
        c.pathLengths.push_back(unit(random) * 4.0);
    }
    c.context = {c.points.data(),      c.weights.data(),
                 randomAffine(random), true,
                 randomVec(),          translationMatrix(randomVec()).inverse(false),
                 unit(random) * 3.0,   unit(random) * 4.0};
    c.context.toRigIsAffine = isAffine(c.context.toRig);
    for (std::uint32_t lane = 0; lane < kRowPlacementLanes; ++lane) {
        const std::int32_t* rows = c.rows.data() + lane * kRows;
        const V3d* rowPoints = c.rowPoints.data() + lane * kRows;
        const double* pathLengths = c.pathLengths.data() + lane * kRows;
        const double moveWeight = unit(random);
        c.center[lane] = {rows,
                          rowPoints,
                          pathLengths,
                          randomAffine(random),
                          randomVec(),
                          randomVec().normalized(),
                          unit(random) * 2,
                          unit(random),
                          moveWeight,
                          1.0 - moveWeight};
        c.between[lane] = {rows,        rowPoints,   pathLengths, randomAffine(random), randomAffine(random),
                           randomVec(), randomVec(), moveWeight,  1.0 - moveWeight,     random() % 2 == 0};
    }
    return c;
}

using ScalarVertex = std::function<void(const RowPlacementContext&, std::uint32_t lane, std::uint32_t k)>;

// Places both columns' rows the scalar way into `points`.
void placeScalar(LaneCase& c, std::vector<V3d>& points, const ScalarVertex& place)
{
    RowPlacementContext context = c.context;
    context.points = points.data();
    for (std::uint32_t lane = 0; lane < kRowPlacementLanes; ++lane)
        for (std::uint32_t k = 0; k < kRows; ++k)
            place(context, lane, k);
}

// Places them in lanes, the vertices the lanes leave over the scalar way, as
// the lid solve does; returns how many vertices the lanes left over.
template <typename LanesFunction, typename Plan>
int placeInLanes(LaneCase& c, std::vector<V3d>& points, LanesFunction lanes, const Plan* plans,
                 const ScalarVertex& place)
{
    RowPlacementContext context = c.context;
    context.points = points.data();
    std::uint8_t needsScalar[kRows];
    lanes(context, plans, kRows, needsScalar);
    int leftOver = 0;
    for (std::uint32_t k = 0; k < kRows; ++k) {
        if (needsScalar[k] == 0)
            continue;
        ++leftOver;
        for (std::uint32_t lane = 0; lane < kRowPlacementLanes; ++lane)
            place(context, lane, k);
    }
    return leftOver;
}

// Both rows of `c` in lanes and in scalar code give the same bits; returns how
// many vertices the lanes left to the scalar code.
int expectLanesMatchScalar(LaneCase& c)
{
    const RowPlacementLanes lanes = rowPlacementLanes();
    const ScalarVertex center = [&](const RowPlacementContext& context, std::uint32_t lane, std::uint32_t k) {
        placeCenterRowVertex(context, c.center[lane], k, c.center[lane].rowPoints[k]);
    };
    const ScalarVertex between = [&](const RowPlacementContext& context, std::uint32_t lane, std::uint32_t k) {
        placeBetweenRowVertex(context, c.between[lane], k, c.between[lane].rowPoints[k]);
    };
    int leftOver = 0;
    for (int rowKind = 0; rowKind < 2; ++rowKind) {
        SCOPED_TRACE(rowKind == 0 ? "center rows" : "between rows");
        std::vector<V3d> expected(c.points.size(), V3d(-1.0));
        std::vector<V3d> actual = expected;
        if (rowKind == 0) {
            placeScalar(c, expected, center);
            leftOver += placeInLanes(c, actual, lanes.centerRows, c.center, center);
        } else {
            placeScalar(c, expected, between);
            leftOver += placeInLanes(c, actual, lanes.betweenRows, c.between, between);
        }
        for (std::size_t i = 0; i < expected.size(); ++i)
            for (int axis = 0; axis < 3; ++axis)
                EXPECT_PRED2(sameBits, actual[i][axis], expected[i][axis]) << "point " << i << " axis " << axis;
    }
    return leftOver;
}

class RowPlacementLanesTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (rowPlacementLanes().centerRows == nullptr)
            GTEST_SKIP() << "no lane build runs on this processor";
    }
};

TEST(RowPlacementLanesDispatch, EveryX86LevelHasTheLaneBuildAndNoneBelowSse2)
{
    EXPECT_EQ(rowPlacementLanesForLevel(kProcessorNone).centerRows, nullptr);
    EXPECT_EQ(rowPlacementLanesForLevel(kProcessorNone).betweenRows, nullptr);
#if defined(LIDSHAPER_X86_KERNELS)
    for (ProcessorLevel level : {kProcessorSse2, kProcessorSse41, kProcessorAvx, kProcessorAvx2, kProcessorAvx512PfErCd,
                                 kProcessorAvx512DqBwVl}) {
        EXPECT_EQ(rowPlacementLanesForLevel(level).centerRows, rowPlacementLanesSse2::placeCenterRows) << level;
        EXPECT_EQ(rowPlacementLanesForLevel(level).betweenRows, rowPlacementLanesSse2::placeBetweenRows) << level;
    }
#endif
}

TEST_F(RowPlacementLanesTest, RandomColumnsGiveTheScalarBitsWithoutLeavingAnyVertexOver)
{
    std::mt19937 random(19);
    for (int trial = 0; trial < 200; ++trial) {
        SCOPED_TRACE(trial);
        LaneCase c = randomCase(random);
        // Every other trial, a radius no vertex reaches, so the clamp to it runs too.
        if (trial % 2 == 1)
            c.context.minBetweenRadius = 50.0;
        EXPECT_EQ(expectLanesMatchScalar(c), 0);
    }
}

TEST_F(RowPlacementLanesTest, HostileValuesGiveTheScalarBits)
{
    // One value dropped into one lane's input at a time; the other lane stays
    // ordinary. Whether the lanes or the scalar code places a vertex, the bits
    // must be the scalar ones.
    struct Target {
        const char* name;
        std::function<void(LaneCase&, double)> set;
    };
    const Target targets[] = {
        {"row point x", [](LaneCase& c, double v) { c.rowPoints[3].x = v; }},
        {"row point z of the first vertex", [](LaneCase& c, double v) { c.rowPoints[kRows].z = v; }},
        {"path length", [](LaneCase& c, double v) { c.pathLengths[2] = v; }},
        {"weight", [](LaneCase& c, double v) { c.weights[c.rows[4]] = static_cast<float>(v); }},
        {"eye center", [](LaneCase& c, double v) { c.context.center.y = v; }},
        {"mount size", [](LaneCase& c, double v) { c.context.mountSize = v; }},
        {"mount size where a weight is zero",
         [](LaneCase& c, double v) {
             c.context.mountSize = v;
             c.weights[c.rows[kRows + 2]] = 0.0f;
             c.between[1].followsLid = true;
         }},
        {"inner vertex",
         [](LaneCase& c, double v) {
             c.center[1].inner.x = v;
             c.between[1].inner.x = v;
         }},
        {"step and socket direction",
         [](LaneCase& c, double v) {
             c.between[0].step.z = v;
             c.center[0].intoSocket.y = v;
         }},
        {"blend weights",
         [](LaneCase& c, double v) {
             c.center[1].moveWeight = v;
             c.between[1].restWeight = v;
         }},
        {"map entries",
         [](LaneCase& c, double v) {
             c.center[0].turn[1][2] = v;
             c.between[1].carry[3][0] = v;
             c.between[0].firstCarry[0][0] = v;
         }},
        {"row point far from the eye center",
         [](LaneCase& c, double v) {
             c.rowPoints[kRows + 3].x = v;
             c.context.centerFrameInv[3][0] = v;
         }},
        {"along-span point beside the eye center",
         [](LaneCase& c, double v) {
             c.context.center = V3d(0.0);
             c.between[1].inner = V3d(v, 0.0, 0.0);
             c.pathLengths[kRows + 3] = 0.0;
         }},
        {"between place beside the eye center",
         [](LaneCase& c, double v) {
             c.context.center = V3d(0.0);
             c.between[0].carry = M44d(0.0);
             c.between[0].carry[3][3] = 1.0;
             setMatrixRow(c.between[0].carry, 3, V3d(v, 0.0, 0.0));
             c.between[0].moveWeight = 0.0;
             c.between[0].restWeight = 1.0;
             c.between[0].followsLid = false;
         }},
        {"row point at the eye center",
         [](LaneCase& c, double v) { c.rowPoints[5] = c.context.center + V3d(v, 0.0, 0.0); }},
    };
    const double values[] = {kNan, kInf, -kInf, kSubnormal, -kSubnormal, kSquareUnderflows, kHuge, -kHuge, 0.0, -0.0};
    std::mt19937 random(7);
    for (const Target& target : targets) {
        for (const double value : values) {
            SCOPED_TRACE(std::string(target.name) + " = " + std::to_string(value));
            LaneCase c = randomCase(random);
            target.set(c, value);
            expectLanesMatchScalar(c);
        }
    }
}

TEST_F(RowPlacementLanesTest, NonFiniteAndTinyCasesAreLeftToTheScalarCode)
{
    // The cases the lanes must not place themselves: they would differ from
    // the scalar code there if they did not hand them over.
    std::mt19937 random(3);
    LaneCase nonFinite = randomCase(random);
    nonFinite.rowPoints[2].y = kInf;
    EXPECT_GT(expectLanesMatchScalar(nonFinite), 0);

    LaneCase tiny = randomCase(random);
    tiny.rowPoints[kRows + 4] = tiny.context.center + V3d(kSubnormal, 0.0, 0.0);
    EXPECT_GT(expectLanesMatchScalar(tiny), 0);
}

} // namespace
