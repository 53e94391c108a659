#include "sample/SampleEyeInputs.h"

#include <algorithm>

#include "build/CornerList.h"
#include "lidShaper/rigContract.h"
#include "sample/SampleFaceShape.h"
#include "sample/SampleRigAnimation.h"

using namespace rigContract;

namespace rghost {

using Imath::V3d;

namespace {

template <typename ColumnOf>
void listLidVertices(build::LidInputs& lid, const EyeMesh& mesh, ColumnOf columnOf)
{
    for (int i = 0; i < mesh.columns(); ++i) {
        const int column = columnOf(i);
        lid.innerIdxs.push_back(mesh.vertex(column, mesh.marginRing()));
        lid.outerIdxs.push_back(mesh.vertex(column, mesh.creaseRing()));
        for (int row = 0; row < mesh.centerRows(); ++row) {
            lid.centerIdxs.push_back(mesh.vertex(column, mesh.socketRing(row)));
        }
        for (int row = 0; row < mesh.betweenRows(); ++row) {
            lid.betweenIdxs.push_back(mesh.vertex(column, mesh.skinRing(row)));
        }
    }
}

// The corners' columns (margin, crease, socket and skin rows) and their
// lid neighbours, in the corner list's layout.
void listCorners(SampleEye& eye, const EyeMesh& mesh, const std::vector<V3d>& points)
{
    const int n = mesh.columns();
    const int corners[2] = {mesh.innerCornerColumn(), mesh.outerCornerColumn()};
    const int nearest[2] = {0, n - 1};
    build::CornerColumn columns[2];
    for (int c = 0; c < 2; ++c) {
        build::CornerColumn& corner = columns[c];
        corner.margin = mesh.vertex(corners[c], mesh.marginRing());
        corner.crease = mesh.vertex(corners[c], mesh.creaseRing());
        for (int row = 0; row < mesh.centerRows(); ++row) {
            corner.socketRows.push_back(mesh.vertex(corners[c], mesh.socketRing(row)));
        }
        for (int row = 0; row < mesh.betweenRows(); ++row) {
            corner.skinRows.push_back(mesh.vertex(corners[c], mesh.skinRing(row)));
        }
        corner.upperMargin = mesh.vertex(mesh.upperColumn(nearest[c]), mesh.marginRing());
        corner.upperCrease = mesh.vertex(mesh.upperColumn(nearest[c]), mesh.creaseRing());
        corner.lowerMargin = mesh.vertex(mesh.lowerColumn(nearest[c]), mesh.marginRing());
        corner.lowerCrease = mesh.vertex(mesh.lowerColumn(nearest[c]), mesh.creaseRing());
        eye.pointsOffset[offsetTable::cornerEntry(n, c, false)] = build::cornerOffset(
            points[corner.margin], points[corner.upperMargin], points[corner.lowerMargin], eye.center);
        eye.pointsOffset[offsetTable::cornerEntry(n, c, true)] = build::cornerOffset(
            points[corner.crease], points[corner.upperCrease], points[corner.lowerCrease], eye.center);
    }
    eye.cornersIdxs = build::cornerListOf(columns[0], columns[1]);
}

// Each loop column's face rings follow its crease, fading towards the
// border: the group turns and stretches about the crease so that the
// border vertex (its aim) stays put.
void groupFaceRings(SampleEye& eye, const EyeMesh& mesh)
{
    for (int column = 0; column < mesh.loopSize(); ++column) {
        eye.softRegion.push_back(mesh.vertex(column, mesh.creaseRing()));
        eye.softRegion.push_back(mesh.vertex(column, mesh.faceRing(EyeMesh::kFaceRings - 1)));
        eye.softRegion.push_back(EyeMesh::kFaceRings - 1);
        for (int ring = 0; ring + 1 < EyeMesh::kFaceRings; ++ring) {
            eye.softRegion.push_back(mesh.vertex(column, mesh.faceRing(ring)));
        }
    }
}

} // namespace

void encodeLidShapes(SampleEye& eye, int columns)
{
    const int n = columns;
    std::vector<V3d> closedLine;
    for (int j = 0; j <= n + 1; ++j) {
        const double s = static_cast<double>(j) / (n + 1);
        closedLine.emplace_back(marginU(s), closedLineV(s), 0.0);
    }
    eye.upper.innerUV = closedLine;
    eye.lower.innerUV = closedLine;
    eye.upper.minorCurve = minorCurve(kProfileHeight);
    eye.lower.minorCurve = minorCurve(-kProfileHeight);
    eye.upper.mountSize = kSampleMountSize;
    eye.lower.mountSize = kSampleMountSize;
    eye.upperOpenValue = kSampleOpenControl;
    eye.lowerOpenValue = -kSampleOpenControl;
    eye.pointsOffset.assign(offsetTable::size(n), V3d(0.0));

    // Arc positions along the closed line, measured as the node measures them.
    std::vector<double> arc(n + 2, 0.0);
    for (int j = 1; j <= n + 1; ++j) {
        arc[j] = arc[j - 1] + (closedLine[j] - closedLine[j - 1]).length();
    }
    for (int i = 0; i < n; ++i) {
        const double s = static_cast<double>(i + 1) / (n + 1);
        const double t = arc[i + 1] / arc[n + 1];
        const double upperProfile = profileAt(t, kProfileHeight);
        const double lowerProfile = -profileAt(t, -kProfileHeight); // how far down the lower curve reaches
        const double upperMove = upperMarginV(s) - closedLineV(s) - upperProfile;
        const double lowerMove = closedLineV(s) - lowerMarginV(s) - lowerProfile;
        eye.upper.moveVector.emplace_back(0.0, upperMove, 0.0);
        eye.lower.moveVector.emplace_back(0.0, lowerMove, 0.0);

        // Fully open, a lid overshoots its move vector by its profile, which
        // pushes the crease out by as much; the crease also follows the lid.
        const double upperRatio = (upperMove + upperProfile) / upperMove;
        const double lowerRatio = (lowerMove + lowerProfile) / lowerMove;
        using offsetTable::ColumnOffset;
        eye.pointsOffset[offsetTable::columnEntry(n, ColumnOffset::UpperOuterMove, i)] =
            V3d(0.0, -kUpperCreaseFollow, 0.0);
        eye.pointsOffset[offsetTable::columnEntry(n, ColumnOffset::LowerOuterMove, i)] =
            V3d(0.0, -kLowerCreaseFollow, 0.0);
        eye.upper.outerUV.emplace_back(creaseU(s), upperCreaseV(s) - upperProfile - upperRatio * kUpperCreaseFollow,
                                       0.0);
        eye.lower.outerUV.emplace_back(creaseU(s), lowerCreaseV(s) + lowerProfile + lowerRatio * kLowerCreaseFollow,
                                       0.0);
    }
}

void encodeEyeLists(SampleEye& eye, const EyeMesh& mesh, const std::vector<V3d>& points, bool softRegion)
{
    listLidVertices(eye.upper, mesh, [&mesh](int i) { return mesh.upperColumn(i); });
    listLidVertices(eye.lower, mesh, [&mesh](int i) { return mesh.lowerColumn(i); });
    listCorners(eye, mesh, points);
    if (softRegion) {
        groupFaceRings(eye, mesh);
    }
}

} // namespace rghost
