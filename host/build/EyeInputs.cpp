#include "build/EyeInputs.h"

#include "rg/RgValueFactory.h"

namespace rghost::build {

namespace {

void setLid(AttributeMap& attributes, EyeSide side, const std::string& lidName, const LidInputs& lid)
{
    const auto key = [&](const std::string& field) { return eyeAttributeKey(side, lidName + field); };
    attributes[key("LidInnerIdxs")] = makeRgList<RgInt>(lid.innerIdxs);
    attributes[key("LidOuterIdxs")] = makeRgList<RgInt>(lid.outerIdxs);
    attributes[key("LidCenterIdxs")] = makeRgList<RgInt>(lid.centerIdxs);
    attributes[key("LidBetweenIdxs")] = makeRgList<RgInt>(lid.betweenIdxs);
    attributes[key("LidInnerUV")] = makeRgList<RgVector>(lid.innerUV);
    attributes[key("LidOuterUV")] = makeRgList<RgVector>(lid.outerUV);
    attributes[key("LidMoveVector")] = makeRgList<RgVector>(lid.moveVector);
    attributes[key("LidOutLoopOffset")] = makeRgList<RgDouble>(std::vector<double>(lid.innerIdxs.size(), 0.0));
    attributes[key("LidMinorCurve")] = makeRgValue<RgNurbsCurve>(lid.minorCurve);
    attributes[key("MountSize")] = makeRgValue<RgDouble>(lid.mountSize);
}

} // namespace

void setEyeAttributes(AttributeMap& attributes, EyeSide side, const EyeInputs& eye)
{
    attributes[eyeAttributeKey(side, "nurbsSphere")] = makeRgValue<RgNurbsSurface>(eye.eyeball);
    attributes[eyeAttributeKey(side, "centerEye")] = makeRgValue<RgVector>(eye.center);
    attributes[eyeAttributeKey(side, "closeLine")] = makeRgValue<RgDouble>(0.0);
    attributes[eyeAttributeKey(side, "smoothOuter")] = makeRgValue<RgInt>(0);
    attributes[eyeAttributeKey(side, "eyeCompute")] = makeRgValue<RgBoolean>(true);
    attributes[eyeAttributeKey(side, "upperOpenEyeValue")] = makeRgValue<RgDouble>(eye.upperOpenValue);
    attributes[eyeAttributeKey(side, "lowerOpenEyeValue")] = makeRgValue<RgDouble>(eye.lowerOpenValue);
    attributes[eyeAttributeKey(side, "cornersIdxs")] = makeRgList<RgInt>(eye.cornersIdxs);
    attributes[eyeAttributeKey(side, "pointsOffset")] = makeRgList<RgVector>(eye.pointsOffset);
    setLid(attributes, side, "upper", eye.upper);
    setLid(attributes, side, "lower", eye.lower);
}

void setEyeControls(AttributeMap& attributes, EyeSide side, const EyeControls& controls)
{
    attributes[eyeAttributeKey(side, "closeEye")] = makeRgValue<RgDouble>(controls.closeEye);
    attributes[eyeAttributeKey(side, "upperLidControl")] = makeRgValue<RgDouble>(controls.upperLidControl);
    attributes[eyeAttributeKey(side, "lowerLidControl")] = makeRgValue<RgDouble>(controls.lowerLidControl);
    attributes[eyeAttributeKey(side, "upperLidOuterControl")] = makeRgValue<RgDouble>(controls.upperLidOuterControl);
    attributes[eyeAttributeKey(side, "lowerLidOuterControl")] = makeRgValue<RgDouble>(controls.lowerLidOuterControl);
}

} // namespace rghost::build
