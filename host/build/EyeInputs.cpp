#include "build/EyeInputs.h"

#include "rg/RgValueFactory.h"

using namespace rigContract;

namespace rghost::build {

namespace {

void setLid(AttributeMap& attributes, EyeSide side, Lid lid, const LidInputs& values)
{
    const LidFields fields = lidFields(lid);
    const auto key = [side](std::size_t field) { return eyeFieldKey(side, field); };
    attributes[key(fields.innerIdxs)] = makeRgList<RgInt>(values.innerIdxs);
    attributes[key(fields.outerIdxs)] = makeRgList<RgInt>(values.outerIdxs);
    attributes[key(fields.centerIdxs)] = makeRgList<RgInt>(values.centerIdxs);
    attributes[key(fields.betweenIdxs)] = makeRgList<RgInt>(values.betweenIdxs);
    attributes[key(fields.innerUV)] = makeRgList<RgVector>(values.innerUV);
    attributes[key(fields.outerUV)] = makeRgList<RgVector>(values.outerUV);
    attributes[key(fields.moveVector)] = makeRgList<RgVector>(values.moveVector);
    attributes[key(fields.outLoopOffset)] = makeRgList<RgDouble>(std::vector<double>(values.innerIdxs.size(), 0.0));
    attributes[key(fields.minorCurve)] = makeRgValue<RgNurbsCurve>(values.minorCurve);
    attributes[key(fields.mountSize)] = makeRgValue<RgDouble>(values.mountSize);
}

} // namespace

void setEyeAttributes(AttributeMap& attributes, EyeSide side, const EyeInputs& eye)
{
    attributes[eyeFieldKey(side, eyeField::nurbsSphere)] = makeRgValue<RgNurbsSurface>(eye.eyeball);
    attributes[eyeFieldKey(side, eyeField::centerEye)] = makeRgValue<RgVector>(eye.center);
    attributes[eyeFieldKey(side, eyeField::closeLine)] = makeRgValue<RgDouble>(0.0);
    attributes[eyeFieldKey(side, eyeField::smoothOuter)] = makeRgValue<RgInt>(0);
    attributes[eyeFieldKey(side, eyeField::eyeCompute)] = makeRgValue<RgBoolean>(true);
    attributes[eyeFieldKey(side, eyeField::upperOpenEyeValue)] = makeRgValue<RgDouble>(eye.upperOpenValue);
    attributes[eyeFieldKey(side, eyeField::lowerOpenEyeValue)] = makeRgValue<RgDouble>(eye.lowerOpenValue);
    attributes[eyeFieldKey(side, eyeField::cornersIdxs)] = makeRgList<RgInt>(eye.cornersIdxs);
    attributes[eyeFieldKey(side, eyeField::pointsOffset)] = makeRgList<RgVector>(eye.pointsOffset);
    setLid(attributes, side, Lid::Upper, eye.upper);
    setLid(attributes, side, Lid::Lower, eye.lower);
}

void setEyeControls(AttributeMap& attributes, EyeSide side, const EyeControls& controls)
{
    attributes[eyeFieldKey(side, eyeField::closeEye)] = makeRgValue<RgDouble>(controls.closeEye);
    attributes[eyeFieldKey(side, eyeField::upperLidControl)] = makeRgValue<RgDouble>(controls.upperLidControl);
    attributes[eyeFieldKey(side, eyeField::lowerLidControl)] = makeRgValue<RgDouble>(controls.lowerLidControl);
    attributes[eyeFieldKey(side, eyeField::upperLidOuterControl)] =
        makeRgValue<RgDouble>(controls.upperLidOuterControl);
    attributes[eyeFieldKey(side, eyeField::lowerLidOuterControl)] =
        makeRgValue<RgDouble>(controls.lowerLidOuterControl);
}

} // namespace rghost::build
