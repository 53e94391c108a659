#include "sample/SampleRig.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <stdexcept>

#include "rg/RgValueFactory.h"
#include "sample/SampleRigAnimation.h"
#include "sample/SampleRigEye.h"

namespace rghost {

namespace {

void setControls(AttributeMap& attributes, EyeSide side, const EyeControls& controls)
{
    attributes[eyeAttributeKey(side, "closeEye")] = makeRgValue<RgDouble>(controls.closeEye);
    attributes[eyeAttributeKey(side, "upperLidControl")] = makeRgValue<RgDouble>(controls.upperLidControl);
    attributes[eyeAttributeKey(side, "lowerLidControl")] = makeRgValue<RgDouble>(controls.lowerLidControl);
    attributes[eyeAttributeKey(side, "upperLidOuterControl")] = makeRgValue<RgDouble>(controls.upperLidOuterControl);
    attributes[eyeAttributeKey(side, "lowerLidOuterControl")] = makeRgValue<RgDouble>(controls.lowerLidOuterControl);
}

void setLid(AttributeMap& attributes, EyeSide side, const std::string& lidName, const SampleLid& lid)
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
    attributes[key("MountSize")] = makeRgValue<RgDouble>(kSampleMountSize);
}

void setEye(AttributeMap& attributes, EyeSide side, const SampleEye& eye)
{
    attributes[eyeAttributeKey(side, "nurbsSphere")] = makeRgValue<RgNurbsSurface>(eye.eyeball);
    attributes[eyeAttributeKey(side, "centerEye")] = makeRgValue<RgVector>(eye.center);
    attributes[eyeAttributeKey(side, "closeLine")] = makeRgValue<RgDouble>(0.0);
    attributes[eyeAttributeKey(side, "smoothOuter")] = makeRgValue<RgInt>(0);
    attributes[eyeAttributeKey(side, "eyeCompute")] = makeRgValue<RgBoolean>(true);
    attributes[eyeAttributeKey(side, "upperOpenEyeValue")] = makeRgValue<RgDouble>(kSampleOpenControl);
    attributes[eyeAttributeKey(side, "lowerOpenEyeValue")] = makeRgValue<RgDouble>(-kSampleOpenControl);
    attributes[eyeAttributeKey(side, "cornersIdxs")] = makeRgList<RgInt>(eye.cornersIdxs);
    attributes[eyeAttributeKey(side, "pointsOffset")] = makeRgList<RgVector>(eye.pointsOffset);
    setLid(attributes, side, "upper", eye.upper);
    setLid(attributes, side, "lower", eye.lower);
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
