// The overlay of what the node works with, on the small hand-built rig: a mark
// per row, column, corner and soft-region group in its place, categories that
// switch, and the failure marks of a frame the node refused.

#include <algorithm>
#include <functional>
#include <stdexcept>

#include <gtest/gtest.h>

#include "SmallEyeRigRuns.h"
#include "overlay/FailureMarks.h"
#include "overlay/OverlayCategory.h"
#include "overlay/RigOverlay.h"

namespace {

using namespace rigContract;
using Imath::V3d;
using rghost::OverlayCategory;
using smallrig::kBetweenRows;
using smallrig::kCenterRows;
using smallrig::kColumns;

constexpr double kTolerance = 1e-9;

bool near(const V3d& a, const V3d& b)
{
    return (a - b).length() < kTolerance;
}

template <typename Mark>
std::vector<Mark> marksIn(const std::vector<Mark>& marks, OverlayCategory category)
{
    std::vector<Mark> found;
    std::copy_if(marks.begin(), marks.end(), std::back_inserter(found),
                 [category](const Mark& mark) { return mark.category == category; });
    return found;
}

bool hasLine(const rghost::Overlay& overlay, OverlayCategory category, const std::vector<V3d>& points)
{
    return std::any_of(overlay.lines.begin(), overlay.lines.end(), [&](const rghost::OverlayLine& line) {
        return line.category == category && line.points.size() == points.size() &&
               std::equal(points.begin(), points.end(), line.points.begin(), near);
    });
}

bool hasPoint(const rghost::Overlay& overlay, OverlayCategory category, const V3d& at)
{
    return std::any_of(overlay.points.begin(), overlay.points.end(), [&](const rghost::OverlayPoint& point) {
        return point.category == category && near(point.position, at);
    });
}

struct LidOf {
    const char* name;
    std::function<const std::vector<std::int32_t>&(const smallrig::Eye&)> inner, outer, center, between;
    std::function<const std::vector<V3d>&(const smallrig::Eye&)> innerUV, outerUV;
};

const LidOf kLids[] = {{"upper", [](const smallrig::Eye& e) -> const auto& {return e.upperInner;
} // namespace
, [](const smallrig::Eye& e) -> const auto&
{
    return e.upperOuter;
}
, [](const smallrig::Eye& e) -> const auto&
{
    return e.upperCenter;
}
, [](const smallrig::Eye& e) -> const auto&
{
    return e.upperBetween;
}
, [](const smallrig::Eye& e) -> const auto&
{
    return e.upperInnerUV;
}
, [](const smallrig::Eye& e) -> const auto&
{
    return e.upperOuterUV;
}
}
, {"lower", [](const smallrig::Eye& e) -> const auto& {return e.lowerInner;
}
, [](const smallrig::Eye& e) -> const auto&
{
    return e.lowerOuter;
}
, [](const smallrig::Eye& e) -> const auto&
{
    return e.lowerCenter;
}
, [](const smallrig::Eye& e) -> const auto&
{
    return e.lowerBetween;
}
, [](const smallrig::Eye& e) -> const auto&
{
    return e.lowerInnerUV;
}
, [](const smallrig::Eye& e) -> const auto&
{
    return e.lowerOuterUV;
}
}
,
}
;

class RigOverlay : public ::testing::Test {
protected:
    smallrig::Rig rig;

