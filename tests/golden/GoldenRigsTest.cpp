// Every reference rig runs through the plug-in as rghost runs it (one node,
// every frame in order, the cache carried across) and must give the reference
// status, error lines and points, frame by frame.

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "RigFileReader.h"
#include "RigRunner.h"

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

constexpr double kTolerance = 1e-9;

std::vector<std::string> goldenRigNames()
{
    std::vector<std::string> names;
    for (const char* folder : {"valid", "invalid"})
        for (const auto& entry : fs::directory_iterator(fs::path(LIDSHAPER_GOLDEN_DIR) / folder)) {
            const std::string file = entry.path().filename().string();
            const std::string suffix = ".rig.json";
            if (file.size() > suffix.size() && file.compare(file.size() - suffix.size(), suffix.size(), suffix) == 0)
                names.push_back(std::string(folder) + "/" + file.substr(0, file.size() - suffix.size()));
        }
    std::sort(names.begin(), names.end());
    return names;
}

// Assertion lines are compared by shape; the location of each check is
// collected across the whole suite so every check keeps one place and no two
// checks share one.
std::map<std::string, std::string>& locationOfCheck()
{
    static std::map<std::string, std::string> locations;
    return locations;
}

void expectErrorLine(const json& expected, const std::string& actual, const std::string& where)
{
    if (expected["kind"] == "text") {
        EXPECT_EQ(actual, expected["line"].get<std::string>()) << where;
        return;
    }
    const std::string prefix = expected["prefix"];
    const std::string suffix = expected["suffix"];
    ASSERT_GE(actual.size(), prefix.size() + suffix.size()) << where << ": " << actual;
    EXPECT_EQ(actual.substr(0, prefix.size()), prefix) << where;
    EXPECT_EQ(actual.substr(actual.size() - suffix.size()), suffix) << where;
    const std::string location = actual.substr(prefix.size(), actual.size() - prefix.size() - suffix.size());
    EXPECT_TRUE(std::regex_match(location, std::regex(".+:[0-9]+"))) << where << ": " << location;
    const std::string check = expected["check"];
    auto [known, inserted] = locationOfCheck().emplace(check, location);
    EXPECT_EQ(known->second, location) << where << ": check " << check << " moved";
    if (inserted)
        for (const auto& [otherCheck, otherLocation] : locationOfCheck())
            EXPECT_TRUE(otherCheck == check || otherLocation != location)
                << where << ": checks " << check << " and " << otherCheck << " share " << location;
}

class GoldenRig : public testing::TestWithParam<std::string> {};

TEST_P(GoldenRig, MatchesReferenceFrameByFrame)
{
    const fs::path base = fs::path(LIDSHAPER_GOLDEN_DIR) / GetParam();
    const rghost::Rig rig = rghost::readRigFile(base.string() + ".rig.json");
    std::ifstream expectedFile(base.string() + ".expected.json");
    const json expected = json::parse(expectedFile);
    const std::vector<rghost::FrameResult> outcomes = rghost::runRig(rghost::Plugin(LIDSHAPER_PLUGIN_PATH), rig);
    const json& expectedFrames = expected["frames"];
    ASSERT_EQ(outcomes.size(), expectedFrames.size());

    for (std::size_t frame = 0; frame < outcomes.size(); ++frame) {
        const std::string where = GetParam() + " frame " + std::to_string(frame);
        const rghost::FrameResult& outcome = outcomes[frame];
        const json& want = expectedFrames[frame];
        EXPECT_EQ(static_cast<int>(outcome.status), want["status"].get<int>()) << where;
        ASSERT_EQ(outcome.errors.size(), want["errors"].size()) << where;
        for (std::size_t e = 0; e < outcome.errors.size(); ++e)
            expectErrorLine(want["errors"][e], outcome.errors[e], where);

        const json& wantPoints = want["points"];
        ASSERT_EQ(outcome.points.size(), wantPoints.size()) << where;
        double largest = 0.0;
        std::ptrdiff_t firstBad = -1;
        for (std::size_t p = 0; p < outcome.points.size(); ++p)
            for (int axis = 0; axis < 3; ++axis) {
                const double deviation = std::abs(outcome.points[p][axis] - wantPoints[p][axis].get<double>());
                if (!(deviation <= kTolerance) && firstBad < 0)
                    firstBad = static_cast<std::ptrdiff_t>(p);
                if (!(deviation <= largest))
                    largest = deviation;
            }
        EXPECT_LT(firstBad, 0) << where << ": first differing point " << firstBad << ", largest deviation " << largest;
    }
}

INSTANTIATE_TEST_SUITE_P(Golden, GoldenRig, testing::ValuesIn(goldenRigNames()),
                         [](const testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return name;
                         });

} // namespace
