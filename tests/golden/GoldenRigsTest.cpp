// Every reference rig runs through the plug-in as rghost runs it (one node,
// every frame in order, the cache carried across) and must give the reference
// status, error lines and points, frame by frame.

#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "core/RigRunner.h"
#include "io/RigFileReader.h"

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
    // Relative to the project root, so every checkout gives the same line.
    EXPECT_TRUE(std::regex_match(location, std::regex("deformers/lidShaper/[^:]+:[0-9]+")))
        << where << ": " << location;
    const std::string check = expected["check"];
    auto [known, inserted] = locationOfCheck().emplace(check, location);
    EXPECT_EQ(known->second, location) << where << ": check " << check << " moved";
    if (!inserted)
        return;
    for (const auto& [otherCheck, otherLocation] : locationOfCheck()) {
        EXPECT_TRUE(otherCheck == check || otherLocation != location)
            << where << ": checks " << check << " and " << otherCheck << " share " << location;
    }
}

json readJson(const fs::path& path)
{
    std::ifstream file(path);
    return json::parse(file);
}

// Compares the frames of one run of rig `rigName` with its expected file.
void expectMatchesReference(const std::string& rigName, const std::vector<rghost::FrameResult>& outcomes)
{
    const json expected = readJson(fs::path(LIDSHAPER_GOLDEN_DIR) / (rigName + ".expected.json"));
    const json& expectedFrames = expected["frames"];
    ASSERT_EQ(outcomes.size(), expectedFrames.size()) << rigName;

    for (std::size_t frame = 0; frame < outcomes.size(); ++frame) {
        const std::string where = rigName + " frame " + std::to_string(frame);
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

class GoldenRig : public testing::TestWithParam<std::string> {};

TEST_P(GoldenRig, MatchesReferenceFrameByFrame)
{
    const std::string rigPath = (fs::path(LIDSHAPER_GOLDEN_DIR) / (GetParam() + ".rig.json")).string();
    expectMatchesReference(GetParam(),
                           rghost::runRig(rghost::Plugin(LIDSHAPER_PLUGIN_PATH), rghost::readRigFile(rigPath)));
}

// The frames of a result file, as rghost wrote them.
std::vector<rghost::FrameResult> readResultFile(const fs::path& path)
{
    std::vector<rghost::FrameResult> frames;
    const json result = readJson(path);
    for (const json& frame : result["frames"]) {
        rghost::FrameResult result;
        result.frame = frame["frame"];
        result.status = static_cast<RgStatus>(frame["status"].get<int>());
        result.errors = frame["errors"].get<std::vector<std::string>>();
        for (const json& point : frame["points"])
            result.points.emplace_back(point[0].get<double>(), point[1].get<double>(), point[2].get<double>());
        frames.push_back(std::move(result));
    }
    return frames;
}

// The rghost executable writes result files that keep every double exactly.
TEST(GoldenRigThroughRghost, ResultFilesMatchReference)
{
    const fs::path output = fs::temp_directory_path() / ("golden-rghost-" + std::to_string(::getpid()));
    fs::create_directories(output);
    for (const std::string rigName :
         {"valid/v000", "valid/v005", "invalid/i013-frames-corner-fail-keeps-minBetweenRadius",
          "invalid/i019-frames-right-check-fails-then-rebuild"}) {
        const fs::path result = output / "result.json";
        const std::string command = std::string(LIDSHAPER_RGHOST_PATH) + " deform \"" + LIDSHAPER_GOLDEN_DIR + "/" +
                                    rigName + ".rig.json\" -o \"" + result.string() + "\" --plugin \"" +
                                    LIDSHAPER_PLUGIN_PATH + "\" 2>/dev/null";
        const int status = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(status)) << rigName;
        const bool allSucceed = rigName.rfind("valid/", 0) == 0;
        EXPECT_EQ(WEXITSTATUS(status), allSucceed ? 0 : 1) << rigName;
        expectMatchesReference(rigName, readResultFile(result));
    }
    fs::remove_all(output);
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
