#include "sample/SampleEyeInputs.h"

#include <algorithm>

#include "lidShaper/rigContract.h"
#include "sample/SampleFaceShape.h"

using namespace rigContract;

namespace rghost {

using Imath::V3d;

namespace {

template <typename ColumnOf>
void listLidVertices(SampleLid& lid, const EyeMesh& mesh, ColumnOf columnOf)
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

// Corner list: the two corners (margin, crease), their neighbours on the
// upper lid at one third of the list and on the lower lid at two thirds, and
// from entry 4 each corner's own socket and skin rows, which move with it.
// The third is long enough that these rows end before the neighbours begin;
// entries nobody reads keep the inner corner's index.
void listCorners(SampleEye& eye, const EyeMesh& mesh)
{
    const std::size_t carriedEnd = cornerList::carriedEnd(mesh.centerRows(), mesh.betweenRows());
    const std::size_t third = std::max<std::size_t>(cornerList::kMinimumSize / 3, carriedEnd);
    std::vector<std::int32_t>& q = eye.cornersIdxs;
    q.assign(3 * third, mesh.vertex(mesh.innerCornerColumn(), mesh.marginRing()));
    const int corners[2] = {mesh.innerCornerColumn(), mesh.outerCornerColumn()};
    const int nearest[2] = {0, mesh.columns() - 1};
    using cornerList::Ring;
    for (int c = 0; c < 2; ++c) {
        const auto pair = [&](Ring ring, bool second) -> std::int32_t& {
            return q[cornerList::pairEntry(q.size(), ring, c, second)];
        };
        pair(Ring::Corner, false) = mesh.vertex(corners[c], mesh.marginRing());
        pair(Ring::Corner, true) = mesh.vertex(corners[c], mesh.creaseRing());
        pair(Ring::FirstNeighbour, false) = mesh.vertex(mesh.upperColumn(nearest[c]), mesh.marginRing());
        pair(Ring::FirstNeighbour, true) = mesh.vertex(mesh.upperColumn(nearest[c]), mesh.creaseRing());
        pair(Ring::SecondNeighbour, false) = mesh.vertex(mesh.lowerColumn(nearest[c]), mesh.marginRing());
        pair(Ring::SecondNeighbour, true) = mesh.vertex(mesh.lowerColumn(nearest[c]), mesh.creaseRing());
        const std::size_t start = cornerList::carriedStart(c, mesh.centerRows(), mesh.betweenRows());
        for (int row = 0; row < mesh.centerRows(); ++row) {
            q[start + row] = mesh.vertex(corners[c], mesh.socketRing(row));
        }
        for (int row = 0; row < mesh.betweenRows(); ++row) {
            q[start + mesh.centerRows() + row] = mesh.vertex(corners[c], mesh.skinRing(row));
        }
    }
}

// With the eye open a corner is drawn to the average of its two lid
// neighbours; its offset turns that pull back onto its own rest place, so
// the open pose holds still.
void offsetCorners(SampleEye& eye, const EyeMesh& mesh, const std::vector<V3d>& points)
{
    const int n = mesh.columns();
    const int corners[2] = {mesh.innerCornerColumn(), mesh.outerCornerColumn()};
    const int nearest[2] = {0, n - 1};
    for (int c = 0; c < 2; ++c) {
        const int rings[2] = {mesh.marginRing(), mesh.creaseRing()};
        for (int r = 0; r < 2; ++r) {
            const V3d& corner = points[mesh.vertex(corners[c], rings[r])];
            const V3d& above = points[mesh.vertex(mesh.upperColumn(nearest[c]), rings[r])];
            const V3d& below = points[mesh.vertex(mesh.lowerColumn(nearest[c]), rings[r])];
            const V3d smoothed = (above * 5.0 + corner * 6.0 + below * 5.0) / 16.0 - eye.center;
            const V3d wanted = corner - eye.center;
            const double scale = smoothed.z / wanted.z;
            eye.pointsOffset[offsetTable::cornerEntry(n, c, r == 1)] =
                V3d(wanted.x * scale - smoothed.x, wanted.y * scale - smoothed.y, 0.0);
        }
    }
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
    listCorners(eye, mesh);
    offsetCorners(eye, mesh, points);
    if (softRegion) {
        groupFaceRings(eye, mesh);
    }
}

} // namespace rghost
