// The geometry helpers of the lid solve and the soft-region groups, called directly.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>

#include "SoftRegionRig.h"
#include "geometry/lidGeometry.h"
#include "solve/softRegion.h"

namespace {

constexpr double kTolerance = 1e-12;

void expectNear(const V3d& actual, const V3d& expected, double tolerance = kTolerance)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

void expectNear(const M44d& actual, const M44d& expected)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(actual[r][c], expected[r][c], kTolerance) << "[" << r << "][" << c << "]";
}

V3d mapped(const V3d& p, const M44d& m)
{
    return transformPoint(p, m);
}

// A rig-like transform: rotation, uneven scale and translation.
M44d someGeometryMatrix()
{
    M44d m = rotationBetween(V3d(1, 0, 0), V3d(0.6, 0.8, 0));
    m.scale(V3d(2.0, 0.5, 1.5));
    m[3][0] = 4.0;
    m[3][1] = -1.0;
    m[3][2] = 2.5;
    return m;
}

TEST(LidGeometry, PointTransformsGiveImathsBitsForAnyPoint)
{
    // The shortcut for affine matrices must not show: every point, finite or
    // not, comes out as multVecMatrix gives it, also through PointTransform.
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    M44d projective = someGeometryMatrix();
    projective[0][3] = 0.25;
    projective[3][3] = 2.0;
    const V3d points[] = {{1.5, -2, 0.25}, {-0.0, 0, -0.0}, {1e308, 1e308, 1}, {5e-324, -1e-310, 0}, {inf, 0, 0},
                          {-inf, inf, 1},  {0, 1, inf},     {0, -inf, 2},      {nan, 1, 2},          {1, 2, nan}};
    const auto sameBits = [](const V3d& a, const V3d& b) { return std::memcmp(&a, &b, sizeof a) == 0; };
    for (const M44d& m : {someGeometryMatrix(), M44d(), projective}) {
        const PointTransform transform(m);
        for (const V3d& p : points) {
            V3d expected;
            m.multVecMatrix(p, expected);
            EXPECT_TRUE(sameBits(transformPoint(p, m), expected)) << p;
            EXPECT_TRUE(sameBits(transform(p), transformPoint(p, m))) << p;
        }
    }
}

TEST(LidGeometry, SpanMatchMatrixTakesOneSegmentOntoAnother)
{
    const V3d a0(1, 2, 3), a1(4, -2, 3);
    const M44d toA0 = translationMatrix(a0);
    expectNear(spanMatchMatrix(a0, a1, a0, a1, toA0, toA0.inverse()), M44d());

    const V3d b0(-2, 0, 1), b1(-2, 2.5, 1);
    const M44d toB0 = translationMatrix(b0);
    const M44d m = spanMatchMatrix(a0, a1, b0, b1, toB0, toB0.inverse());
    expectNear(mapped(b0, m), a0);
    expectNear(mapped(b1, m), a1);
    expectNear(mapped((b0 + b1) * 0.5, m), (a0 + a1) * 0.5);
    // A similarity: distances from b0 grow by |a1 - a0| / |b1 - b0| = 2.
    const V3d offLine = b0 + V3d(0.3, -0.7, 1.1);
    EXPECT_NEAR((mapped(offLine, m) - a0).length(), 2.0 * (offLine - b0).length(), kTolerance);
}

