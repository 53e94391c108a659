#include "build/RigBuilder.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "build/CharacterAxes.h"
#include "build/EyeEncoding.h"
#include "build/EyeLayout.h"
#include "build/MeshAdjacency.h"
#include "build/TestAnimation.h"
#include "rg/RgValueFactory.h"

using namespace rigContract;

namespace rghost::build {

using Imath::V3d;

namespace {

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

// How far the creases may move before they reach the loops that do not
// follow them: the soft region's aims, or without a soft region the loop
// past the crease (none: the mesh ends at the crease).
double creaseRoom(const EyeLayout& layout, const std::vector<SoftGroup>& face, const std::vector<V3d>& points)
{
    double room = std::numeric_limits<double>::infinity();
    if (!face.empty()) {
        for (const SoftGroup& group : face) {
            room = std::min(room, (points[group.aim] - points[group.pivot]).length());
        }
    } else if (layout.rings.crease + 1 < layout.rings.rings.size()) {
        for (std::size_t j = 0; j < layout.margin().size(); ++j) {
            room = std::min(room, (points[layout.vertex(j, layout.rings.crease + 1)] -
                                   points[layout.vertex(j, layout.rings.crease)])
                                      .length());
        }
    }
    return room;
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
    report.leftOverVertex = layout.split.extra ? layout.margin()[*layout.split.extra] : -1;
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
            const V3d middle = loopCentroid(bySide->margin, head.points);
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
    const V3d openingArches[2] = {openingArch(layouts[0].rings.rings.front(), head.points, openingFronts[0]),
                                  openingArch(layouts[1].rings.rings.front(), head.points, openingFronts[1])};
    const CharacterAxes character = characterAxes(options, openingFronts, openingArches, across);
    const V3d& up = character.up;
    const V3d& front = character.front;
    const bool leftFirst = firstIsLeft(character, spheres[0].center, spheres[1].center, options.swapSides);
    const std::size_t order[2] = {leftFirst ? 0u : 1u, leftFirst ? 1u : 0u};
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
    // An odd margin's left-over column follows its neighbours by soft-region
    // groups of its own, ahead of the face's, which it may pivot.
    std::vector<SoftGroup> leftOver[2] = {leftOverColumnGroups(layouts[order[0]]),
                                          leftOverColumnGroups(layouts[order[1]])};
    std::vector<char> used[2] = {usedBy(eyes[0], head.points.size()), usedBy(eyes[1], head.points.size())};
    markGroups(used[0], leftOver[0]);
    markGroups(used[1], leftOver[1]);
    for (std::size_t p = 0; p < head.points.size(); ++p) {
        if (used[0][p] && used[1][p]) {
            throw BuildError("the loops of both eyes meet at vertex " + std::to_string(p));
        }
    }
    std::vector<SoftGroup> face[2];
    if (options.softRegion) {
        // Each eye's groups keep clear of everything the other eye moves.
        std::vector<char> aroundLeft = used[0];
        face[0] = softRegionClearOf(layouts[order[0]], options.softRegionRings, used[1]);
        markGroups(aroundLeft, face[0]);
        face[1] = softRegionClearOf(layouts[order[1]], options.softRegionRings, aroundLeft);
    }
    std::vector<std::int32_t> softRegion;
    for (const std::vector<SoftGroup>* groups : {&leftOver[0], &leftOver[1], &face[0], &face[1]}) {
        appendSoftRegion(softRegion, *groups);
    }
    attributes[kSoftRegionKey] = makeRgList<RgInt>(softRegion);
    double look = std::numeric_limits<double>::infinity();
    for (std::size_t s = 0; s < 2; ++s) {
        const EyeLayout& layout = layouts[order[s]];
        look = std::min(look, lookDegrees(cornerGap(layout, head.points), creaseRoom(layout, face[s], head.points),
                                          layout.eyeball.radius));
    }
    addTestAnimation(rig, animated, up, front, options.frames, look);
    return built;
}

} // namespace rghost::build
