#include "sample/SampleRig.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <stdexcept>

#include "rg/RgValueFactory.h"
#include "sample/SampleRigAnimation.h"
#include "sample/SampleRigEye.h"

using namespace rigContract;

namespace rghost {

namespace {

void setControls(AttributeMap& attributes, EyeSide side, const EyeControls& controls)
{
    attributes[eyeFieldKey(side, eyeField::closeEye)] = makeRgValue<RgDouble>(controls.closeEye);
    attributes[eyeFieldKey(side, eyeField::upperLidControl)] = makeRgValue<RgDouble>(controls.upperLidControl);
    attributes[eyeFieldKey(side, eyeField::lowerLidControl)] = makeRgValue<RgDouble>(controls.lowerLidControl);
    attributes[eyeFieldKey(side, eyeField::upperLidOuterControl)] =
        makeRgValue<RgDouble>(controls.upperLidOuterControl);
    attributes[eyeFieldKey(side, eyeField::lowerLidOuterControl)] =
        makeRgValue<RgDouble>(controls.lowerLidOuterControl);
}

void setLid(AttributeMap& attributes, EyeSide side, Lid lid, const SampleLid& values)
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
    attributes[key(fields.mountSize)] = makeRgValue<RgDouble>(kSampleMountSize);
}

void setEye(AttributeMap& attributes, EyeSide side, const SampleEye& eye)
{
    attributes[eyeFieldKey(side, eyeField::nurbsSphere)] = makeRgValue<RgNurbsSurface>(eye.eyeball);
    attributes[eyeFieldKey(side, eyeField::centerEye)] = makeRgValue<RgVector>(eye.center);
    attributes[eyeFieldKey(side, eyeField::closeLine)] = makeRgValue<RgDouble>(0.0);
    attributes[eyeFieldKey(side, eyeField::smoothOuter)] = makeRgValue<RgInt>(0);
    attributes[eyeFieldKey(side, eyeField::eyeCompute)] = makeRgValue<RgBoolean>(true);
    attributes[eyeFieldKey(side, eyeField::upperOpenEyeValue)] = makeRgValue<RgDouble>(kSampleOpenControl);
    attributes[eyeFieldKey(side, eyeField::lowerOpenEyeValue)] = makeRgValue<RgDouble>(-kSampleOpenControl);
    attributes[eyeFieldKey(side, eyeField::cornersIdxs)] = makeRgList<RgInt>(eye.cornersIdxs);
    attributes[eyeFieldKey(side, eyeField::pointsOffset)] = makeRgList<RgVector>(eye.pointsOffset);
    setLid(attributes, side, Lid::Upper, eye.upper);
    setLid(attributes, side, Lid::Lower, eye.lower);
}

// The strip of skin over the nose that joins the two eyes' patches.
void addNoseBridge(Rig& rig, const SampleEye& left, const SampleEye& right)
{
    const std::size_t count = std::min(left.noseSideEdge.size(), right.noseSideEdge.size());
    for (std::size_t k = 0; k + 1 < count; ++k) {
        rig.faces.push_back(
            {left.noseSideEdge[k], right.noseSideEdge[k], right.noseSideEdge[k + 1], left.noseSideEdge[k + 1]});
    }
}

} // namespace

std::string describeSampleRigProblem(const SampleRigOptions& options)
{
    if (options.columns < 1) {
        return "columns must be at least 1";
    }
    if (options.centerRows < 0) {
        return "center rows must not be negative";
    }
    if (options.betweenRows < 0) {
        return "between rows must not be negative";
    }
    if (options.frames < 1) {
        return "frames must be at least 1";
    }
    return {};
}

Rig buildSampleRig(const SampleRigOptions& options)
{
    const std::string problem = describeSampleRigProblem(options);
    if (!problem.empty()) {
        throw std::invalid_argument(problem);
    }
    Rig rig;
    rig.nodeName = "eyeRig1";
    const SampleEye left = addSampleEye(rig, EyeSide::Left, options);
    const SampleEye right = addSampleEye(rig, EyeSide::Right, options);
    addNoseBridge(rig, left, right);

    AttributeMap& attributes = rig.attributes;
    attributes[kDebugModeKey] = makeRgValue<RgInt>(0);
    attributes[kCacheAttributesKey] = makeRgValue<RgBoolean>(true);
    attributes[kEnvelopeKey] = makeRgValue<RgFloat>(1.0f);
    attributes[kSoaEnabledKey] = makeRgValue<RgBoolean>(false);
    setEye(attributes, EyeSide::Left, left);
    setEye(attributes, EyeSide::Right, right);
    const FaceControls open = openFaceControls();
    setControls(attributes, EyeSide::Left, open.left);
    setControls(attributes, EyeSide::Right, open.right);

    std::vector<std::int32_t> softRegion = left.softRegion;
    softRegion.insert(softRegion.end(), right.softRegion.begin(), right.softRegion.end());
    attributes[kSoftRegionKey] = makeRgList<RgInt>(softRegion);

    for (const FaceControls& controls : sampleAnimation(options.frames)) {
        RigFrame frame;
        setControls(frame.overrides, EyeSide::Left, controls.left);
        setControls(frame.overrides, EyeSide::Right, controls.right);
        rig.frames.push_back(std::move(frame));
    }
    return rig;
}

std::vector<SamplePose> samplePoses(const SampleRigOptions& options)
{
    std::vector<SamplePose> poses;
    for (const AnimationMoment& moment : sampleAnimationMoments()) {
        const auto frame = static_cast<std::size_t>(std::lround(moment.time * std::max(0, options.frames - 1)));
        if (poses.empty() || poses.back().frame != frame) {
            poses.push_back({moment.name, frame});
        }
    }
    return poses;
}

} // namespace rghost
