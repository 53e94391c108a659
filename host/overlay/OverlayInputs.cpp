#include "overlay/OverlayInputs.h"

#include <maya/MFnNurbsSurface.h>
#include <maya/MPoint.h>

#include "core/AttributeValue.h"
#include "rg/RgData.h"

using namespace rigContract;

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
    std::shared_ptr<const Value> value(std::size_t field) const
    {
        return valueAs<Value>(attributes_, eyeFieldKey(side_, field));
    }

    template <typename Value>
    auto list(std::size_t field) const -> decltype(Value::values)
    {
        const auto found = value<Value>(field);
        return found ? found->values : decltype(Value::values){};
    }

    double number(std::size_t field, double fallback) const
    {
        const auto found = value<RgDouble>(field);
        return found ? found->value : fallback;
    }

private:
    const AttributeMap& attributes_;
    EyeSide side_;
};

LidLists readLid(const EyeKeys& keys, Lid which)
{
    const LidFields fields = lidFields(which);
    LidLists lid;
    lid.upper = which == Lid::Upper;
    lid.inner = keys.list<RgInt>(fields.innerIdxs);
    lid.outer = keys.list<RgInt>(fields.outerIdxs);
    lid.center = keys.list<RgInt>(fields.centerIdxs);
    lid.between = keys.list<RgInt>(fields.betweenIdxs);
    lid.innerUV = keys.list<RgVector>(fields.innerUV);
    lid.outerUV = keys.list<RgVector>(fields.outerUV);
    lid.moveVector = keys.list<RgVector>(fields.moveVector);
    if (const auto curve = keys.value<RgNurbsCurve>(fields.minorCurve)) {
        lid.minorCurve = curve->value;
    }
    return lid;
}

} // namespace

std::optional<EyeOverlayInputs> readEyeOverlayInputs(const AttributeMap& attributes, EyeSide side)
{
    const EyeKeys keys(attributes, side);
    const auto sphere = keys.value<RgNurbsSurface>(eyeField::nurbsSphere);
    const auto center = keys.value<RgVector>(eyeField::centerEye);
    if (!sphere || sphere->value.isNull() || !center) {
        return std::nullopt;
    }
    EyeOverlayInputs eye;
    eye.side = side;
    eye.sphere = sphere->value;
    eye.center = center->value;
    const auto compute = keys.value<RgBoolean>(eyeField::eyeCompute);
    eye.compute = compute && compute->value;
    eye.closeEye = keys.number(eyeField::closeEye, 0.0);
    eye.closeLine = keys.number(eyeField::closeLine, 0.0);
    eye.upperLid = readLid(keys, Lid::Upper);
    eye.lowerLid = readLid(keys, Lid::Lower);
    eye.corners = keys.list<RgInt>(eyeField::cornersIdxs);
    eye.pointsOffset = keys.list<RgVector>(eyeField::pointsOffset);
    return eye;
}

} // namespace rghost
