#include "build/EyeEncoding.h"

#include <algorithm>
#include <cmath>

#include <maya/MFnNurbsSurface.h>

#include "build/CornerList.h"

using namespace rigContract;

namespace rghost::build {

using Imath::V3d;

namespace {

// A straight minor curve: the lids keep the shape of their margins between
// open and closed rather than arching.
NurbsCurveData straightMinorCurve()
{
    NurbsCurveData curve;
    curve.cvs = {V3d(0.0, 0.0, 0.0), V3d(0.5, 0.0, 0.0), V3d(1.0, 0.0, 0.0)};
    curve.knots = {0.0f, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f};
    curve.degree = 2;
    return curve;
}

// A move vector the node can divide by: a lid modelled closed still gets a
// direction to open in.
V3d movable(const V3d& move)
{
    return move.length() > 1e-9 ? move : V3d(0.0, 1e-9, 0.0);
}

// An open lid lays each skin row past the first on the straight span from
// margin to crease at its share of the skin's length, lifted by mount size
// times weight away from the eye centre: the weight is the lift that brings
// the row back to its modelled place (none where the row lies below the span).
void liftSkinRows(Rig& rig, const EyeLayout& layout, const std::vector<std::size_t>& columns, double mountSize)
{
    std::vector<V3d>& points = rig.geometry.points;
    const V3d& center = layout.eyeball.center;
    for (std::size_t j : columns) {
        const V3d margin = points[layout.vertex(j, layout.rings.margin)];
        const V3d crease = points[layout.vertex(j, layout.rings.crease)];
        std::vector<double> travelled;
        V3d previous = margin;
        double length = 0.0;
        for (std::size_t k = layout.rings.margin + 1; k < layout.rings.crease; ++k) {
            length += (points[layout.vertex(j, k)] - previous).length();
            travelled.push_back(length);
            previous = points[layout.vertex(j, k)];
        }
        length += (crease - previous).length();
        for (std::size_t row = 1; row < travelled.size(); ++row) {
            const std::int32_t v = layout.vertex(j, layout.rings.margin + 1 + row);
            const V3d span = margin + (crease - margin) * (travelled[row] / length);
            const double lift = (points[v] - center).length() - (span - center).length();
            rig.geometry.weights[v] = static_cast<float>(std::max(0.0, lift / (mountSize * 0.01)));
        }
    }
}

// Where column's lids meet, as a fraction of the way from its open lower
// margin to its open upper one: kClosedLineHeight in the middle of the eye,
// and towards the corners the line between them, so that no lid passes a
// corner on its way closed. `along` is the column's place from the inner
// (0) to the outer corner (1).
double closingHeight(const V3d& upper, const V3d& lower, const V3d& innerCorner, const V3d& outerCorner, double along)
{
    const V3d line = outerCorner - innerCorner;
    const V3d travel = upper - lower;
    const double across = travel.x * line.y - travel.y * line.x;
    double onLine = kClosedLineHeight;
    if (std::abs(across) > 1e-12) {
        const V3d offset = innerCorner - lower;
        onLine = std::clamp((offset.x * line.y - offset.y * line.x) / across, 0.1, 0.9);
    }
    const double middle = std::sin(3.14159265358979323846 * along);
    return onLine + (kClosedLineHeight - onLine) * middle;
}

} // namespace

EyeInputs encodeEye(Rig& rig, const EyeLayout& layout)
{
    const std::vector<V3d>& points = rig.geometry.points;
    const EyeRings& rings = layout.rings;
    const MarginSplit& split = layout.split;
    const std::size_t n = split.upper.size();

    EyeInputs eye;
    eye.center = layout.eyeball.center;
    eye.eyeball = addSurface(rig, eyeballSurface(layout.eyeball.center, layout.eyeball.radius, layout.axes));
    const MFnNurbsSurface surface(eye.eyeball);
    const auto parameters = [&](std::int32_t v) {
        return closestParameters(surface, layout.eyeball.center, layout.axes, points[v]);
    };

    const double mountSize = kMountSize;
    for (LidInputs* lid : {&eye.upper, &eye.lower}) {
        lid->minorCurve = straightMinorCurve();
        lid->mountSize = mountSize;
    }
    const V3d innerCorner = parameters(layout.vertex(split.innerCorner, rings.margin));
    const V3d outerCorner = parameters(layout.vertex(split.outerCorner, rings.margin));
    eye.upper.innerUV.push_back(innerCorner);
    eye.lower.innerUV.push_back(innerCorner);
    eye.pointsOffset.assign(offsetTable::size(n), V3d(0.0));
    using offsetTable::ColumnOffset;
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t up = split.upper[i];
        const std::size_t down = split.lower[i];
        const V3d upperOpen = parameters(layout.vertex(up, rings.margin));
        const V3d lowerOpen = parameters(layout.vertex(down, rings.margin));
        const V3d closed = lowerOpen + (upperOpen - lowerOpen) *
                                           closingHeight(upperOpen, lowerOpen, innerCorner, outerCorner,
                                                         static_cast<double>(i + 1) / static_cast<double>(n + 1));
        eye.upper.innerUV.push_back(closed);
        eye.lower.innerUV.push_back(closed);
        const V3d upperMove = movable(upperOpen - closed);
        const V3d lowerMove = movable(closed - lowerOpen);
        eye.upper.moveVector.push_back(upperMove);
        eye.lower.moveVector.push_back(lowerMove);

        // Open, the crease sits where it is modelled; as its lid closes it
        // comes along by kCreaseFollow of the lid's travel.
        const V3d upperFollow = -upperMove * kCreaseFollow;
        const V3d lowerFollow = -lowerMove * kCreaseFollow;
        eye.pointsOffset[offsetTable::columnEntry(n, ColumnOffset::UpperOuterMove, i)] = upperFollow;
        eye.pointsOffset[offsetTable::columnEntry(n, ColumnOffset::LowerOuterMove, i)] = lowerFollow;
        eye.upper.outerUV.push_back(parameters(layout.vertex(up, rings.crease)) + upperFollow);
        eye.lower.outerUV.push_back(parameters(layout.vertex(down, rings.crease)) - lowerFollow);

        for (LidInputs* lid : {&eye.upper, &eye.lower}) {
            const std::size_t j = lid == &eye.upper ? up : down;
            lid->innerIdxs.push_back(layout.vertex(j, rings.margin));
            lid->outerIdxs.push_back(layout.vertex(j, rings.crease));
            for (std::size_t k = rings.margin; k-- > rings.socket;) {
                lid->centerIdxs.push_back(layout.vertex(j, k));
            }
            for (std::size_t k = rings.margin + 1; k < rings.crease; ++k) {
                lid->betweenIdxs.push_back(layout.vertex(j, k));
            }
        }
    }
    eye.upper.innerUV.push_back(outerCorner);
    eye.lower.innerUV.push_back(outerCorner);
    liftSkinRows(rig, layout, split.upper, mountSize);
    liftSkinRows(rig, layout, split.lower, mountSize);

