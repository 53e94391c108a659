#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <Imath/ImathMatrix.h>
#include <Imath/ImathVec.h>
#include <maya/MObject.h>

#include "lidShaper/rigContract.h"
#include "rg/AttributeMap.h"
#include "rg/NurbsCurveData.h"

namespace rghost {

// The node's result in world space; an index outside it names no point.
class WorldPoints {
public:
    WorldPoints(const std::vector<Imath::V3d>& points, const Imath::M44d& geometryMatrix)
        : points_(points), matrix_(geometryMatrix)
    {
    }

    std::optional<Imath::V3d> at(std::int32_t index) const;

    // Entry `position` of `indices`, when the list holds it and it names a point.
    std::optional<Imath::V3d> at(const std::vector<std::int32_t>& indices, std::size_t position) const;

private:
    const std::vector<Imath::V3d>& points_;
    Imath::M44d matrix_;
};

// One lid's lists, as the frame's map holds them (empty where a key is
// missing or of another class).
struct LidLists {
    bool upper = true;
    std::vector<std::int32_t> inner, outer, center, between;
    std::vector<Imath::V3d> innerUV, outerUV, moveVector;
    NurbsCurveData minorCurve;
};

// One eye's inputs, as far as the overlay reads them.
struct EyeOverlayInputs {
    rigContract::EyeSide side = rigContract::EyeSide::Left;
    MObject sphere;
    Imath::V3d center{0.0};
    bool compute = false;
    double closeEye = 0.0;
    double closeLine = 0.0;
    LidLists upperLid, lowerLid;
    std::vector<std::int32_t> corners;
    std::vector<Imath::V3d> pointsOffset;

    // The column count: entries of the upper inner list.
    std::size_t columns() const { return upperLid.inner.size(); }
    // Rows per column of the center and between lists; both lids take the upper lid's.
    std::size_t centerRows() const;
    std::size_t betweenRows() const;

    // The eyeball's point at surface parameters (u, v), in world space.
    Imath::V3d spherePoint(double u, double v) const;
    // The point at (uv.x + shift.x, uv.y + shift.y), pushed out from the center
    // by shift.z, as the node reads an offset from surface parameters.
    Imath::V3d shiftedSpherePoint(const Imath::V3d& uv, const Imath::V3d& shift) const;
};

// The eye `side` of `attributes`, or nothing when it has no eyeball surface
// or no center to draw around.
std::optional<EyeOverlayInputs> readEyeOverlayInputs(const AttributeMap& attributes, rigContract::EyeSide side);

} // namespace rghost
