#include "build/EyeLayout.h"

#include <limits>
#include <string>

namespace rghost::build {

using Imath::V3d;

namespace {

// How far from its opening an eye's loops are followed, in eyeball radii,
// and how far out from the margin its crease may lie, in opening widths.
constexpr double kLoopReach = 2.5;
constexpr double kCreaseReach = 0.75;

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
            if (mesh.edgeFaceCount(v, next) > 2) {
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
    const V3d face = loopCentroid(rings.rings.back(), points) - center;
    normal.normalize();
    return normal.dot(face) < 0.0 ? -normal : normal;
}

} // namespace

V3d loopCentroid(const std::vector<std::int32_t>& loop, const std::vector<V3d>& points)
{
    V3d sum(0.0);
    for (std::int32_t v : loop) {
        sum += points[v];
    }
    return sum / static_cast<double>(loop.size());
}

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
    const V3d towardsOpening = (loopCentroid(opening, points) - eyeball.center).normalized();
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

} // namespace rghost::build