TEST(SoftRegionList, ProblemsNameTheirPosition)
{
    struct Case {
        std::vector<std::int32_t> list;
        std::size_t points, weights;
        std::string problem;
    };
    const Case cases[] = {
        {{}, 5, 5, ""},
        {{-1, 0, -1, 1, 2, -1, 3, -1, 4, -1}, 5, 5, ""},
        {{4, 1, 1, 0}, 5, 1, ""}, // only members need weights
        {{0, 1, 2, 3}, 5, 5, "softRegion ends inside a record (4 entries)"},
        {{0, 1, 1, 3, 0, -1}, 5, 5, "softRegion ends inside a record (6 entries)"},
        {{0, 1, 0, 3}, 5, 5, "softRegion[2] = 0 is a member count below 1"},
        {{0, 1, 1, 3, -1, 2, 1, -4, 3}, 5, 5, "softRegion[7] = -4 is a member count below 1"},
        {{0, 9, 1, 3}, 5, 5, "softRegion[1] = 9 is outside points (5)"},
        {{-2, 1, 1, 3}, 5, 5, "softRegion[0] = -2 is outside points (5)"},
        {{0, 1, 1, 5}, 5, 5, "softRegion[3] = 5 is outside points (5)"},
        {{0, 1, 2, 2, 4}, 5, 3, "softRegion[4] = 4 has no weight (weights hold 3)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.list));
        EXPECT_EQ(findSoftRegionProblem(c.list, c.points, c.weights), c.problem);
    }
}

TEST(SoftRegionGroups, SkippedEntriesChangeNothing)
{
    const std::vector<V3d> rest = {{0, 0, 0}, {0, -2, 0}, {1, 1, 0}, {2, 0, 1}, {5, 5, 5}, {-1, 3, 2}};
    const std::vector<float> weights(rest.size(), 1.0f);
    SoftRegionRig plain(rest, weights, {0, 1, 2, 2, 3, 4, 5, 1, 2}, someGeometryMatrix());
    SoftRegionRig spaced(rest, weights, {-1, 0, -1, 1, -1, 2, -1, 2, -1, 3, -1, -1, 4, 5, 1, -1, 2, -1},
                         someGeometryMatrix());

    EXPECT_EQ(spaced.state.pivotIdxs, (std::vector<std::int32_t>{0, 4}));
    EXPECT_EQ(spaced.state.aimIdxs, (std::vector<std::int32_t>{1, 5}));
    EXPECT_EQ(spaced.state.groups, (std::vector<std::vector<std::int32_t>>{{2, 3}, {2}}));
    for (SoftRegionRig* rig : {&plain, &spaced}) {
        rig->points[0] += V3d(0, 0.5, 0);
        rig->points[1] += V3d(0.2, 0, 0.1);
        rig->points[5] += V3d(1, 0, 0);
        applySoftRegion(rig->state, rig->points, rig->weights);
    }
    for (std::size_t i = 0; i < rest.size(); ++i)
        expectNear(spaced.points[i], plain.points[i]);
    EXPECT_GT((spaced.points[2] - rest[2]).length(), 0.1);
}

TEST(SoftRegionGroups, MemberOfTwoGroupsIsMovedByBoth)
{
    // Pivot and aim of each group move together: each group map is a translation.
    SoftRegionRig rig({{0, 0, 0}, {1, 0, 0}, {0, 5, 0}, {0, 6, 0}, {3, 3, 3}}, std::vector<float>(5, 1.0f),
                      {0, 1, 1, 4, 2, 3, 1, 4});
    rig.points[0] += V3d(1, 0, 0);
    rig.points[1] += V3d(1, 0, 0);
    rig.points[2] += V3d(0, 0, 2);
    rig.points[3] += V3d(0, 0, 2);
    applySoftRegion(rig.state, rig.points, rig.weights);
    expectNear(rig.points[4], V3d(4, 3, 5));
}

TEST(SoftRegionGroups, LaterGroupsReadPivotAndAimWhereEarlierGroupsLeftThem)
{
    // Group 1 moves point 2, the pivot of group 2 and the aim of group 3; the
    // whole list must give what the groups give applied one after the other.
    const std::vector<V3d> rest = {{0, 0, 0}, {0, -2, 0}, {1, 1, 0}, {2, 0, 1}, {3, 3, 3}, {-1, 2, 0}, {-2, 1, 1}};
    const std::vector<float> weights(rest.size(), 1.0f);
    const std::vector<std::vector<std::int32_t>> groupLists = {{0, 1, 1, 2}, {2, 3, 1, 4}, {5, 2, 1, 6}};
    std::vector<std::int32_t> wholeList;
    for (const std::vector<std::int32_t>& group : groupLists)
        wholeList.insert(wholeList.end(), group.begin(), group.end());
    SoftRegionRig whole(rest, weights, wholeList, someGeometryMatrix());
    std::vector<SoftRegionRig> oneByOne;
    for (const std::vector<std::int32_t>& group : groupLists)
        oneByOne.emplace_back(rest, weights, group, someGeometryMatrix());

    const auto moveDrivers = [](std::vector<V3d>& points) {
        points[0] += V3d(0.3, 0.5, 0);
        points[1] += V3d(0.2, 0, 0.1);
        points[5] += V3d(0, 0.4, -0.2);
    };
    moveDrivers(whole.points);
    applySoftRegion(whole.state, whole.points, whole.weights);
    std::vector<V3d> expected = rest;
    moveDrivers(expected);
    for (SoftRegionRig& single : oneByOne) {
        single.points = expected;
        applySoftRegion(single.state, single.points, single.weights);
        expected = single.points;
    }
    EXPECT_EQ(whole.points, expected);
    EXPECT_GT((whole.points[4] - rest[4]).length(), 0.1);
}

TEST(SoftRegionGroups, RebuildOnTheSameListGivesTheStateOfAFullBuild)
{
    // A rebuild on the list of the last build keeps the rest frames whose pivot
    // and aim have not moved under the same geometry matrix; every frame must be
    // what a full build on the same points makes, to the bit.
    const std::vector<V3d> rest = {{0, 0, 0}, {0, -2, 0}, {1, 1, 0}, {2, 0, 1}, {5, 5, 5}, {-1, 3, 2}};
    const std::vector<float> weights(rest.size(), 1.0f);
    const std::vector<std::int32_t> list = {0, 1, 2, 2, 3, 4, 5, 1, 2};
    struct Change {
        const char* what;
        std::function<void(std::vector<V3d>&, M44d&)> apply;
    };
    const Change changes[] = {
        {"nothing", [](std::vector<V3d>&, M44d&) {}},
        {"first pivot", [](std::vector<V3d>& p, M44d&) { p[0].x += 0.5; }},
        {"second aim", [](std::vector<V3d>& p, M44d&) { p[5].z -= 0.25; }},
        {"a member only", [](std::vector<V3d>& p, M44d&) { p[3].y += 1.0; }},
        {"geometry matrix", [](std::vector<V3d>&, M44d& m) { m[3][1] += 2.0; }},
    };
    SoftRegionRig rig(rest, weights, list, someGeometryMatrix());
    M44d matrix = someGeometryMatrix();
    for (const Change& change : changes) {
        SCOPED_TRACE(change.what);
        change.apply(rig.points, matrix);
        SoftRegionReuse reuse;
        reuse.sameList = true;
        reuse.sameMatrix = sameBits(rig.state.geometryMatrix, matrix);
        rig.state.geometryMatrix = matrix;
        rig.state.geometryInverse = matrix.inverse();
        buildSoftRegion(rig.state, rig.points, reuse);

        const SoftRegionRig fresh(rig.points, weights, list, matrix);
        for (std::size_t g = 0; g < 2; ++g) {
            EXPECT_TRUE(sameBits(rig.state.restFrames[g], fresh.state.restFrames[g])) << g;
            EXPECT_TRUE(sameBits(rig.state.restFramesInv[g], fresh.state.restFramesInv[g])) << g;
            EXPECT_TRUE(sameBits(rig.state.restAims[g], fresh.state.restAims[g])) << g;
            EXPECT_TRUE(sameBits(rig.state.restLengths[g], fresh.state.restLengths[g])) << g;
        }
    }
}

TEST(SoftRegionGroups, WeightDecidesHowFarMembersFollow)
{
    // A translation of pivot and aim in local space moves a fully weighted
    // member by the same amount, whatever the geometry matrix.
    const std::vector<float> weights = {1, 1, 1, 2, 0.25f, 0, -1};
    const std::vector<double> followed = {1, 2, 0.25, 0, 0};
    std::vector<V3d> rest = {{0, 0, 0}, {0, -2, 0}};
    for (std::size_t i = 0; i < followed.size(); ++i)
        rest.push_back(V3d(1.0 + i, 0.5 * i, -1.0));
    SoftRegionRig rig(rest, weights, {0, 1, 5, 2, 3, 4, 5, 6}, someGeometryMatrix());

    const V3d shift(3, -1, 2);
    rig.points[0] += shift;
    rig.points[1] += shift;
    applySoftRegion(rig.state, rig.points, rig.weights);
    for (std::size_t i = 0; i < followed.size(); ++i)
        expectNear(rig.points[2 + i], rest[2 + i] + shift * std::min(followed[i], 1.0), 1e-9);
}

TEST(SoftRegionGroups, GroupMapFollowsPivotAndAim)
{
    struct Case {
        const char* what;
        M44d geometryMatrix;
        V3d restPivot, restAim, pivot, aim;
        V3d member, expected;
    };
    const M44d lifted = translationMatrix(V3d(0, 10, 0));
    const Case cases[] = {
        {"nothing moved", someGeometryMatrix(), {1, 2, 3}, {0, -1, 2}, {1, 2, 3}, {0, -1, 2}, {4, -3, 7}, {4, -3, 7}},
        // Pivot slides away from the aim along its rest line: length 2 -> 3.
        {"pivot slides", M44d(), {0, 0, 0}, {0, -2, 0}, {0, 1, 0}, {0, -2, 0}, {1, 1, 0}, {1.5, 2.5, 0}},
        {"aim turns a quarter", M44d(), {0, 0, 0}, {-2, 0, 0}, {0, 0, 0}, {0, -2, 0}, {1, 0, 0.5}, {0, 1, 0.5}},
        // The span is transformed as a point, translation included: 12 -> 13.
        {"pivot slides, geometry lifted",
         lifted,
         {0, 0, 0},
         {0, -2, 0},
         {0, 1, 0},
         {0, -2, 0},
         {1, 1, 0},
         {13.0 / 12.0, 1.0 + 13.0 / 12.0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SoftRegionRig rig({c.restPivot, c.restAim, c.member}, {1, 1, 1}, {0, 1, 1, 2}, c.geometryMatrix);
        rig.points[0] = c.pivot;
        rig.points[1] = c.aim;
        applySoftRegion(rig.state, rig.points, rig.weights);
        expectNear(rig.points[2], c.expected, 1e-9);
    }
}

} // namespace
