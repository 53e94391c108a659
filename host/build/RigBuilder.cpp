#include "build/RigBuilder.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "build/EyeEncoding.h"
#include "build/EyeLayout.h"
#include "build/MeshAdjacency.h"
#include "build/TestAnimation.h"
#include "rg/RgValueFactory.h"

namespace rghost::build {

using Imath::V3d;

namespace {

// How far from its opening an eye's loops are followed, in eyeball radii,
// and how far out from the margin its crease may lie, in opening widths.
constexpr double kLoopReach = 2.5;
constexpr double kCreaseReach = 0.75;

std::string eyeballName(std::size_t index)
{
    return "eyeball " + std::to_string(index + 1);
}

Sphere eyeballSphere(const EyeballInput& input, std::size_t index)
{
    if (input.center) {
        if (!(input.radius > 0.0) || !std::isfinite(input.radius)) {
            throw BuildError(eyeballName(index) + " has a centre but no positive radius");
        }
        return {*input.center, input.radius, 0.0};
    }
    return fitSphere(input.points, eyeballName(index));
}

V3d centroidOf(const std::vector<std::int32_t>& loop, const std::vector<V3d>& points)
{
    V3d sum(0.0);
    for (std::int32_t v : loop) {
        sum += points[v];
    }
    return sum / static_cast<double>(loop.size());
}

// The character's up and front. Given, they are taken (made square to the
// line between the eyes). Otherwise front is the way both openings face
// together, and up lies across it and the line between the eyes, on the
// side of the scene's own up axis (the world axis it lies closest to, taken
// positive). Eyes on the sides of a head face away from each other and tell
// no front: then up is the scene's Y axis (Z where the eyes lie along Y),
// and front the side of it the openings lean to.
struct CharacterAxes {
    V3d up;
    V3d front;
};

CharacterAxes characterAxes(const BuildOptions& options, const V3d (&openingFronts)[2], const V3d& across)
{
    const auto square = [&](V3d v) { return (v - across * v.dot(across)).normalized(); };
    CharacterAxes axes;
    V3d front = openingFronts[0] + openingFronts[1];
    front -= across * front.dot(across);
    // Openings more than 45 degrees round towards the line between the eyes.
    const bool eyesOnTheSides =
        std::abs(openingFronts[0].dot(across)) + std::abs(openingFronts[1].dot(across)) > 2.0 * std::sqrt(0.5);
    if (options.up) {
        axes.up = square(*options.up);
    } else if (!eyesOnTheSides || options.front) {
        const V3d f = options.front ? square(*options.front) : front.normalized();
        V3d up = f.cross(across).normalized();
        int axis = 0;
        for (int i = 1; i < 3; ++i) {
            if (std::abs(up[i]) > std::abs(up[axis])) {
                axis = i;
            }
        }
        axes.up = up[axis] < 0.0 ? -up : up;
    } else {
        axes.up = square(std::abs(across.y) < 0.5 ? V3d(0.0, 1.0, 0.0) : V3d(0.0, 0.0, 1.0));
    }
    if (options.front) {
        front = *options.front;
    }
    axes.front = across.cross(axes.up).normalized();
    if (axes.front.dot(front) < 0.0) {
        axes.front = -axes.front;
    }
    return axes;
}

// Faces at the margin must be a surface the lids can be built on.
void checkMarginFaces(const MeshAdjacency& mesh, const std::vector<std::int32_t>& margin, double width)
{
    const HeadMesh& head = mesh.mesh();
    for (std::int32_t v : margin) {
        for (const std::int32_t* f = mesh.facesBegin(v); f != mesh.facesEnd(v); ++f) {
            const std::vector<std::int32_t>& face = head.faces[*f];
            V3d area(0.0);
            for (std::size_t k = 1; k + 1 < face.size(); ++k) {
                area += (head.points[face[k]] - head.points[face[0]])
                            .cross(head.points[face[k + 1]] - head.points[face[0]]);
            }
            if (area.length() <= 1e-10 * width * width) {
                throw BuildError("face " + std::to_string(*f) + " at margin vertex " + std::to_string(v) +
                                 " has zero area");
            }
            const std::int32_t next = mesh.cornerAfter(*f, v);
            if (mesh.edgeFaces(v, next).size() > 2) {
                throw BuildError("the edge from margin vertex " + std::to_string(v) + " to vertex " +
                                 std::to_string(next) + " has more than two faces");
            }
        }
    }
}

// The way an opening faces: across its loop (its area's normal), on the side
// of the face around it, which lies in front of the eyeball even where the
// opening wraps back round the eyeball into the socket.
V3d openingFront(const EyeRings& rings, const std::vector<V3d>& points, const V3d& center)
{
    const std::vector<std::int32_t>& opening = rings.rings.front();
    V3d normal(0.0);
    for (std::size_t j = 0; j < opening.size(); ++j) {
        normal += (points[opening[j]] - center).cross(points[opening[(j + 1) % opening.size()]] - center);
    }
    const V3d face = centroidOf(rings.rings.back(), points) - center;
    normal.normalize();
    return normal.dot(face) < 0.0 ? -normal : normal;
}

// Finds one eye's opening (the hole in front of its eyeball, or the margin
// given) and the loops around it, and the way it faces.
EyeLayout walkEye(const MeshAdjacency& mesh, const std::vector<std::vector<std::int32_t>>& holes, const Sphere& eyeball,
                  const EyeOverrides& overrides, std::size_t index)
{
    const std::vector<V3d>& points = mesh.mesh().points;
    EyeLayout layout;
    layout.eyeball = eyeball;
    const double reach = kLoopReach * eyeball.radius;
    const std::vector<std::int32_t> opening =
        overrides.margin.empty() ? openingInFront(mesh, holes, eyeball, static_cast<int>(index + 1)) : overrides.margin;
    if (!overrides.margin.empty()) {
        checkEdgeLoop(mesh, opening);
    }
    // A hole has faces on one side only; a margin loop given grows its loops
    // on the side where they widen as seen from the eyeball (the other side
    // runs into the socket, which such a margin does not rig).
    const V3d towardsOpening = (centroidOf(opening, points) - eyeball.center).normalized();
    double widest = -std::numeric_limits<double>::infinity();
    for (RingSide side : {RingSide::AlongWinding, RingSide::AgainstWinding}) {
        if (!hasFacesOn(mesh, opening, side)) {
            continue;
        }
        std::vector<char> taken(mesh.vertexCount(), 0);
        EyeRings rings = walkRings(mesh, opening, side, reach, taken);
        double width = 0.0;
        if (rings.rings.size() > 1) {
            for (std::int32_t v : rings.rings[1]) {
                width -= (points[v] - eyeball.center).normalized().dot(towardsOpening);
            }
        }
        if (width > widest) {
            widest = width;
            layout.rings = std::move(rings);
        }
    }
    if (layout.rings.rings.empty()) {
        throw BuildError("the margin loop of vertex " + std::to_string(opening.front()) + " has no faces along it");
    }
    layout.axes.front = overrides.margin.empty() ? openingFront(layout.rings, points, eyeball.center) : towardsOpening;
    return layout;
}

// `base` with whatever `more` sets (its margin aside).
EyeOverrides withOverrides(EyeOverrides base, const EyeOverrides& more)
{
    for (auto [field, value] : {std::pair{&base.innerCorner, more.innerCorner},
                                {&base.outerCorner, more.outerCorner},
                                {&base.upperMiddle, more.upperMiddle},
                                {&base.lowerMiddle, more.lowerMiddle}}) {
        if (value) {
            *field = value;
        }
    }
    if (more.betweenRows) {
        base.betweenRows = more.betweenRows;
    }
    if (more.centerRows) {
        base.centerRows = more.centerRows;
    }
    return base;
}

// Finds the margin among the eye's loops, its corners and lids, and its crease.
void finishEye(EyeLayout& layout, const MeshAdjacency& mesh, const EyeOverrides& overrides, const V3d& nose,
               const V3d& characterUp)
{
    const std::vector<V3d>& points = mesh.mesh().points;
    chooseMargin(layout.rings, points, layout.eyeball, layout.axes.front,
                 overrides.margin.empty() ? overrides.centerRows : std::optional<int>(0));
    layout.marginIsHole = overrides.margin.empty() && layout.rings.margin == 0;
    std::vector<V3d> marginPoints;
    for (std::int32_t v : layout.margin()) {
        marginPoints.push_back(points[v]);
    }
    layout.axes = openingAxes(marginPoints, layout.eyeball.center, nose, characterUp);
    layout.split = splitMargin(layout.margin(), points, layout.axes, overrides);
    layout.width =
        (points[layout.margin()[layout.split.outerCorner]] - points[layout.margin()[layout.split.innerCorner]])
            .length();
    checkMarginFaces(mesh, layout.margin(), layout.width);
    chooseCrease(layout.rings, points, layout.eyeball.center, kCreaseReach * layout.width, overrides.betweenRows);
}

// The vertices an eye's lid lists and corner list name.
std::vector<char> usedBy(const EyeInputs& eye, std::size_t pointCount)
{
    std::vector<char> used(pointCount, 0);
    for (const LidInputs* lid : {&eye.upper, &eye.lower}) {
        for (const auto* list : {&lid->innerIdxs, &lid->outerIdxs, &lid->centerIdxs, &lid->betweenIdxs}) {
            for (std::int32_t v : *list) {
                used[v] = 1;
            }
        }
    }
    for (std::int32_t v : eye.cornersIdxs) {
        used[v] = 1;
    }
    return used;
}

void markGroups(std::vector<char>& marks, const std::vector<SoftGroup>& groups)
{
    for (const SoftGroup& group : groups) {
        marks[group.aim] = 1;
        for (std::int32_t v : group.members) {
            marks[v] = 1;
        }
    }
}

// The soft region of one eye with as many face rings as stay clear of the
// vertices `other` marks (the other eye's).
std::vector<SoftGroup> softRegionClearOf(const EyeLayout& layout, int rings, const std::vector<char>& other)
{
    for (int r = rings; r > 0; --r) {
        std::vector<SoftGroup> groups = softRegionGroups(layout, r);
        const auto clear = [&](const SoftGroup& group) {
            return !other[group.aim] &&
                   std::none_of(group.members.begin(), group.members.end(), [&](std::int32_t v) { return other[v]; });
        };
        if (std::all_of(groups.begin(), groups.end(), clear)) {
            return groups;
        }
    }
    return {};
}

// The shortest distance from an eye corner to a lid neighbour, over both
// corners.
double cornerGap(const EyeLayout& layout, const std::vector<V3d>& points)
{
    const MarginSplit& split = layout.split;
    const std::size_t n = split.upper.size();
    const std::size_t corners[2] = {split.innerCorner, split.outerCorner};
    const std::size_t nearest[2] = {0, n - 1};
    double gap = std::numeric_limits<double>::infinity();
    for (std::size_t c = 0; c < 2; ++c) {
        const V3d& corner = points[layout.margin()[corners[c]]];
        for (std::size_t j : {split.upper[nearest[c]], split.lower[nearest[c]]}) {
            gap = std::min(gap, (points[layout.margin()[j]] - corner).length());
        }
    }
    return gap;
}

EyeReport reportOf(const EyeLayout& layout, EyeSide side)
{
    EyeReport report;
    report.side = side;
    report.upperColumns = static_cast<int>(layout.split.upper.size());
    report.lowerColumns = static_cast<int>(layout.split.lower.size());
    report.centerRows = layout.centerRows();
    report.betweenRows = layout.betweenRows();
    report.innerCorner = layout.margin()[layout.split.innerCorner];
    report.outerCorner = layout.margin()[layout.split.outerCorner];
    report.marginSize = layout.margin().size();
    report.marginIsHole = layout.marginIsHole;
    report.eyeballCenter = layout.eyeball.center;
    report.eyeballRadius = layout.eyeball.radius;
    report.eyeballResidual = layout.eyeball.residual;
    report.openingWidth = layout.width;
    return report;
}

} // namespace

BuiltRig buildRig(const HeadMesh& head, const std::vector<EyeballInput>& eyeballs, const BuildOptions& options)
{
    if (eyeballs.size() != 2) {
        throw BuildError("two eyeballs are needed, " + std::to_string(eyeballs.size()) + " given");
    }
    if (options.frames < 1) {
        throw BuildError("the test animation needs at least one frame");
    }
    for (std::size_t p = 0; p < head.points.size(); ++p) {
        const V3d& point = head.points[p];
        if (!std::isfinite(point.x) || !std::isfinite(point.y) || !std::isfinite(point.z)) {
            throw BuildError("point " + std::to_string(p) + " of the head is not a finite number");
        }
    }
    const MeshAdjacency mesh(head);
    const Sphere spheres[2] = {eyeballSphere(eyeballs[0], 0), eyeballSphere(eyeballs[1], 1)};
    if ((spheres[0].center - spheres[1].center).length() < spheres[0].radius + spheres[1].radius) {
        throw BuildError("eyeballs 1 and 2 overlap: their centres lie closer than their radii add up to");
    }
    const std::vector<std::vector<std::int32_t>> holes = mesh.boundaryLoops();

    // Overrides by side join those of the eyeball: a margin loop goes to the
    // eyeball it surrounds, the rest once the sides are known.
    EyeOverrides overrides[2] = {eyeballs[0].overrides, eyeballs[1].overrides};
    for (const EyeOverrides* bySide : {&options.leftEye, &options.rightEye}) {
        if (!bySide->margin.empty()) {
            checkEdgeLoop(mesh, bySide->margin);
            const V3d middle = centroidOf(bySide->margin, head.points);
            const std::size_t e =
                (middle - spheres[0].center).length() <= (middle - spheres[1].center).length() ? 0 : 1;
            overrides[e].margin = bySide->margin;
        }
    }

    // The character's directions, from both eyes together: the way the
    // openings face and the line between the eyeballs.
    EyeLayout layouts[2] = {walkEye(mesh, holes, spheres[0], overrides[0], 0),
                            walkEye(mesh, holes, spheres[1], overrides[1], 1)};
    const V3d across = (spheres[1].center - spheres[0].center).normalized();
    const V3d openingFronts[2] = {layouts[0].axes.front, layouts[1].axes.front};
    const CharacterAxes character = characterAxes(options, openingFronts, across);
    const V3d& up = character.up;
    const V3d& front = character.front;
    // The character's left is on its left hand as it looks forward with its head up.
    const V3d left = up.cross(front);
    bool firstIsLeft = spheres[0].center.dot(left) > spheres[1].center.dot(left);
    if (options.swapSides) {
        firstIsLeft = !firstIsLeft;
    }
    const std::size_t order[2] = {firstIsLeft ? 0u : 1u, firstIsLeft ? 1u : 0u};
    for (std::size_t s = 0; s < 2; ++s) {
        const EyeOverrides& bySide = s == 0 ? options.leftEye : options.rightEye;
        overrides[order[s]] = withOverrides(overrides[order[s]], bySide);
    }
    for (std::size_t e = 0; e < 2; ++e) {
        finishEye(layouts[e], mesh, overrides[e], spheres[1 - e].center, up);
    }

    BuiltRig built;
    Rig& rig = built.rig;
    rig.nodeName = "eyeRig1";
    rig.geometry.points = head.points;
    rig.geometry.weights.assign(head.points.size(), 1.0f);
    rig.faces = head.faces;
    AttributeMap& attributes = rig.attributes;
    attributes[kDebugModeKey] = makeRgValue<RgInt>(0);
    attributes[kCacheAttributesKey] = makeRgValue<RgBoolean>(true);
    attributes[kEnvelopeKey] = makeRgValue<RgFloat>(1.0f);
    attributes[kSoaEnabledKey] = makeRgValue<RgBoolean>(false);

    EyeInputs eyes[2];
    std::vector<AnimatedEye> animated;
    for (std::size_t s = 0; s < 2; ++s) {
        const EyeSide side = kEyeSides[s];
        eyes[s] = encodeEye(rig, layouts[order[s]]);
        setEyeAttributes(attributes, side, eyes[s]);
        setEyeControls(attributes, side, openControls());
        animated.push_back({side, eyes[s].eyeball, eyes[s].center});
        built.eyes.push_back(reportOf(layouts[order[s]], side));
    }
    const std::vector<char> used[2] = {usedBy(eyes[0], head.points.size()), usedBy(eyes[1], head.points.size())};
    for (std::size_t p = 0; p < head.points.size(); ++p) {
        if (used[0][p] && used[1][p]) {
            throw BuildError("the loops of both eyes meet at vertex " + std::to_string(p));
        }
    }
    std::vector<std::int32_t> softRegion;
    if (options.softRegion) {
        // Each eye's groups keep clear of everything the other eye moves.
        std::vector<char> aroundLeft = used[0];
        const std::vector<SoftGroup> left = softRegionClearOf(layouts[order[0]], options.softRegionRings, used[1]);
        markGroups(aroundLeft, left);
        appendSoftRegion(softRegion, left);
        appendSoftRegion(softRegion, softRegionClearOf(layouts[order[1]], options.softRegionRings, aroundLeft));
    }
    attributes[kSoftRegionKey] = makeRgList<RgInt>(softRegion);
    const double look = std::min(lookDegrees(cornerGap(layouts[0], head.points), spheres[0].radius),
                                 lookDegrees(cornerGap(layouts[1], head.points), spheres[1].radius));
    addTestAnimation(rig, animated, up, front, options.frames, look);
    return built;
}

} // namespace rghost::build
