// The sample's own animation played on the rig built from the sample face.
// The two rigs hold the same lists and controls; they differ only in where a
// lid goes as it closes: the sample lays its closing line and the surface
// parameters of its rows by its parametric face, the builder by closest points
// on the eyeball and a closing line between the corners. So the open pose
// agrees as closely as the closest-point solve converges, and elsewhere the
// lids may part by as much as those two closing shapes do, a few hundredths
// of the opening's width (4.8 % at the squint, where both lids are halfway).

#include <algorithm>

#include <gtest/gtest.h>

#include "BuildTestSupport.h"
#include "core/Plugin.h"
#include "core/RigRunner.h"

using namespace rigContract;

namespace {

using Imath::V3d;

// The keys of the sample animation: the controls a rigger keys.
std::vector<std::string> controlKeys()
{
    std::vector<std::string> keys;
    for (const char* field :
         {"closeEye", "upperLidControl", "lowerLidControl", "upperLidOuterControl", "lowerLidOuterControl"})
        for (EyeSide side : kEyeSides)
            keys.push_back(eyeAttributeKey(side, field));
    return keys;
}

std::vector<double> controlValues(const rghost::Rig& rig, std::size_t frame)
{
    std::vector<double> values;
    const AttributeMap attributes = rghost::frameAttributes(rig, frame);
    for (const std::string& key : controlKeys())
        values.push_back(buildtest::attribute<RgDouble>(attributes, key).value);
    return values;
}

TEST(SampleAnimation, BuiltRigPlaysItAsTheSampleRigDoes)
{
    const buildtest::SampleHead made = buildtest::sampleHead({});
    rghost::build::BuiltRig built = rghost::build::buildRig(made.head, made.eyeballs);
    // The built rig keyed as the sample is: its own base attributes under the
    // sample's control keys.
    built.rig.frames.clear();
    for (const rghost::RigFrame& sampleFrame : made.sample.frames) {
        rghost::RigFrame frame;
        for (const std::string& key : controlKeys())
            if (sampleFrame.overrides.count(key))
                frame.overrides[key] = sampleFrame.overrides.at(key);
        ASSERT_EQ(frame.overrides.size(), sampleFrame.overrides.size())
            << "the sample animation keys more than controls";
        built.rig.frames.push_back(frame);
    }

    const rghost::Plugin plugin(LIDSHAPER_PLUGIN_PATH);
    const std::vector<rghost::FrameResult> sample = rghost::runRig(plugin, made.sample);
    const std::vector<rghost::FrameResult> rebuilt = rghost::runRig(plugin, built.rig);
    ASSERT_EQ(sample.size(), rebuilt.size());
    const double width = built.eyes.front().openingWidth;
    double largest = 0.0;
    for (std::size_t f = 0; f < sample.size(); ++f) {
        ASSERT_EQ(rebuilt[f].status, RgStatus::Success) << "frame " << f;
        double frameLargest = 0.0;
        for (std::size_t i = 0; i < sample[f].points.size(); ++i)
            frameLargest = std::max(frameLargest, (sample[f].points[i] - rebuilt[f].points[i]).length());
        if (controlValues(made.sample, f) == controlValues(made.sample, 0)) {
            EXPECT_LT(frameLargest, 1e-7 * width) << "frame " << f << " is the open pose";
        }
        largest = std::max(largest, frameLargest);
    }
    EXPECT_LT(largest, 0.05 * width);
}

} // namespace
