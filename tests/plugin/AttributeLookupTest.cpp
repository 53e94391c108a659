// What validateAttributes and deform read before anything moves, through the
// loaded plug-in with host-made values: the envelope switch, the order and
// classes of their lookups, and the message texts. Every value is made in the
// host executable and has to downcast inside the plug-in.

#include <gtest/gtest.h>

#include <functional>
#include <limits>

#include "PluginHarness.h"

using namespace rigContract;

namespace {

using namespace pluginharness;

struct Outcome {
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

Outcome deform(AttributeMap& attributes)
{
    const auto node = plugin().createNode("eyesNode");
    RgDeformData data = someGeometry();
    mayastandin::ErrorCapture capture;
    const RgStatus status = node->deform(attributes, data);
    return {status, capture.lines(), data.points == someGeometry().points};
}

Outcome validate(AttributeMap& attributes)
{
    const auto node = plugin().createNode("eyesNode");
    mayastandin::ErrorCapture capture;
    const RgStatus status = node->validateAttributes(attributes);
    return {status, capture.lines(), true};
}

TEST(AttributeLookup, CompleteMapPassesBothAndOtherKeysAreIgnored)
{
    AttributeMap attributes = completeAttributeMap();
    attributes["someHostKey"] = std::make_shared<RgDouble>();
    attributes[eyeAttributeKey(EyeSide::Left, "nurbsSphereExtra")] = nullptr;
    for (const auto& run : {deform, validate}) {
        const Outcome outcome = run(attributes);
        EXPECT_EQ(outcome.status, RgStatus::Success) << "both eyes are off and the soft region is empty";
        EXPECT_TRUE(outcome.lines.empty());
    }
    attributes.erase(kSoaEnabledKey);
    EXPECT_EQ(validate(attributes).status, RgStatus::Success) << "validation does not read SOA_ENABLED";
}

// Dropping a key with every key after it must report that key, and a value of
// another class under it must be refused: each key is looked up, with its
// class, before all later ones, and before any point moves.
TEST(AttributeLookup, EachKeyIsReadWithItsClassInOrder)
{
    struct Operation {
        const char* name;
        std::function<Outcome(AttributeMap&)> run;
        std::vector<CheckedKey> keys;
    };
    const Operation operations[] = {{"validate", validate, validationKeys()}, {"deform", deform, deformKeys()}};
    EXPECT_EQ(operations[0].keys.size(), 72u);
    EXPECT_EQ(operations[1].keys.size(), 73u);
    for (const Operation& operation : operations) {
        const std::vector<CheckedKey>& keys = operation.keys;
        for (std::size_t i = 0; i < keys.size(); ++i) {
            SCOPED_TRACE(std::string(operation.name) + " " + keys[i].key);
            AttributeMap withoutRest = completeAttributeMap();
            for (std::size_t j = i; j < keys.size(); ++j)
                withoutRest.erase(keys[j].key);
            const Outcome missing = operation.run(withoutRest);
            EXPECT_EQ(missing.status, RgStatus::Failure);
            EXPECT_EQ(missing.lines,
                      std::vector<std::string>{notFoundLine("eyesNode", keys[i].key, keys[i].valueClass)});
            EXPECT_TRUE(missing.pointsUnchanged);

            AttributeMap mistyped = completeAttributeMap();
            mistyped[keys[i].key] = makeValueOfOtherClass(keys[i].valueClass);
            const Outcome wrong = operation.run(mistyped);
            EXPECT_EQ(wrong.status, RgStatus::Failure);
            EXPECT_EQ(wrong.lines,
                      std::vector<std::string>{wrongTypeLine("eyesNode", keys[i].key, keys[i].valueClass)});
            EXPECT_TRUE(wrong.pointsUnchanged);
        }
    }
}

// Written out in full, so the shared line builders above are checked too.
TEST(AttributeLookup, MessagesMatchCharacterForCharacter)
{
    struct Case {
        const char* what;
        void (*damage)(AttributeMap&);
        const char* line;
    };
    const Case cases[] = {
        {"missing", [](AttributeMap& m) { m.erase(kEnvelopeKey); },
         "eyesNode: get attributes: cannot find 'ENVELOPE' (RgFloat) attribute"},
        {"null entry", [](AttributeMap& m) { m[eyeAttributeKey(EyeSide::Right, "cornersIdxs")] = nullptr; },
         "eyesNode: get attributes: invalid type of 'lidShaper__eyes__R_eye__cornersIdxs' (RgInt expected)"},
        {"key in other case",
         [](AttributeMap& m) {
             m["Envelope"] = m[kEnvelopeKey];
             m.erase(kEnvelopeKey);
         },
         "eyesNode: get attributes: cannot find 'ENVELOPE' (RgFloat) attribute"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const auto& run : {deform, validate}) {
            AttributeMap attributes = completeAttributeMap();
            c.damage(attributes);
            const Outcome outcome = run(attributes);
            EXPECT_EQ(outcome.status, RgStatus::Failure);
            EXPECT_EQ(outcome.lines, std::vector<std::string>{c.line});
        }
    }
}

// The reference rigs pin where a negligible envelope ends deform; a rig file
// cannot hold the NaN envelope, which goes on to the eye keys.
TEST(AttributeLookup, NanEnvelopeGoesOnToTheEyeKeys)
{
    AttributeMap attributes = settingsOnlyMap(std::numeric_limits<float>::quiet_NaN());
    const Outcome outcome = deform(attributes);
    EXPECT_EQ(outcome.status, RgStatus::Failure);
    EXPECT_EQ(outcome.lines, std::vector<std::string>{notFoundLine(
                                 "eyesNode", eyeAttributeKey(EyeSide::Left, "nurbsSphere"), ValueClass::NurbsSurface)});
    EXPECT_TRUE(outcome.pointsUnchanged);
}

} // namespace
