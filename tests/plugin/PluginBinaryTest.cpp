// The shipped library as a binary: what it exports and how independent nodes
// made by its create behave.

#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <set>
#include <sstream>

#include "PluginHarness.h"

namespace {

using namespace pluginharness;

std::string commandOutput(const std::string& command)
{
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return output;
    char buffer[4096];
    while (const std::size_t read = fread(buffer, 1, sizeof buffer, pipe))
        output.append(buffer, read);
    EXPECT_EQ(pclose(pipe), 0) << command;
    return output;
}

// Besides create and help, only the type information, type names and virtual
// tables of the host's Rg types may be visible, so host-made values downcast.
TEST(PluginExports, OnlyCreateHelpAndRgTypeInformation)
{
    const std::string listing = commandOutput(std::string("nm -D --defined-only ") + LIDSHAPER_PLUGIN_PATH);
    const std::regex rgTypeSymbol("_ZT[ISV][0-9]+Rg.*");
    std::istringstream lines(listing);
    std::string line;
    std::set<std::string> entryPoints;
    int rgTypeSymbols = 0;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string address, kind, name;
        fields >> address >> kind >> name;
        if (name.empty())
            continue;
        if (name == "create" || name == "help") {
            EXPECT_EQ(kind, "T") << name;
            entryPoints.insert(name);
        } else if (std::regex_match(name, rgTypeSymbol)) {
            ++rgTypeSymbols;
        } else {
            ADD_FAILURE() << "unexpected exported symbol: " << line;
        }
    }
    EXPECT_EQ(entryPoints, (std::set<std::string>{"create", "help"}));
    EXPECT_GT(rgTypeSymbols, 0);
}

TEST(PluginNodes, IndependentNodesReportUnderTheirOwnNames)
{
    auto first = plugin().createNode("eyeRigA");
    auto second = plugin().createNode("eyeRigB");
    ASSERT_NE(first.get(), second.get());

    const AttributeMap empty;
    {
        mayastandin::ErrorCapture capture;
        EXPECT_EQ(first->validateAttributes(empty), RgStatus::Failure);
        EXPECT_EQ(second->validateAttributes(empty), RgStatus::Failure);
        EXPECT_EQ(capture.lines(),
                  (std::vector<std::string>{"eyeRigA: get attributes: cannot find 'DEBUG_MODE' (RgInt) attribute",
                                            "eyeRigB: get attributes: cannot find 'DEBUG_MODE' (RgInt) attribute"}));
    }

    first.reset();

    mayastandin::ErrorCapture capture;
    second->acceptString(MString("ignored"));
    second->idleHook();
    second->setAttributesDirty();
    EXPECT_EQ(second->validateAttributes(completeAttributeMap()), RgStatus::Success);
    std::vector<AttributeDescriptor> attributes;
    second->declareAttributes(attributes);
    EXPECT_EQ(attributes.size(), 69u);
    AttributeMap arguments = settingsOnlyMap(0.0f);
    arguments.erase("SOA_ENABLED");
    RgDeformData data;
    EXPECT_EQ(second->deform(arguments, data), RgStatus::Failure);
    EXPECT_EQ(capture.lines(),
              std::vector<std::string>{"eyeRigB: get attributes: cannot find 'SOA_ENABLED' (RgBoolean) attribute"});
}

} // namespace
