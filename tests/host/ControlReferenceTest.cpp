#include <cstdio>
#include <set>
#include <string_view>
#include <utility>

#include <gtest/gtest.h>

#include "core/ControlReference.h"
#include "core/Plugin.h"
#include "io/SchemaReport.h"
#include "lidShaper/rigContract.h"

namespace {

using rghost::ControlReference;
using rghost::ControlScope;
using rghost::findControl;

std::string declaredDefault(const AttributeDescriptor& attribute)
{
    if (attribute.typeCode == AttributeType::Boolean) {
        return attribute.defaultValue[0] != 0.0 ? "true" : "false";
    }
    char text[32];
    std::snprintf(text, sizeof text, "%g", attribute.defaultValue[0]);
    return text;
}

// The reference describes exactly what the node declares, with its classes,
// forms and defaults, so the documentation cannot drift from the node.
TEST(ControlReference, MatchesTheDeclaredAttributes)
{
    const rghost::NodePointer node = rghost::Plugin(LIDSHAPER_PLUGIN_PATH).createNode();
    std::vector<AttributeDescriptor> declared;
    node->declareAttributes(declared);

    std::set<const ControlReference*> described;
    for (const AttributeDescriptor& attribute : declared) {
        const ControlReference* reference = findControl(attribute.key);
        ASSERT_NE(reference, nullptr) << attribute.key;
        described.insert(reference);
        EXPECT_NE(reference->scope, ControlScope::Host) << attribute.key;
        EXPECT_EQ(reference->typeName, rghost::attributeTypeName(attribute.typeCode)) << attribute.key;
        EXPECT_EQ(reference->list, attribute.option3) << attribute.key;
        const bool singleNumber = !attribute.option3 && attribute.typeCode != AttributeType::Vector &&
                                  attribute.typeCode != AttributeType::NurbsCurve &&
                                  attribute.typeCode != AttributeType::NurbsSurface;
        if (singleNumber) {
            EXPECT_EQ(reference->defaultText, declaredDefault(attribute)) << attribute.key;
        }
    }
    for (const ControlReference& reference : rghost::controlReferences()) {
        EXPECT_EQ(described.count(&reference), reference.scope == ControlScope::Host ? 0u : 1u) << reference.name;
        EXPECT_FALSE(reference.summary.empty()) << reference.name;
        EXPECT_FALSE(reference.unit.empty()) << reference.name;
        if (reference.range) {
            const bool scaled = !reference.range->lowScale.empty() || !reference.range->highScale.empty();
            EXPECT_TRUE(scaled || reference.range->low < reference.range->high) << reference.name;
            for (const std::string_view scale : {reference.range->lowScale, reference.range->highScale}) {
                EXPECT_TRUE(scale.empty() || findControl("lidShaper__eyes__L_eye__" + std::string(scale))) << scale;
            }
        }
    }
}

TEST(ControlReference, FindsWholeKeysOnly)
{
    const struct {
        const char* key;
        const char* name; // null: not found
    } cases[] = {
        {"ENVELOPE", "ENVELOPE"},
        {"lidShaper__eyes__L_eye__closeEye", "closeEye"},
        {"lidShaper__eyes__R_eye__closeEye", "closeEye"},
        {"lidShaper__softRegion__softRegion", "lidShaper__softRegion__softRegion"},
        {"closeEye", nullptr},
        {"envelope", nullptr},
        {"lidShaper__eyes__L_eye__closeEy", nullptr},
        {"lidShaper__eyes__C_eye__closeEye", nullptr},
        {"lidShaper__eyes__L_eye__ENVELOPE", nullptr},
        {"lidShaper__eyes__L_eye__softRegion", nullptr},
    };
    for (const auto& c : cases) {
        const ControlReference* found = findControl(c.key);
        EXPECT_EQ(found ? std::string(found->name) : std::string("(none)"), c.name ? c.name : "(none)") << c.key;
    }
}

TEST(ControlReference, DescribesRangesInWords)
{
    const struct {
        rghost::UsefulRange range;
        const char* text;
    } cases[] = {
        {{0.0, 1.0}, "0 to 1"},
        {{0.0, INFINITY, {}, {}, true}, "above 0"},
        {{-INFINITY, 0.0, {}, {}, true}, "below 0"},
        {{0.5, INFINITY}, "at least 0.5"},
        {{1.5, 2.0, "a", "b"}, "1.5 × a to 2 × b"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(rghost::describeRange(c.range), c.text);
    }
}

} // namespace

// Each lid names its own field for every role, the lower lid the twin of the
// upper lid's; with the fields both lids share, every field of an eye once.
TEST(RigContract, LidFieldsNameEachRoleOfTheirLid)
{
    using namespace rigContract;
    using Role = std::size_t LidFields::*;
    const std::pair<Role, const char*> roles[] = {
        {&LidFields::control, "LidControl"},
        {&LidFields::outerControl, "LidOuterControl"},
        {&LidFields::openEyeValue, "OpenEyeValue"},
        {&LidFields::innerIdxs, "LidInnerIdxs"},
        {&LidFields::outerIdxs, "LidOuterIdxs"},
        {&LidFields::centerIdxs, "LidCenterIdxs"},
        {&LidFields::betweenIdxs, "LidBetweenIdxs"},
        {&LidFields::innerUV, "LidInnerUV"},
        {&LidFields::outerUV, "LidOuterUV"},
        {&LidFields::moveVector, "LidMoveVector"},
        {&LidFields::outLoopOffset, "LidOutLoopOffset"},
        {&LidFields::minorCurve, "LidMinorCurve"},
        {&LidFields::mountSize, "MountSize"},
    };
    std::set<std::string_view> named = {"nurbsSphere", "centerEye",  "closeEye",    "closeLine",
                                        "smoothOuter", "eyeCompute", "cornersIdxs", "pointsOffset"};
    for (const Lid lid : kLids) {
        const std::string prefix = lid == Lid::Upper ? "upper" : "lower";
        for (const auto& [role, suffix] : roles) {
            const std::string_view name = kEyeFields[lidFields(lid).*role].name;
            EXPECT_EQ(name, prefix + suffix);
            EXPECT_TRUE(named.insert(name).second) << name << " has two roles";
        }
    }
    EXPECT_EQ(named.size(), kEyeFields.size());
}
