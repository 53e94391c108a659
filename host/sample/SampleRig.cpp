#include "sample/SampleRig.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <stdexcept>

#include "build/EyeInputs.h"
#include "rg/RgValueFactory.h"
#include "sample/SampleRigAnimation.h"
#include "sample/SampleRigEye.h"

using namespace rigContract;

namespace rghost {

namespace {

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
    build::setEyeAttributes(attributes, EyeSide::Left, left);
    build::setEyeAttributes(attributes, EyeSide::Right, right);
    const FaceControls open = openFaceControls();
    build::setEyeControls(attributes, EyeSide::Left, open.left);
    build::setEyeControls(attributes, EyeSide::Right, open.right);

    std::vector<std::int32_t> softRegion = left.softRegion;
    softRegion.insert(softRegion.end(), right.softRegion.begin(), right.softRegion.end());
    attributes[kSoftRegionKey] = makeRgList<RgInt>(softRegion);

    for (const FaceControls& controls : sampleAnimation(options.frames)) {
        RigFrame frame;
        build::setEyeControls(frame.overrides, EyeSide::Left, controls.left);
        build::setEyeControls(frame.overrides, EyeSide::Right, controls.right);
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
