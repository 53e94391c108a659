// The exported help command as the host calls it.

#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "PluginHarness.h"

namespace {

using namespace pluginharness;

const char* const kPointerKeys[] = {"GET_ATTRIBUTES_PTR", "RUN_ATTRIBUTES_PTR", "DEFORM_ATTRIBUTES_PTR"};

std::shared_ptr<RgPtr> pointerTo(void* address)
{
    auto pointer = std::make_shared<RgPtr>();
    pointer->value = address;
    return pointer;
}

class HelpCommand : public testing::Test {
protected:
    // Six valid arguments and an "OUTPUT" of another class, which a failure must keep.
    AttributeMap validArguments()
    {
        AttributeMap arguments;
        auto helpFlag = std::make_shared<RgBoolean>();
        helpFlag->value = true;
        arguments["HELP"] = helpFlag;
        arguments["NODE_NAME"] = std::make_shared<RgString>("eyeRig1");
        arguments["RG_NODE_PTR"] = pointerTo(node.get());
        for (const char* key : kPointerKeys)
            arguments[key] = pointerTo(&attributeTable);
        arguments["OUTPUT"] = earlierOutput;
        return arguments;
    }

    std::unique_ptr<RgNode> node = plugin().createNode("eyeRig1");
    int attributeTable = 0; // stands for the host's tables; help never follows the pointers
    std::shared_ptr<RgData> earlierOutput = std::make_shared<RgInt>();
};

TEST_F(HelpCommand, RepliesCommandsWhateverHelpHolds)
{
    // nullptr keeps the RgBoolean true of validArguments; then false, then an RgInt.
    const std::shared_ptr<RgData> helpValues[] = {nullptr, std::make_shared<RgBoolean>(), std::make_shared<RgInt>()};
    for (const auto& helpValue : helpValues) {
        AttributeMap arguments = validArguments();
        if (helpValue)
            arguments["HELP"] = helpValue;
        mayastandin::ErrorCapture capture;
        ASSERT_EQ(plugin().help(arguments), RgStatus::Success);
        EXPECT_TRUE(capture.lines().empty());
        const auto reply = std::dynamic_pointer_cast<RgString>(arguments.at("OUTPUT"));
        ASSERT_NE(reply, nullptr);
        EXPECT_EQ(reply->value, "Commands: ");
        EXPECT_TRUE(reply->values.empty());
        EXPECT_TRUE(reply->auxList.empty());
    }

    AttributeMap withoutOutput = validArguments();
    withoutOutput.erase("OUTPUT");
    EXPECT_EQ(plugin().help(withoutOutput), RgStatus::Success);
    EXPECT_NE(std::dynamic_pointer_cast<RgString>(withoutOutput["OUTPUT"]), nullptr);
}

TEST_F(HelpCommand, BadPointerArgumentIsReportedAndLeavesOutput)
{
    const char* const invalidTexts[] = {"Invalid GetAttributes", "Invalid RunAttributes", "Invalid DeformAttributes"};
    std::set<std::string> assertionSites;
    for (std::size_t k = 0; k < std::size(kPointerKeys); ++k) {
        const std::string key = kPointerKeys[k];
        const std::string notFound = "eyeRig1: get attributes: cannot find '" + key + "' (RgPtr) attribute";
        const std::string wrongType = "eyeRig1: get attributes: invalid type of '" + key + "' (RgPtr expected)";
        struct Case {
            const char* what;
            bool present;
            std::shared_ptr<RgData> value;
            std::string line; // empty: the assertion line
        };
        const Case cases[] = {
            {"absent", false, nullptr, notFound},
            {"RgInt", true, std::make_shared<RgInt>(), wrongType},
            {"empty entry", true, nullptr, wrongType},
            {"null pointer", true, pointerTo(nullptr), ""},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(key + " " + c.what);
            AttributeMap arguments = validArguments();
            if (c.present)
                arguments[key] = c.value;
            else
                arguments.erase(key);
            mayastandin::ErrorCapture capture;
            EXPECT_EQ(plugin().help(arguments), RgStatus::Failure);
            EXPECT_EQ(arguments.at("OUTPUT"), earlierOutput);
            ASSERT_EQ(capture.lines().size(), 1u);
            if (!c.line.empty()) {
                EXPECT_EQ(capture.lines()[0], c.line);
                continue;
            }
            std::smatch match;
            const std::regex shape(std::string("eyeRig1: ASSERT error \\((.+:[1-9][0-9]*)\\): ") + invalidTexts[k]);
            ASSERT_TRUE(std::regex_match(capture.lines()[0], match, shape)) << capture.lines()[0];
            assertionSites.insert(match[1]);
        }
    }
    EXPECT_EQ(assertionSites.size(), 1u) << "the three checks share one path:line";
}

TEST_F(HelpCommand, OnlyTheFirstBadPointerIsReported)
{
    AttributeMap arguments = validArguments();
    arguments["GET_ATTRIBUTES_PTR"] = pointerTo(nullptr);
    arguments.erase("RUN_ATTRIBUTES_PTR");
    mayastandin::ErrorCapture capture;
    EXPECT_EQ(plugin().help(arguments), RgStatus::Failure);
    ASSERT_EQ(capture.lines().size(), 1u);
    EXPECT_NE(capture.lines()[0].find("): Invalid GetAttributes"), std::string::npos) << capture.lines()[0];
}

TEST_F(HelpCommand, MissingFixedArgumentThrowsOutOfRange)
{
    for (const char* key : {"HELP", "NODE_NAME", "RG_NODE_PTR"}) {
        SCOPED_TRACE(key);
        AttributeMap arguments = validArguments();
        arguments.erase(key);
        mayastandin::ErrorCapture capture;
        EXPECT_THROW(plugin().help(arguments), std::out_of_range);
        EXPECT_TRUE(capture.lines().empty());
        EXPECT_EQ(arguments.at("OUTPUT"), earlierOutput);
    }
}

} // namespace
