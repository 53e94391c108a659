#include "overlay/OverlayInputs.h"

#include <maya/MFnNurbsSurface.h>
#include <maya/MPoint.h>

#include "core/AttributeValue.h"
#include "rg/RgData.h"

namespace rghost {

using Imath::V3d;

std::optional<V3d> WorldPoints::at(std::int32_t index) const
{
    if (index < 0 || static_cast<std::size_t>(index) >= points_.size()) {
        return std::nullopt;
    }
    V3d world;
    matrix_.multVecMatrix(points_[index], world);
    return world;
}

std::optional<V3d> WorldPoints::at(const std::vector<std::int32_t>& indices, std::size_t position) const
{
    return position < indices.size() ? at(indices[position]) : std::nullopt;
}

std::size_t EyeOverlayInputs::centerRows() const
{
    return columns() == 0 ? 0 : upperLid.center.size() / columns();
}

std::size_t EyeOverlayInputs::betweenRows() const
{
    return columns() == 0 ? 0 : upperLid.between.size() / columns();
}

V3d EyeOverlayInputs::spherePoint(double u, double v) const
{
    MPoint p;
    MFnNurbsSurface(sphere).getPointAtParam(u, v, p, MSpace::kWorld);
    return V3d(p.x, p.y, p.z);
}

V3d EyeOverlayInputs::shiftedSpherePoint(const V3d& uv, const V3d& shift) const
{
    const V3d onSphere = spherePoint(uv.x + shift.x, uv.y + shift.y);
    return center + (onSphere - center).normalized() * ((onSphere - center).length() + shift.z);
}

namespace {

class EyeKeys {
public:
    EyeKeys(const AttributeMap& attributes, EyeSide side) : attributes_(attributes), side_(side) {}

    template <typename Value>
    std::shared_ptr<const Value> value(const char* field) const
    {
        return valueAs<Value>(attributes_, eyeAttributeKey(side_, field));
    }

    template <typename Value>
    auto list(const char* field) const -> decltype(Value::values)
    {
        const auto found = value<Value>(field);
        return found ? found->values : decltype(Value::values){};
    }

    double number(const char* field, double fallback) const
    {
        const auto found = value<RgDouble>(field);
        return found ? found->value : fallback;
    }

private:
    const AttributeMap& attributes_;
    EyeSide side_;
};

LidLists readLid(const EyeKeys& keys, bool upper)
{
    const auto field = [upper](const char* name) { return std::string(upper ? "upper" : "lower") + name; };
    LidLists lid;
    lid.upper = upper;
    lid.inner = keys.list<RgInt>(field("LidInnerIdxs").c_str());
    lid.outer = keys.list<RgInt>(field("LidOuterIdxs").c_str());
    lid.center = keys.list<RgInt>(field("LidCenterIdxs").c_str());
    lid.between = keys.list<RgInt>(field("LidBetweenIdxs").c_str());
    lid.innerUV = keys.list<RgVector>(field("LidInnerUV").c_str());
    lid.outerUV = keys.list<RgVector>(field("LidOuterUV").c_str());
    lid.moveVector = keys.list<RgVector>(field("LidMoveVector").c_str());
    if (const auto curve = keys.value<RgNurbsCurve>(field("LidMinorCurve").c_str())) {
        lid.minorCurve = curve->value;
    }
    return lid;
}

} // namespace

std::optional<EyeOverlayInputs> readEyeOverlayInputs(const AttributeMap& attributes, EyeSide side)
{
    const EyeKeys keys(attributes, side);
    const auto sphere = keys.value<RgNurbsSurface>("nurbsSphere");
    const auto center = keys.value<RgVector>("centerEye");
    if (!sphere || sphere->value.isNull() || !center) {
        return std::nullopt;
    }
    EyeOverlayInputs eye;
    eye.side = side;
    eye.sphere = sphere->value;
    eye.center = center->value;
    const auto compute = keys.value<RgBoolean>("eyeCompute");
    eye.compute = compute && compute->value;
    eye.closeEye = keys.number("closeEye", 0.0);
    eye.closeLine = keys.number("closeLine", 0.0);
    eye.upperLid = readLid(keys, true);
    eye.lowerLid = readLid(keys, false);
    eye.corners = keys.list<RgInt>("cornersIdxs");
    eye.pointsOffset = keys.list<RgVector>("pointsOffset");
    return eye;
}

} // namespace rghost