    rghost::Overlay overlay(const std::vector<std::string>& errors = {}) const
    {
        return rghost::rigOverlay(rig.attributes, rig.data.points, rig.data.geometryMatrix, errors);
    }
};

TEST_F(RigOverlay, EveryColumnRunsFromItsInnerVertexThroughItsRowsToTheOuterOneAndIntoTheSocket)
{
    const rghost::Overlay marks = overlay();
    const auto& p = rig.data.points;
    for (const smallrig::Eye* eye : {&rig.left, &rig.right}) {
        for (const LidOf& lid : kLids) {
            for (int i = 0; i < kColumns; ++i) {
                std::vector<V3d> rows{p[lid.inner(*eye)[i]]};
                for (int k = 0; k < kBetweenRows; ++k)
                    rows.push_back(p[lid.between(*eye)[i * kBetweenRows + k]]);
                rows.push_back(p[lid.outer(*eye)[i]]);
                std::vector<V3d> socket{p[lid.inner(*eye)[i]]};
                for (int k = 0; k < kCenterRows; ++k)
                    socket.push_back(p[lid.center(*eye)[i * kCenterRows + k]]);
                EXPECT_TRUE(hasLine(marks, OverlayCategory::Columns, rows)) << lid.name << " column " << i;
                EXPECT_TRUE(hasLine(marks, OverlayCategory::Columns, socket)) << lid.name << " column " << i;
            }
        }
    }
    EXPECT_EQ(marksIn(marks.lines, OverlayCategory::Columns).size(), 2u * 2u * kColumns * 2u);
    const auto labels = marksIn(marks.labels, OverlayCategory::Columns);
    for (const char* text : {"0", "1", "2", "upper", "lower"}) {
        EXPECT_EQ(std::count_if(labels.begin(), labels.end(), [&](const auto& l) { return l.text == text; }),
                  text[0] >= '0' && text[0] <= '9' ? 4 : 2)
            << text;
    }
}

TEST_F(RigOverlay, InnerAndOuterSurfaceParametersArePointsOnTheirEyeball)
{
    const rghost::Overlay marks = overlay();
    for (const smallrig::Eye* eye : {&rig.left, &rig.right}) {
        for (const LidOf& lid : kLids) {
            for (int i = 0; i < kColumns; ++i) {
                EXPECT_TRUE(hasPoint(marks, OverlayCategory::Surface, eye->spherePoint(lid.innerUV(*eye)[i + 1])));
                EXPECT_TRUE(hasPoint(marks, OverlayCategory::Surface, eye->spherePoint(lid.outerUV(*eye)[i])));
            }
        }
    }
    EXPECT_EQ(marksIn(marks.points, OverlayCategory::Surface).size(), 2u * 2u * kColumns * 2u);
}

// The closing line passes through every inner surface parameter, the ends
// included; a flat minor curve lies on it at the columns, a raised one is
// shifted by its height along the upper lid's move vector; each move vector
// ends where a fully open lid puts the margin.
TEST_F(RigOverlay, ClosingLineMinorCurvesAndMoveVectorsFollowTheSurfaceParameters)
{
    const smallrig::Eye& eye = rig.left;
    const double height = 0.05;
    rig.set(eye, "upperLidMinorCurve", makeRgValue<RgNurbsCurve>(smallrig::profileCurve(height)));
    const rghost::Overlay marks = overlay();

    for (const LidOf& lid : kLids) {
        std::vector<V3d> closing;
        for (const V3d& uv : lid.innerUV(eye))
            closing.push_back(eye.spherePoint(uv));
        EXPECT_TRUE(hasLine(marks, OverlayCategory::CloseLine, closing)) << lid.name;
    }
    const auto lifted = [&](const V3d& uv, const V3d& shift) {
        const V3d onSphere = eye.spherePoint(uv + V3d(shift.x, shift.y, 0.0));
        return eye.center + (onSphere - eye.center).normalized() * ((onSphere - eye.center).length() + shift.z);
    };
    std::vector<V3d> upperCurve;
    std::vector<V3d> lowerCurve;
    for (int i = 0; i < kColumns; ++i) {
        upperCurve.push_back(lifted(eye.upperInnerUV[i + 1], eye.upperMove.normalized() * height));
        lowerCurve.push_back(eye.spherePoint(eye.lowerInnerUV[i + 1]));
        const auto upperMove = std::find_if(marks.lines.begin(), marks.lines.end(), [&](const auto& line) {
            return line.category == OverlayCategory::MoveVectors &&
                   near(line.points.front(), eye.spherePoint(eye.upperInnerUV[i + 1]));
        });
        ASSERT_NE(upperMove, marks.lines.end());
        EXPECT_TRUE(near(upperMove->points.back(), lifted(eye.upperInnerUV[i + 1], eye.upperMove)));
        const auto lowerMove = std::find_if(marks.lines.begin(), marks.lines.end(), [&](const auto& line) {
            return line.category == OverlayCategory::MoveVectors && near(line.points.front(), lowerCurve.back());
        });
        ASSERT_NE(lowerMove, marks.lines.end());
        EXPECT_TRUE(near(lowerMove->points.back(), lifted(eye.lowerInnerUV[i + 1], -eye.lowerMove)));
    }
    EXPECT_TRUE(hasLine(marks, OverlayCategory::Curves, upperCurve));
    EXPECT_TRUE(hasLine(marks, OverlayCategory::Curves, lowerCurve));

    // Closed with closeLine -1 both lids meet on the lower curve: flat.
    rig.set(eye, "closeEye", makeRgValue<RgDouble>(1.0));
    rig.set(eye, "closeLine", makeRgValue<RgDouble>(-1.0));
    std::vector<V3d> flatUpper;
    for (int i = 0; i < kColumns; ++i)
        flatUpper.push_back(eye.spherePoint(eye.upperInnerUV[i + 1]));
    EXPECT_TRUE(hasLine(overlay(), OverlayCategory::Curves, flatUpper));
}

TEST_F(RigOverlay, CornersAreMarkedWithTheirNeighboursAndTheRowsTheyCarry)
{
    const rghost::Overlay marks = overlay();
    const auto& p = rig.data.points;
    for (const smallrig::Eye* eye : {&rig.left, &rig.right}) {
        const auto& q = eye->corners;
        const std::size_t third = q.size() / 3;
        for (std::size_t corner = 0; corner < 2; ++corner) {
            const V3d a = p[q[2 * corner]];
            const V3d b = p[q[2 * corner + 1]];
            EXPECT_TRUE(std::any_of(marks.points.begin(), marks.points.end(), [&](const auto& point) {
                return point.category == OverlayCategory::Corners && point.emphasized && near(point.position, a);
            }));
            EXPECT_TRUE(
                hasLine(marks, OverlayCategory::Corners, {p[q[third + 2 * corner]], a, p[q[2 * third + 2 * corner]]}));
            const std::size_t start = 4 + corner * (kCenterRows + kBetweenRows);
            EXPECT_TRUE(hasLine(marks, OverlayCategory::Corners, {a, p[q[start]]}));
            EXPECT_TRUE(hasLine(marks, OverlayCategory::Corners, {a, p[q[start + 1]], p[q[start + 2]], b}));
        }
    }
    const auto labels = marksIn(marks.labels, OverlayCategory::Corners);
    EXPECT_EQ(labels.size(), 4u);
    EXPECT_EQ(std::count_if(labels.begin(), labels.end(), [](const auto& l) { return l.text == "corner 1"; }), 2);
}

TEST_F(RigOverlay, EachSoftRegionGroupLinksItsPivotToItsAimAndMarksItsMembers)
{
    const rghost::Overlay marks = overlay();
    const auto& p = rig.data.points;
    for (const smallrig::Eye* eye : {&rig.left, &rig.right}) {
        EXPECT_TRUE(hasLine(marks, OverlayCategory::SoftRegion, {p[eye->upperInner[1]], p[eye->upperOuter[1]]}));
        for (const std::int32_t member : eye->softRegionMembers)
            EXPECT_TRUE(hasPoint(marks, OverlayCategory::SoftRegion, p[member]));
    }
    EXPECT_EQ(marksIn(marks.lines, OverlayCategory::SoftRegion).size(), 2u);
}

// Points are drawn where the geometry matrix puts them, as the node reads them.
TEST_F(RigOverlay, PointsAreTakenIntoWorldSpace)
{
    rig.data.geometryMatrix.setTranslation(V3d(0.0, 0.0, 5.0));
    const rghost::Overlay marks = overlay();
    const auto& p = rig.data.points;
    EXPECT_TRUE(hasLine(marks, OverlayCategory::SoftRegion,
                        {p[rig.left.upperInner[1]] + V3d(0, 0, 5), p[rig.left.upperOuter[1]] + V3d(0, 0, 5)}));
}

TEST_F(RigOverlay, BrokenInputsLeaveOutOnlyTheMarksThatNeedThem)
{
    rig.set(rig.left, "upperLidBetweenIdxs", makeRgList<RgInt>({0, 1, 2, 3, 4, 999999}));
    rig.set(rig.left, "upperLidOuterUV", makeRgList<RgVector>({V3d(0.0)}));
    rig.set(rig.left, "cornersIdxs", makeRgList<RgInt>({-5, 3}));
    rig.attributes[eyeAttributeKey(EyeSide::Right, "nurbsSphere")] = makeRgValue<RgDouble>(1.0);
    rig.attributes[kSoftRegionKey] = makeRgList<RgInt>({0, 1, 7, 2});
    const rghost::Overlay marks = overlay();
    EXPECT_EQ(marksIn(marks.lines, OverlayCategory::Columns).size(), 2u * kColumns * 2u); // the left eye only
    EXPECT_EQ(marksIn(marks.lines, OverlayCategory::Corners).size(), 0u);
    EXPECT_EQ(marksIn(marks.lines, OverlayCategory::SoftRegion).size(), 0u);
    EXPECT_TRUE(rghost::rigOverlay({}, {}, {}).lines.empty());
}

TEST(OverlayCategories, SwitchOnByNameOrAllAndUnknownNamesAreRefusedWithASuggestion)
{
    const rghost::OverlayCategories all = rghost::parseOverlayCategories("all");
    EXPECT_EQ(all.size(), std::size(rghost::kOverlayCategories));
    for (const OverlayCategory category : rghost::kOverlayCategories)
        EXPECT_EQ(rghost::parseOverlayCategories(rghost::overlayCategoryName(category)),
                  rghost::OverlayCategories{category});
    EXPECT_EQ(rghost::parseOverlayCategories("corners,close-line"),
              (rghost::OverlayCategories{OverlayCategory::Corners, OverlayCategory::CloseLine}));
    try {
        rghost::parseOverlayCategories("columns,coners");
        FAIL() << "an unknown category was accepted";
    } catch (const std::invalid_argument& error) {
        EXPECT_NE(std::string(error.what()).find("'coners' (did you mean 'corners'?)"), std::string::npos)
            << error.what();
    }
    EXPECT_THROW(rghost::parseOverlayCategories(""), std::invalid_argument);

    const smallrig::Rig rig;
    const rghost::Overlay every = rghost::rigOverlay(rig.attributes, rig.data.points, rig.data.geometryMatrix);
    const rghost::Overlay corners = rghost::overlayOf(every, {OverlayCategory::Corners});
    EXPECT_FALSE(corners.lines.empty());
    EXPECT_EQ(corners.lines.size(), marksIn(every.lines, OverlayCategory::Corners).size());
    EXPECT_EQ(corners.points.size(), marksIn(every.points, OverlayCategory::Corners).size());
    EXPECT_EQ(corners.labels.size(), marksIn(every.labels, OverlayCategory::Corners).size());
    EXPECT_TRUE(rghost::overlayOf(every, {}).points.empty());
}

// Through the plug-in: the node refuses the frame, and its error line's list
// entry is marked on the column it belongs to.
TEST_F(RigOverlay, AFailingFrameMarksTheColumnItsErrorNames)
{
    struct Case {
        const char* field;
        std::function<void(smallrig::Rig&)> breakRig;
        EyeSide side;
        std::size_t column;
    };
    const Case cases[] = {
        {"upperLidBetweenIdxs",
         [](smallrig::Rig& r) {
             std::vector<std::int32_t> between = r.right.upperBetween;
             between[3] = 999999; // column 1's second between row
             r.set(r.right, "upperLidBetweenIdxs", makeRgList<RgInt>(between));
         },
         EyeSide::Right, 1},
        {"lowerLidOuterUV",
         [](smallrig::Rig& r) {
             r.set(r.left, "lowerLidOuterUV", makeRgList<RgVector>({r.left.lowerOuterUV[0], r.left.lowerOuterUV[1]}));
         },
         EyeSide::Left, 2},
    };
    for (const Case& c : cases) {
        smallrig::Rig broken;
        c.breakRig(broken);
        const smallrig::Outcome outcome = smallrig::deformOnNewNode(broken);
        ASSERT_EQ(outcome.status, RgStatus::Failure) << c.field;
        ASSERT_EQ(outcome.errors.size(), 1u);
        const rghost::Overlay marks =
            rghost::rigOverlay(broken.attributes, outcome.points, broken.data.geometryMatrix, outcome.errors);
        const smallrig::Eye& eye = c.side == EyeSide::Left ? broken.left : broken.right;
        const auto& inner = std::string(c.field).compare(0, 5, "upper") == 0 ? eye.upperInner : eye.lowerInner;
        EXPECT_TRUE(std::any_of(marks.points.begin(), marks.points.end(), [&](const auto& point) {
            return point.category == OverlayCategory::Failure && near(point.position, outcome.points[inner[c.column]]);
        })) << outcome.errors[0];
        const auto labels = marksIn(marks.labels, OverlayCategory::Failure);
        ASSERT_EQ(labels.size(), 1u);
        EXPECT_NE(labels[0].text.find(std::string(c.field) + "["), std::string::npos);
        EXPECT_NE(labels[0].text.find("column " + std::to_string(c.column)), std::string::npos) << labels[0].text;
    }
    EXPECT_TRUE(marksIn(overlay({"eyeRig1: get attributes: cannot find 'ENVELOPE' (RgFloat) attribute"}).points,
                        OverlayCategory::Failure)
                    .empty());
}

} // namespace
