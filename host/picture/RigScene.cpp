#include "picture/RigScene.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <unordered_set>

#include <maya/MFnNurbsSurface.h>
#include <maya/MPoint.h>

#include "core/AttributeValue.h"
#include "core/ControlReference.h"
#include "rg/RgData.h"

using namespace rigContract;

namespace rghost {

namespace {

using Imath::V3d;

const V3d kSkin(0.86, 0.66, 0.56);
const V3d kWetMargin(0.78, 0.42, 0.42);
const V3d kSclera(0.95, 0.94, 0.91);
const V3d kIris(0.32, 0.50, 0.66);
const V3d kPupil(0.04, 0.04, 0.06);

constexpr double kPi = 3.14159265358979323846;
constexpr int kEyeballSegmentsU = 64;
constexpr int kEyeballSegmentsV = 32;
constexpr double kPupilAngle = 0.2; // radians from the line of sight
constexpr double kIrisAngle = 0.46;

bool endsWith(const std::string& text, const std::string& suffix)
{
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::unordered_set<std::int32_t> socketVertices(const Rig& rig)
{
    std::unordered_set<std::int32_t> vertices;
    for (const auto& [key, value] : rig.attributes) {
        const auto indices = std::dynamic_pointer_cast<RgInt>(value);
        if (indices && endsWith(key, "LidCenterIdxs")) {
            vertices.insert(indices->values.begin(), indices->values.end());
        }
    }
    return vertices;
}

// The white of the eye: the surface evaluated on a grid over its parameter
// range, leaving out what the iris covers around the direction `forward`.
std::vector<Facet> tessellateSclera(const RigSurface& sphere, const V3d& center, const V3d& forward)
{
    const mayastandin::NurbsSurfaceDescription& shape = sphere.description;
    const double firstU = shape.knotsU[shape.degreeU];
    const double lastU = shape.knotsU[shape.cvCountU];
    const double firstV = shape.knotsV[shape.degreeV];
    const double lastV = shape.knotsV[shape.cvCountV];
    const MFnNurbsSurface surface(sphere.surface);
    std::vector<V3d> grid;
    for (int iu = 0; iu <= kEyeballSegmentsU; ++iu) {
        for (int iv = 0; iv <= kEyeballSegmentsV; ++iv) {
            MPoint p;
            surface.getPointAtParam(firstU + (lastU - firstU) * iu / kEyeballSegmentsU,
                                    firstV + (lastV - firstV) * iv / kEyeballSegmentsV, p, MSpace::kWorld);
            grid.emplace_back(p.x, p.y, p.z);
        }
    }
    const auto at = [&grid](int iu, int iv) { return grid[iu * (kEyeballSegmentsV + 1) + iv]; };
    std::vector<Facet> facets;
    for (int iu = 0; iu < kEyeballSegmentsU; ++iu) {
        for (int iv = 0; iv < kEyeballSegmentsV; ++iv) {
            Facet facet{{at(iu, iv), at(iu + 1, iv), at(iu + 1, iv + 1), at(iu, iv + 1)}, kSclera, false};
            const V3d middle = (facet.corners[0] + facet.corners[2]) * 0.5 - center;
            if (middle.normalized().dot(forward) < std::cos(kIrisAngle)) {
                facets.push_back(std::move(facet));
            }
        }
    }
    return facets;
}

double averageDistance(const std::vector<Facet>& facets, const V3d& center)
{
    double sum = 0.0;
    std::size_t count = 0;
    for (const Facet& facet : facets) {
        for (const V3d& p : facet.corners) {
            sum += (p - center).length();
            ++count;
        }
    }
    return count == 0 ? 0.0 : sum / count;
}

// Iris and pupil as rings of small facets just over the eyeball around
// `forward`, small enough that each one sorts by depth against the lids in
// front of it.
std::vector<Facet> irisFacets(const V3d& center, const V3d& forward, double radius)
{
    const V3d side = (std::abs(forward.y) < 0.9 ? V3d(0.0, 1.0, 0.0) : V3d(1.0, 0.0, 0.0)).cross(forward).normalized();
    const V3d up = forward.cross(side);
    constexpr int kSegments = 64;
    constexpr int kRings = 10;
    const double lifted = radius * 1.01; // the cornea's bulge
    const auto pointAt = [&](double angle, int segment) {
        const double around = 2.0 * kPi * segment / kSegments;
        return center + (side * (std::sin(angle) * std::cos(around)) + up * (std::sin(angle) * std::sin(around)) +
                         forward * std::cos(angle)) *
                            lifted;
    };
    std::vector<Facet> facets;
    for (int ring = 0; ring < kRings; ++ring) {
        const double inner = kIrisAngle * ring / kRings;
        const double outer = kIrisAngle * (ring + 1) / kRings;
        const double middle = 0.5 * (inner + outer);
        const V3d color =
            middle < kPupilAngle ? kPupil : kIris * (1.0 - 0.4 * (middle - kPupilAngle) / (kIrisAngle - kPupilAngle));
        for (int segment = 0; segment < kSegments; ++segment) {
            facets.push_back({{pointAt(inner, segment), pointAt(outer, segment), pointAt(outer, segment + 1),
                               pointAt(inner, segment + 1)},
                              color,
                              false});
        }
    }
    return facets;
}

// Where the eye looks: from its center through the middle of the line where
// its lids close, which turns with the eyeball; +z when the rig has no such line.
V3d lookDirection(const RigSurface& sphere, const V3d& center, const AttributeMap& attributes,
                  const std::string& closingLineKey)
{
    const auto closingLine = valueAs<RgVector>(attributes, closingLineKey);
    V3d sum(0.0);
    if (closingLine) {
        const MFnNurbsSurface surface(sphere.surface);
        for (const V3d& uv : closingLine->values) {
            MPoint p;
            surface.getPointAtParam(uv.x, uv.y, p, MSpace::kWorld);
            sum += V3d(p.x, p.y, p.z) - center;
        }
    }
    return sum.length() > 0.0 ? sum.normalized() : V3d(0.0, 0.0, 1.0);
}

} // namespace

std::vector<Facet> meshFacets(const Rig& rig, const std::vector<V3d>& points)
{
    const std::unordered_set<std::int32_t> socket = socketVertices(rig);
    std::vector<Facet> facets;
    for (const auto& face : rig.faces) {
        Facet facet{{}, kSkin};
        for (const std::int32_t index : face) {
            if (index < 0 || static_cast<std::size_t>(index) >= points.size()) {
                break;
            }
            facet.corners.push_back(points[index]);
            if (socket.count(index) != 0) {
                facet.color = kWetMargin;
            }
        }
        if (facet.corners.size() == face.size()) {
            facets.push_back(std::move(facet));
        }
    }
    return facets;
}

std::vector<Facet> eyeballFacets(const Rig& rig, const AttributeMap& attributes)
{
    const std::string sphereField = "nurbsSphere";
    std::vector<Facet> facets;
    for (const auto& [key, value] : attributes) {
        const auto sphere = std::dynamic_pointer_cast<RgNurbsSurface>(value);
        if (!sphere || !endsWith(key, sphereField)) {
            continue;
        }
        const auto described = std::find_if(rig.surfaces.begin(), rig.surfaces.end(),
                                            [&](const RigSurface& known) { return known.surface == sphere->value; });
        const auto center = valueAs<RgVector>(attributes, siblingKey(key, "centerEye"));
        if (described == rig.surfaces.end() || !center) {
            continue;
        }
        const V3d forward = lookDirection(*described, center->value, attributes, siblingKey(key, "upperLidInnerUV"));
        const std::vector<Facet> sclera = tessellateSclera(*described, center->value, forward);
        const std::vector<Facet> iris = irisFacets(center->value, forward, averageDistance(sclera, center->value));
        facets.insert(facets.end(), sclera.begin(), sclera.end());
        facets.insert(facets.end(), iris.begin(), iris.end());
    }
    return facets;
}

SheetPanel rigPanel(const Rig& rig, const AttributeMap& attributes, const std::vector<V3d>& points, std::string caption)
{
    SheetPanel panel{std::move(caption), eyeballFacets(rig, attributes)};
    const std::vector<Facet> mesh = meshFacets(rig, points);
    panel.facets.insert(panel.facets.end(), mesh.begin(), mesh.end());
    return panel;
}

std::vector<Facet> eyeCloseUp(const Rig& rig, const AttributeMap& attributes, EyeSide side)
{
    constexpr double kWidening = 1.7;
    const std::string prefix = eyeAttributeKey(side, "");
    AttributeMap eye;
    for (const auto& [key, value] : attributes) {
        if (key.compare(0, prefix.size(), prefix) == 0) {
            eye.emplace(key, value);
        }
    }
    std::vector<Facet> facets = eyeballFacets(rig, eye);
    const auto center = std::dynamic_pointer_cast<RgVector>(eye[prefix + "centerEye"]);
    for (Facet& facet : facets) {
        for (V3d& p : facet.corners) {
            p = center->value + (p - center->value) * kWidening;
        }
    }
    return facets;
}

const std::map<std::string, SheetView>& sheetViewNames()
{
    static const std::map<std::string, SheetView> names = {
        {"front", SheetView::Front}, {"three-quarter", SheetView::ThreeQuarter}, {"side", SheetView::Side}};
    return names;
}

} // namespace rghost
