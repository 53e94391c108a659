// deform through the dlopen'ed plug-in, as a host calls it, on a small rig
// whose results can be reasoned about.

#include <cstring>
#include <functional>
#include <limits>

#include <gtest/gtest.h>

#include "SmallEyeRigRuns.h"

using namespace rigContract;

namespace {

using namespace smallrig;
using Imath::V3d;

void expectNear(const V3d& actual, const V3d& expected, double tolerance, const std::string& what)
{
    EXPECT_NEAR((actual - expected).length(), 0.0, tolerance) << what << ": " << actual << " vs " << expected;
}

TEST(DeformEndToEnd, NeutralControlsKeepInnerOuterAndCornerVertices)
{
    Rig rig;
    const Outcome outcome = deformOnNewNode(rig);
    ASSERT_EQ(outcome.status, RgStatus::Success);
    EXPECT_TRUE(outcome.errors.empty());
    for (const Eye* eye : {&rig.left, &rig.right}) {
        for (const auto* indices : {&eye->upperInner, &eye->upperOuter, &eye->lowerInner, &eye->lowerOuter})
            for (const std::int32_t index : *indices)
                expectNear(outcome.points[index], rig.data.points[index], 1e-12, "lid vertex " + std::to_string(index));
        // No lid closes, so the corners and everything they carry stay.
        for (std::size_t entry = 0; entry < 10; ++entry)
            expectNear(outcome.points[eye->corners[entry]], rig.data.points[eye->corners[entry]], 1e-12,
                       "corner entry");
    }
}

TEST(DeformEndToEnd, UpperControlSlidesInnerVerticesByTheMoveVector)
{
    Rig rig;
    const double openValue = 25.0;
    const double control = 0.5 * openValue;
    rig.set(rig.left, "upperLidControl", makeRgValue<RgDouble>(control));
    const Outcome outcome = deformOnNewNode(rig);
    ASSERT_EQ(outcome.status, RgStatus::Success);

    // Half the open value moves each inner vertex half the move vector: x and y
    // over the sphere's parameters, z out from the eye center.
    const Eye& eye = rig.left;
    const V3d offset = eye.upperMove * 0.5;
    for (int i = 0; i < kColumns; ++i) {
        const std::int32_t index = eye.upperInner[i];
        const V3d direction =
            (eye.spherePoint(eye.upperInnerUV[i + 1] + V3d(offset.x, offset.y, 0.0)) - eye.center).normalized();
        const double restDistance = (rig.data.points[index] - eye.center).length();
        expectNear(outcome.points[index], eye.center + direction * (restDistance + offset.z), 1e-12, "inner vertex");
    }
    // The other eye is not driven by this control.
    for (const std::int32_t index : rig.right.upperInner)
        expectNear(outcome.points[index], rig.data.points[index], 1e-12, "right inner vertex");
}

TEST(DeformEndToEnd, ClosedEyeDependsOnlyOnWhereTheLidsMeet)
{
    // With closeEye 1 both lids' controls and profiles collapse onto their
    // meeting value (halfway for closeLine 0), so splits around the same
    // midpoint give the same closed lids.
    const auto closedPoints = [](double upperControl, double lowerControl, double upperProfile, double lowerProfile) {
        Rig rig;
        for (const Eye* eye : {&rig.left, &rig.right}) {
            rig.set(*eye, "closeEye", makeRgValue<RgDouble>(1.0));
            rig.set(*eye, "upperLidControl", makeRgValue<RgDouble>(upperControl));
            rig.set(*eye, "lowerLidControl", makeRgValue<RgDouble>(lowerControl));
            rig.set(*eye, "upperLidMinorCurve", makeRgValue<RgNurbsCurve>(profileCurve(upperProfile)));
            rig.set(*eye, "lowerLidMinorCurve", makeRgValue<RgNurbsCurve>(profileCurve(lowerProfile)));
        }
        const Outcome outcome = deformOnNewNode(rig);
        EXPECT_EQ(outcome.status, RgStatus::Success);
        return outcome.points;
    };
    const std::vector<V3d> reference = closedPoints(5.0, -5.0, 0.1, -0.1);
    const std::vector<V3d> split = closedPoints(15.0, -15.0, 0.3, -0.3);
    const std::vector<V3d> together = closedPoints(0.0, 0.0, 0.0, 0.0);
    for (std::size_t p = 0; p < reference.size(); ++p) {
        expectNear(split[p], reference[p], 1e-12, "point " + std::to_string(p));
        expectNear(together[p], reference[p], 1e-12, "point " + std::to_string(p));
    }
}

TEST(DeformEndToEnd, SmoothingStopsOnceTheOuterRowSettles)
{
    // The smoothing passes settle long before a count this large; once a pass
    // changes nothing, further passes cannot either, so the call returns at
    // once with the settled row.
    const auto smoothedPoints = [](std::int32_t passes) {
        Rig rig;
        for (const Eye* eye : {&rig.left, &rig.right}) {
            rig.set(*eye, "smoothOuter", makeRgValue<RgInt>(passes));
            rig.set(*eye, "upperLidControl", makeRgValue<RgDouble>(12.0));
            rig.set(*eye, "upperLidOuterControl", makeRgValue<RgDouble>(0.3));
            // A shallower middle column gives the smoothing something to do.
            rig.set(*eye, "upperLidMoveVector",
                    makeRgList<RgVector>({eye->upperMove, eye->upperMove * 0.5, eye->upperMove}));
        }
        const Outcome outcome = deformOnNewNode(rig);
        EXPECT_EQ(outcome.status, RgStatus::Success);
        return outcome.points;
    };
    EXPECT_NE(smoothedPoints(0), smoothedPoints(1000));
    EXPECT_EQ(smoothedPoints(std::numeric_limits<std::int32_t>::max()), smoothedPoints(1000));
}

// Each broken input fails with one assertion line whose text ends as given,
// and not a single point moves.
TEST(DeformEndToEnd, RejectedInputsLeaveEveryPointAsItWas)
{
    struct Case {
        const char* what;
        std::function<void(Rig&)> breakRig;
        std::string messageEnd;
    };
    const std::vector<Case> cases = {
        {"no columns", [](Rig& r) { r.set(r.left, "upperLidInnerIdxs", makeRgList<RgInt>({})); },
         "): upperLidInnerIdxs"},
        {"corner count",
         [](Rig& r) {
             r.set(r.right, "cornersIdxs", makeRgList<RgInt>({1, 2, 3, 4, 5, 6, 7}));
         },
         "): please add corners indices to cornersIdxs (minimum 24). But now - 7"},
        {"curves of different sizes",
         [](Rig& r) {
             NurbsCurveData curve = profileCurve(0.0);
             curve.cvs.push_back(V3d(2, 0, 0));
             curve.knots = {0, 0, 0.5, 1, 1};
             r.set(r.left, "lowerLidMinorCurve", makeRgValue<RgNurbsCurve>(curve));
         },
         "): different number of minor curves' CVs"},
        {"index outside points",
         [](Rig& r) {
             auto between = r.left.upperBetween;
             between[4] = 5012;
             r.set(r.left, "upperLidBetweenIdxs", makeRgList<RgInt>(between));
         },
         "): lidShaper__eyes__L_eye__upperLidBetweenIdxs[4] = 5012 is outside points (" +
             std::to_string(Rig().data.points.size()) + ")"},
        {"negative index",
         [](Rig& r) {
             auto outer = r.right.lowerOuter;
             outer[2] = -3;
             r.set(r.right, "lowerLidOuterIdxs", makeRgList<RgInt>(outer));
         },
         "is outside points (" + std::to_string(Rig().data.points.size()) + ")"},
        {"short weights", [](Rig& r) { r.data.weights.resize(r.left.upperBetween[1]); },
         "): lidShaper__eyes__L_eye__upperLidBetweenIdxs[1] = " + std::to_string(Rig().left.upperBetween[1]) +
             " has no weight (weights hold " + std::to_string(Rig().left.upperBetween[1]) + ")"},
        {"corner run past the end",
         [](Rig& r) {
             r.set(r.left, "upperLidCenterIdxs",
                   makeRgList<RgInt>(std::vector<std::int32_t>(36, r.left.upperCenter[0])));
             r.set(r.left, "lowerLidCenterIdxs",
                   makeRgList<RgInt>(std::vector<std::int32_t>(36, r.left.lowerCenter[0])));
         },
         "): lidShaper__eyes__L_eye__cornersIdxs holds 30 entries but 4 corners and their carried lists need 32"},
        {"curve without enough knots",
         [](Rig& r) {
             NurbsCurveData curve = profileCurve(0.0);
             curve.knots = {0, 1};
             r.set(r.right, "upperLidMinorCurve", makeRgValue<RgNurbsCurve>(curve));
         },
         "): lidShaper__eyes__R_eye__upperLidMinorCurve cannot be evaluated: degree 1 with 2 CVs and 2 knots (a "
         "curve needs CVs + degree + 1 knots, degree at most 15)"},
        {"lower rows shorter than the upper rows",
         [](Rig& r) {
             r.set(r.left, "lowerLidBetweenIdxs",
                   makeRgList<RgInt>({r.left.lowerBetween[0], r.left.lowerBetween[1], r.left.lowerBetween[2]}));
         },
         "): lidShaper__eyes__L_eye__lowerLidBetweenIdxs holds 3 entries but the columns' between rows need 6"},
        {"soft region cut off",
         [](Rig& r) {
             r.attributes[kSoftRegionKey] = makeRgList<RgInt>({1, 2, 3, 4});
         },
         "): softRegion ends inside a record (4 entries)"},
        {"soft region count below 1",
         [](Rig& r) {
             r.attributes[kSoftRegionKey] = makeRgList<RgInt>({1, 2, 0, 4});
         },
         "): softRegion[2] = 0 is a member count below 1"},
    };
    for (const Case& c : cases) {
        Rig rig;
        c.breakRig(rig);
        const Outcome outcome = deformOnNewNode(rig);
        EXPECT_EQ(outcome.status, RgStatus::Failure) << c.what;
        ASSERT_EQ(outcome.errors.size(), 1u) << c.what;
        const std::string& line = outcome.errors[0];
        EXPECT_EQ(line.rfind("eyeRig1: ASSERT error (", 0), 0u) << c.what << ": " << line;
        EXPECT_TRUE(line.size() >= c.messageEnd.size() &&
                    line.compare(line.size() - c.messageEnd.size(), c.messageEnd.size(), c.messageEnd) == 0)
            << c.what << ": " << line;
        EXPECT_EQ(outcome.points, rig.data.points) << c.what;
    }
}

TEST(DeformEndToEnd, CacheKeepsPreparedOffsetsUntilItIsRebuilt)
{
    Rig rig;
    for (const Eye* eye : {&rig.left, &rig.right})
        rig.set(*eye, "upperLidControl", makeRgValue<RgDouble>(10.0));
    rig.set(rig.left, "pointsOffset", makeRgList<RgVector>(std::vector<V3d>(3, V3d(0.0))));
    const std::unique_ptr<RgNode> cached = pluginharness::plugin().createNode("eyeRig1");
    const Outcome first = deformOnce(*cached, rig);
    ASSERT_EQ(first.status, RgStatus::Success);

    // Same sizes, other values: a cached node keeps what it prepared.
    rig.set(rig.left, "pointsOffset", makeRgList<RgVector>(std::vector<V3d>(3, V3d(0.0, 0.05, 0.0))));
    EXPECT_EQ(deformOnce(*cached, rig).points, first.points);

    // Without the cache the new offsets apply, as on a new node.
    rig.attributes["CACHE_ATTRIBUTES"] = makeRgValue<RgBoolean>(false);
    const Outcome uncached = deformOnce(*cached, rig);
    EXPECT_NE(uncached.points, first.points);
    EXPECT_EQ(uncached.points, deformOnNewNode(rig).points);
}

TEST(DeformEndToEnd, CacheIsRebuiltWhenListSizesChange)
{
    Rig rig;
    const std::unique_ptr<RgNode> cached = pluginharness::plugin().createNode("eyeRig1");
    ASSERT_EQ(deformOnce(*cached, rig).status, RgStatus::Success);

    // Two columns instead of three, with the cache on: the node must not work
    // on records made for three.
    for (const Eye* eye : {&rig.left, &rig.right}) {
        const auto firstTwo = [](const std::vector<std::int32_t>& indices, std::size_t perColumn) {
            return makeRgList<RgInt>(std::vector<std::int32_t>(indices.begin(), indices.begin() + 2 * perColumn));
        };
        rig.set(*eye, "upperLidInnerIdxs", firstTwo(eye->upperInner, 1));
        rig.set(*eye, "lowerLidInnerIdxs", firstTwo(eye->lowerInner, 1));
        rig.set(*eye, "upperLidCenterIdxs", firstTwo(eye->upperCenter, kCenterRows));
        rig.set(*eye, "lowerLidCenterIdxs", firstTwo(eye->lowerCenter, kCenterRows));
        rig.set(*eye, "upperLidBetweenIdxs", firstTwo(eye->upperBetween, kBetweenRows));
        rig.set(*eye, "lowerLidBetweenIdxs", firstTwo(eye->lowerBetween, kBetweenRows));
        rig.set(*eye, "upperLidControl", makeRgValue<RgDouble>(8.0));
    }
    const Outcome resized = deformOnce(*cached, rig);
    ASSERT_EQ(resized.status, RgStatus::Success);
    EXPECT_EQ(resized.points, deformOnNewNode(rig).points);
}

TEST(DeformEndToEnd, UncachedCallsFollowEveryChangeOfTheRestPose)
{
    // Without the cache a node may keep what it made from inputs that have not
    // changed since; each change of the rest points or the geometry matrix must
    // still give exactly what a new node gives.
    Rig rig;
    rig.attributes[kCacheAttributesKey] = makeRgValue<RgBoolean>(false);
    for (const Eye* eye : {&rig.left, &rig.right})
        rig.set(*eye, "upperLidControl", makeRgValue<RgDouble>(12.0));
    const std::unique_ptr<RgNode> node = pluginharness::plugin().createNode("eyeRig1");
    ASSERT_EQ(deformOnce(*node, rig).status, RgStatus::Success);

    struct Change {
        const char* what;
        std::function<void(Rig&)> apply;
    };
    const Change changes[] = {
        {"nothing", [](Rig&) {}},
        {"an upper inner vertex, also a soft-region pivot",
         [](Rig& r) { r.data.points[r.left.upperInner[1]].y += 0.01; }},
        {"a lower outer vertex", [](Rig& r) { r.data.points[r.right.lowerOuter[2]].x -= 0.02; }},
        {"a soft-region aim", [](Rig& r) { r.data.points[r.right.upperOuter[1]].z += 0.03; }},
        {"the geometry matrix", [](Rig& r) { r.data.geometryMatrix[3][2] = 0.5; }},
    };
    const auto sameBitsEverywhere = [](const std::vector<V3d>& a, const std::vector<V3d>& b) {
        return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(V3d)) == 0;
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.what);
        change.apply(rig);
        const Outcome outcome = deformOnce(*node, rig);
        ASSERT_EQ(outcome.status, RgStatus::Success);
        EXPECT_TRUE(sameBitsEverywhere(outcome.points, deformOnNewNode(rig).points));
    }
}

} // namespace
