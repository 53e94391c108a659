#include "picture/SweptValue.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include <Imath/ImathMatrix.h>

#include "core/AttributeValue.h"
#include "core/ControlReference.h"
#include "rg/RgValueFactory.h"

namespace rghost {

namespace {

MObject turnedEyeball(Rig& rig, const MObject& surface, const Imath::V3d& center, double degrees)
{
    const auto described = std::find_if(rig.surfaces.begin(), rig.surfaces.end(),
                                        [&](const RigSurface& known) { return known.surface == surface; });
    if (described == rig.surfaces.end()) {
        throw std::invalid_argument("the eyeball surface is not one the rig file describes");
    }
    mayastandin::NurbsSurfaceDescription turned = described->description;
    Imath::M44d toCenter;
    toCenter.setTranslation(-center);
    Imath::M44d rotation;
    rotation.setAxisAngle(Imath::V3d(1.0, 0.0, 0.0), -degrees * M_PI / 180.0);
    Imath::M44d back;
    back.setTranslation(center);
    turned.worldMatrix = turned.worldMatrix * toCenter * rotation * back;
    return addSurface(rig, turned);
}

} // namespace

std::shared_ptr<RgData> sweptValue(Rig& rig, const AttributeMap& attributes, const std::string& key, double value)
{
    const std::shared_ptr<RgData>& current = attributes.at(key);
    if (std::dynamic_pointer_cast<RgDouble>(current)) {
        return makeRgValue<RgDouble>(value);
    }
    if (std::dynamic_pointer_cast<RgFloat>(current)) {
        return makeRgValue<RgFloat>(static_cast<float>(value));
    }
    if (std::dynamic_pointer_cast<RgInt>(current)) {
        return makeRgValue<RgInt>(static_cast<std::int32_t>(std::lround(value)));
    }
    if (std::dynamic_pointer_cast<RgBoolean>(current)) {
        return makeRgValue<RgBoolean>(value >= 0.5);
    }
    const auto sphere = std::dynamic_pointer_cast<RgNurbsSurface>(current);
    const auto center = valueAs<RgVector>(attributes, siblingKey(key, "centerEye"));
    if (sphere && center) {
        return makeRgValue<RgNurbsSurface>(turnedEyeball(rig, sphere->value, center->value, value));
    }
    throw std::invalid_argument("--attr " + key +
                                ": only numbers, booleans and eyeball surfaces (with their centerEye) can be swept");
}

} // namespace rghost