    CornerColumn corners[2];
    const std::size_t cornerPositions[2] = {split.innerCorner, split.outerCorner};
    const std::size_t nearest[2] = {0, n - 1};
    for (std::size_t c = 0; c < 2; ++c) {
        CornerColumn& corner = corners[c];
        const std::size_t j = cornerPositions[c];
        corner.margin = layout.vertex(j, rings.margin);
        corner.crease = layout.vertex(j, rings.crease);
        for (std::size_t k = rings.margin; k-- > rings.socket;) {
            corner.socketRows.push_back(layout.vertex(j, k));
        }
        for (std::size_t k = rings.margin + 1; k < rings.crease; ++k) {
            corner.skinRows.push_back(layout.vertex(j, k));
        }
        corner.upperMargin = layout.vertex(split.upper[nearest[c]], rings.margin);
        corner.upperCrease = layout.vertex(split.upper[nearest[c]], rings.crease);
        corner.lowerMargin = layout.vertex(split.lower[nearest[c]], rings.margin);
        corner.lowerCrease = layout.vertex(split.lower[nearest[c]], rings.crease);
        eye.pointsOffset[offsetTable::cornerEntry(n, c, false)] =
            cornerOffset(points[corner.margin], points[corner.upperMargin], points[corner.lowerMargin], eye.center);
        eye.pointsOffset[offsetTable::cornerEntry(n, c, true)] =
            cornerOffset(points[corner.crease], points[corner.upperCrease], points[corner.lowerCrease], eye.center);
    }
    eye.cornersIdxs = cornerListOf(corners[0], corners[1]);
    return eye;
}

std::vector<SoftGroup> softRegionGroups(const EyeLayout& layout, int rings)
{
    std::vector<SoftGroup> groups;
    const std::size_t crease = layout.rings.crease;
    const std::size_t available = layout.rings.rings.size() - crease - 1;
    const std::size_t aim = crease + std::min<std::size_t>(static_cast<std::size_t>(std::max(rings, 0)) + 1, available);
    if (aim < crease + 2) {
        return groups;
    }
    for (std::size_t j = 0; j < layout.margin().size(); ++j) {
        SoftGroup group{layout.vertex(j, crease), layout.vertex(j, aim), {}};
        for (std::size_t k = crease + 1; k < aim; ++k) {
            group.members.push_back(layout.vertex(j, k));
        }
        groups.push_back(std::move(group));
    }
    return groups;
}

std::vector<SoftGroup> leftOverColumnGroups(const EyeLayout& layout)
{
    std::vector<SoftGroup> groups;
    if (!layout.split.extra) {
        return groups;
    }
    for (std::size_t k = layout.rings.socket; k <= layout.rings.crease; ++k) {
        groups.push_back({layout.vertex(layout.split.outerCorner, k),
                          layout.vertex(layout.split.extraAim, k),
                          {layout.vertex(*layout.split.extra, k)}});
    }
    return groups;
}

void appendSoftRegion(std::vector<std::int32_t>& list, const std::vector<SoftGroup>& groups)
{
    for (const SoftGroup& group : groups) {
        list.push_back(group.pivot);
        list.push_back(group.aim);
        list.push_back(static_cast<std::int32_t>(group.members.size()));
        list.insert(list.end(), group.members.begin(), group.members.end());
    }
}

} // namespace rghost::build
