// validateAttributes through the loaded plug-in: the message texts of the typed
// lookup and the order in which the pass checks its keys. Every value is made
// here in the host executable and has to downcast inside the plug-in.

#include <gtest/gtest.h>

#include "PluginHarness.h"

namespace {

using namespace pluginharness;

struct Validation {
    RgStatus status;
    std::vector<std::string> lines;
};

Validation validate(const AttributeMap& attributes, const std::string& nodeName = "eyesNode")
{
    const auto node = plugin().createNode(nodeName);
    mayastandin::ErrorCapture capture;
    const RgStatus status = node->validateAttributes(attributes);
    return {status, capture.lines()};
}

TEST(ValidateAttributes, CompleteMapPassesWithoutSoaEnabledAndIgnoresOtherKeys)
{
    const auto node = plugin().createNode("eyesNode");
    AttributeMap attributes = completeAttributeMap();
    attributes.erase("SOA_ENABLED");
    attributes["someHostKey"] = std::make_shared<RgDouble>();
    attributes[eyeAttributeKey(EyeSide::Left, "nurbsSphereExtra")] = nullptr;

    mayastandin::ErrorCapture capture;
    EXPECT_EQ(node->validateAttributes(attributes), RgStatus::Success);
    EXPECT_EQ(node->validateAttributes(attributes), RgStatus::Success);
    EXPECT_TRUE(capture.lines().empty());
}

TEST(ValidateAttributes, MessagesMatchCharacterForCharacter)
{
    struct Case {
        const char* what;
        void (*damage)(AttributeMap&);
        const char* line;
    };
    const Case cases[] = {
        {"missing", [](AttributeMap& m) { m.erase("ENVELOPE"); },
         "eyesNode: get attributes: cannot find 'ENVELOPE' (RgFloat) attribute"},
        {"double where float is expected", [](AttributeMap& m) { m["ENVELOPE"] = std::make_shared<RgDouble>(); },
         "eyesNode: get attributes: invalid type of 'ENVELOPE' (RgFloat expected)"},
        {"int where boolean is expected",
         [](AttributeMap& m) { m["CACHE_ATTRIBUTES"] = std::make_shared<RgInt>(); },
         "eyesNode: get attributes: invalid type of 'CACHE_ATTRIBUTES' (RgBoolean expected)"},
        {"null entry", [](AttributeMap& m) { m[eyeAttributeKey(EyeSide::Right, "cornersIdxs")] = nullptr; },
         "eyesNode: get attributes: invalid type of 'lidShaper__eyes__R_eye__cornersIdxs' (RgInt expected)"},
        {"key in other case",
         [](AttributeMap& m) {
             m["Envelope"] = m["ENVELOPE"];
             m.erase("ENVELOPE");
         },
         "eyesNode: get attributes: cannot find 'ENVELOPE' (RgFloat) attribute"},
        {"right eye and soft region missing",
         [](AttributeMap& m) {
             m.erase(eyeAttributeKey(EyeSide::Right, "closeEye"));
             m.erase(kSoftRegionKey);
         },
         "eyesNode: get attributes: cannot find 'lidShaper__eyes__R_eye__closeEye' (RgDouble) attribute"},
        {"both eyes broken",
         [](AttributeMap& m) {
             m.erase(eyeAttributeKey(EyeSide::Right, "nurbsSphere"));
             m[eyeAttributeKey(EyeSide::Left, "pointsOffset")] = std::make_shared<RgDouble>();
         },
         "eyesNode: get attributes: invalid type of 'lidShaper__eyes__L_eye__pointsOffset' (RgVector expected)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        AttributeMap attributes = completeAttributeMap();
        c.damage(attributes);
        const Validation result = validate(attributes);
        EXPECT_EQ(result.status, RgStatus::Failure);
        EXPECT_EQ(result.lines, std::vector<std::string>{c.line});
    }
}

// Dropping a key together with every key after it reports that key: the pass
// checks it, with its class, before all later ones.
TEST(ValidateAttributes, ChecksEachKeyWithItsClassInOrder)
{
    const std::vector<CheckedKey> keys = validationKeys();
    ASSERT_EQ(keys.size(), 72u);
    for (std::size_t i = 0; i < keys.size(); ++i) {
        SCOPED_TRACE(keys[i].key);
        AttributeMap withoutRest = completeAttributeMap();
        for (std::size_t j = i; j < keys.size(); ++j)
            withoutRest.erase(keys[j].key);
        const Validation missing = validate(withoutRest);
        EXPECT_EQ(missing.status, RgStatus::Failure);
        EXPECT_EQ(missing.lines, std::vector<std::string>{notFoundLine("eyesNode", keys[i].key, keys[i].valueClass)});

        AttributeMap mistyped = completeAttributeMap();
        mistyped[keys[i].key] = makeValueOfOtherClass(keys[i].valueClass);
        const Validation wrong = validate(mistyped);
        EXPECT_EQ(wrong.status, RgStatus::Failure);
        EXPECT_EQ(wrong.lines, std::vector<std::string>{wrongTypeLine("eyesNode", keys[i].key, keys[i].valueClass)});
    }
}

} // namespace
