// What deform reads before it moves anything: the envelope switch and the order
// of its lookups, through the loaded plug-in with host-made values.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "PluginHarness.h"

namespace {

using namespace pluginharness;

struct DeformOutcome {
    RgStatus status;
    std::vector<std::string> lines;
    bool pointsUnchanged;
};

RgDeformData someGeometry()
{
    RgDeformData data;
    data.points = {{0.5, 1.0, -2.0}, {3.0, 0.25, 7.0}, {-1.0, -1.0, 4.0}};
    data.weights = {1.0f, 0.5f, 0.0f};
    data.geometryMatrix.setTranslation(Imath::V3d(1.0, 2.0, 3.0));
    return data;
}

DeformOutcome deform(AttributeMap& attributes)
{
    const auto node = plugin().createNode("deformNode");
    RgDeformData data = someGeometry();
    mayastandin::ErrorCapture capture;
    const RgStatus status = node->deform(attributes, data);
    return {status, capture.lines(), data.points == someGeometry().points};
}

TEST(DeformInputs, NegligibleEnvelopeSucceedsWithoutEyeKeys)
{
    // 0.00001f lies just below the double 0.00001, so it still switches off.
    for (const float envelope : {0.0f, -1.0f, 0.00001f}) {
        SCOPED_TRACE(envelope);
        AttributeMap attributes = settingsOnlyMap(envelope);
        const DeformOutcome outcome = deform(attributes);
        EXPECT_EQ(outcome.status, RgStatus::Success);
        EXPECT_TRUE(outcome.lines.empty());
        EXPECT_TRUE(outcome.pointsUnchanged);
    }
}

TEST(DeformInputs, LargerEnvelopeGoesOnToTheEyeKeys)
{
    const float justAbove = std::nextafter(0.00001f, 1.0f);
    for (const float envelope : {justAbove, 1.0f, std::numeric_limits<float>::quiet_NaN()}) {
        SCOPED_TRACE(envelope);
        AttributeMap attributes = settingsOnlyMap(envelope);
        const DeformOutcome outcome = deform(attributes);
        EXPECT_EQ(outcome.status, RgStatus::Failure);
        EXPECT_EQ(outcome.lines,
                  std::vector<std::string>{"deformNode: get attributes: cannot find "
                                           "'lidShaper__eyes__L_eye__nurbsSphere' (RgNurbsSurface) attribute"});
        EXPECT_TRUE(outcome.pointsUnchanged);
    }
}

// As for validation: dropping a key with every key after it must report that
// key, and a value of another class under it must be refused, before any point moves.
TEST(DeformInputs, ReadsEachKeyWithItsClassInOrder)
{
    AttributeMap complete = completeAttributeMap();
    const DeformOutcome switchedOff = deform(complete);
    EXPECT_EQ(switchedOff.status, RgStatus::Success) << "both eyes are off and the soft region is empty";
    EXPECT_TRUE(switchedOff.lines.empty());

    const std::vector<CheckedKey> keys = deformKeys();
    ASSERT_EQ(keys.size(), 73u);
    for (std::size_t i = 0; i < keys.size(); ++i) {
        SCOPED_TRACE(keys[i].key);
        AttributeMap withoutRest = completeAttributeMap();
        for (std::size_t j = i; j < keys.size(); ++j)
            withoutRest.erase(keys[j].key);
        const DeformOutcome missing = deform(withoutRest);
        EXPECT_EQ(missing.status, RgStatus::Failure);
        EXPECT_EQ(missing.lines, std::vector<std::string>{notFoundLine("deformNode", keys[i].key, keys[i].valueClass)});
        EXPECT_TRUE(missing.pointsUnchanged);

        AttributeMap mistyped = completeAttributeMap();
        mistyped[keys[i].key] = makeValueOfOtherClass(keys[i].valueClass);
        const DeformOutcome wrong = deform(mistyped);
        EXPECT_EQ(wrong.status, RgStatus::Failure);
        EXPECT_EQ(wrong.lines, std::vector<std::string>{wrongTypeLine("deformNode", keys[i].key, keys[i].valueClass)});
        EXPECT_TRUE(wrong.pointsUnchanged);
    }
}

} // namespace
