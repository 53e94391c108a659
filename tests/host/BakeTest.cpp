#include <cmath>
#include <cstring>
#include <filesystem>
#include <sstream>

#include <gtest/gtest.h>

#include "HostTestSupport.h"
#include "bake/Bake.h"
#include "bake/FrameLog.h"
#include "io/ObjFile.h"
#include "io/RigFileReader.h"
#include "io/RigFileWriter.h"
#include "sample/SampleRig.h"

namespace {

using hosttest::json;
namespace fs = std::filesystem;

TEST(FrameSelection, ReadsSceneFramesAndPlansTheReplay)
{
    const struct {
        const char* text;
        std::int64_t first, last;
    } parsed[] = {{"1050", 1050, 1050}, {"1001:1100", 1001, 1100}, {"-5:-1", -5, -1}};
    for (const auto& c : parsed) {
        const rghost::SceneFrames frames = rghost::parseSceneFrames(c.text);
        EXPECT_EQ(frames.first, c.first) << c.text;
        EXPECT_EQ(frames.last, c.last) << c.text;
    }
    for (const char* bad : {"", ":", "5:", "a", "1-2", "5:3", "1:2:3", "99999999999999999999"}) {
        EXPECT_THROW(rghost::parseSceneFrames(bad), std::invalid_argument) << bad;
    }

    rghost::Rig rig;
    rig.frames.resize(10);
    rig.startFrame = 1001;
    const struct {
        std::optional<rghost::SceneFrames> frames;
        std::optional<std::size_t> preroll;
        std::size_t firstPlayed, firstRecorded, last;
    } plans[] = {
        {std::nullopt, std::nullopt, 0, 0, 9},         {rghost::SceneFrames{1005, 1007}, std::nullopt, 0, 4, 6},
        {rghost::SceneFrames{1005, 1005}, 0, 4, 4, 4}, {rghost::SceneFrames{1005, 1010}, 2, 2, 4, 9},
        {rghost::SceneFrames{1002, 1003}, 5, 0, 1, 2},
    };
    for (const auto& c : plans) {
        const rghost::FramePlan plan = rghost::planFrames(rig, c.frames, c.preroll);
        EXPECT_EQ(plan.firstPlayed, c.firstPlayed);
        EXPECT_EQ(plan.firstRecorded, c.firstRecorded);
        EXPECT_EQ(plan.last, c.last);
    }
    for (const rghost::SceneFrames outside : {rghost::SceneFrames{1000, 1002}, rghost::SceneFrames{1011, 1011}}) {
        EXPECT_THROW(rghost::planFrames(rig, outside, std::nullopt), std::invalid_argument) << outside.first;
    }
    try {
        rghost::planFrames(rig, rghost::SceneFrames{1, 300}, std::nullopt);
    } catch (const std::invalid_argument& error) {
        EXPECT_STREQ(error.what(), "frames 1-300 are outside the rig's frames 1001-1010");
    }
}

class SampleBake : public ::testing::Test {
protected:
    static void SetUpTestSuite() { plugin = new rghost::Plugin(LIDSHAPER_PLUGIN_PATH); }
    static void TearDownTestSuite() { delete plugin; }

    // The sample rig at a small size, as a rig file's JSON.
    static json sampleRigJson()
    {
        rghost::SampleRigOptions options;
        options.columns = 8;
        options.frames = 12;
        return json::parse(rghost::formatRig(rghost::buildSampleRig(options)));
    }

    std::string bakeToFile(const json& rig, const rghost::BakeOptions& options, const std::string& name) const
    {
        rghost::BakeOutputs outputs;
        outputs.resultFile = work.file(name);
        rghost::bakeRig(*plugin, rghost::parseRig(rig.dump()), options, outputs);
        return hosttest::readTextFile(outputs.resultFile);
    }

    static rghost::Plugin* plugin;
    hosttest::TemporaryDirectory work;
};

rghost::Plugin* SampleBake::plugin = nullptr;

// The node carries only its cached preparation from frame to frame, made on
// its first successful call: a chunk replays the same points as a full run
// when the frame that now makes the cache has the same cached inputs.
TEST_F(SampleBake, ShorterPrerollKeepsThePointsUnlessCachedInputsChangeBeforeTheChunk)
{
    json rig = sampleRigJson();
    rig["startFrame"] = 101;
    rghost::BakeOptions chunk;
    chunk.frames = rghost::SceneFrames{106, 108};
    const std::string full = bakeToFile(rig, chunk, "full.json");
    chunk.preroll = 0;
    EXPECT_EQ(bakeToFile(rig, chunk, "chunk.json"), full) << "only lid controls are animated";

    // Frame 101 moves the upper lid's offsets, which the cache keeps.
    const std::string suffix = "__L_eye__pointsOffset";
    std::string offsetKey;
    for (const auto& [key, value] : rig["attributes"].items()) {
        if (key.size() > suffix.size() && key.compare(key.size() - suffix.size(), suffix.size(), suffix) == 0) {
            offsetKey = key;
        }
    }
    ASSERT_FALSE(offsetKey.empty());
    json offsets = rig["attributes"][offsetKey];
    for (json& offset : offsets["values"]) {
        offset[1] = offset[1].get<double>() + 0.5;
    }
    rig["frames"][0]["attributes"][offsetKey] = offsets;
    chunk.preroll.reset();
    const std::string exact = bakeToFile(rig, chunk, "exact.json");
    EXPECT_NE(exact, full);
    chunk.preroll = 0;
    EXPECT_NE(bakeToFile(rig, chunk, "short.json"), exact);
    chunk.preroll = 5;
    EXPECT_EQ(bakeToFile(rig, chunk, "reaching.json"), exact);
}

TEST_F(SampleBake, FailedBakeLeavesNoFileItCreatedAndNeverTheRigReplaced)
{
    const json rig = sampleRigJson();
    const std::string rigPath = work.file("rig.json");
    hosttest::writeTextFile(rigPath, rig.dump());
    hosttest::writeTextFile(work.file("old.json"), "old");
    rghost::BakeOutputs outputs{work.file("old.json"), work.file("cache.pc2"), work.file("rest.obj"),
                                work.file("meshes/deep"), rigPath};
    rghost::BakeOptions options;
    options.onFrame = [](const rghost::FrameResult& frame) {
        if (frame.frame == 3) {
            throw std::runtime_error("disk full");
        }
    };
    EXPECT_THROW(rghost::bakeRig(*plugin, rghost::parseRig(rig.dump()), options, outputs), std::runtime_error);

    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(work.path())) {
        left.push_back(entry.path().filename().string());
    }
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"old.json", "rig.json"}));
    EXPECT_EQ(hosttest::readTextFile(work.file("old.json")), "old");

    const rghost::BakeOutputs overRig[] = {
        {rigPath, "", "", "", rigPath}, {"", rigPath, "", "", rigPath}, {"", "", rigPath, "", rigPath}};
    for (const rghost::BakeOutputs& intoRig : overRig) {
        EXPECT_THROW(rghost::bakeRig(*plugin, rghost::parseRig(rig.dump()), {}, intoRig), std::invalid_argument);
    }
    EXPECT_EQ(json::parse(hosttest::readTextFile(rigPath)), rig);
}

// A lid vertex far out makes the node's arithmetic overflow: every frame is
// then a failed one that keeps its rest points, in the result file and the
// point cache alike, and says which vertex was not finite.
TEST_F(SampleBake, FramesWhosePointsAreNotFiniteFailAndKeepTheRestPoints)
{
    json rig = sampleRigJson();
    std::size_t lidVertex = 0;
    for (const auto& [key, value] : rig["attributes"].items()) {
        if (key.find("L_eye__upperLidInnerIdxs") != std::string::npos) {
            lidVertex = value["values"][2].get<std::size_t>();
        }
    }
    ASSERT_NE(lidVertex, 0u);
    rig["geometry"]["points"][lidVertex][0] = 1e300;
    rghost::BakeOutputs outputs;
    outputs.resultFile = work.file("result.json");
    outputs.pointCache = work.file("cache.pc2");
    const rghost::BakeSummary summary = rghost::bakeRig(*plugin, rghost::parseRig(rig.dump()), {}, outputs);
    EXPECT_EQ(summary.failedFrames, summary.frames);

    const json result = json::parse(hosttest::readTextFile(outputs.resultFile));
    for (const json& frame : result["frames"]) {
        EXPECT_EQ(frame["status"], 1);
        EXPECT_EQ(frame["points"], rig["geometry"]["points"]);
        const std::string line = frame["errors"].back();
        EXPECT_EQ(line.rfind("deform left vertex ", 0), 0u) << line;
        EXPECT_NE(line.find(" is not finite ("), std::string::npos) << line;
    }
    const std::string cache = hosttest::readTextFile(outputs.pointCache);
    for (std::size_t at = 32; at + sizeof(float) <= cache.size(); at += sizeof(float)) {
        float coordinate = 0;
        std::memcpy(&coordinate, cache.data() + at, sizeof coordinate);
        ASSERT_TRUE(std::isfinite(coordinate)) << at;
    }
}

TEST(FrameLog, FoldsRepeatedFrameErrorsAndShowsProgress)
{
    const std::vector<std::vector<std::string>> errors = {{"a"},      {"a"},      {"a"}, {},
                                                          {"b", "c"}, {"b", "c"}, {"a"}, {"a"}};
    std::ostringstream plain;
    std::ostringstream terminal;
    for (auto [out, isTerminal] : {std::pair{&plain, false}, std::pair{&terminal, true}}) {
        rghost::FrameLog log(*out, isTerminal);
        for (std::size_t i = 0; i < errors.size(); ++i) {
            log.frame({static_cast<std::int64_t>(i) + 10, RgStatus::Failure, errors[i], {}});
            log.progress(i + 1, errors.size());
        }
        log.finish();
    }
    EXPECT_EQ(plain.str(),
              "frame 10: a\nplayed 1/8 frames\nplayed 2/8 frames\nplayed 3/8 frames\n"
              "frames 11-12: the same error as frame 10\nplayed 4/8 frames\n"
              "frame 14: b\nframe 14: c\nplayed 5/8 frames\nplayed 6/8 frames\n"
              "frame 15: the same 2 errors as frame 14\nframe 16: a\nplayed 7/8 frames\nplayed 8/8 frames\n"
              "frame 17: the same error as frame 16\n");
    const std::string bar8 = "\r" + rghost::formatProgressBar(8, 8);
    const std::string erased = "\r" + std::string(bar8.size() - 1, ' ') + "\r";
    EXPECT_NE(terminal.str().find(bar8 + erased + "frame 17: the same error as frame 16\n"), std::string::npos)
        << terminal.str();
    EXPECT_EQ(terminal.str().rfind("frame 10: a\n\r[", 0), 0u) << terminal.str();

    const struct {
        std::size_t done;
        std::size_t total;
        const char* bar;
    } bars[] = {
        {0, 4, "[--------] 0/4"}, {2, 4, "[####----] 2/4"},    {4, 4, "[########] 4/4"},
        {5, 4, "[########] 4/4"}, {3, 12, "[##------]  3/12"}, {12, 12, "[########] 12/12"},
    };
    for (const auto& c : bars) {
        EXPECT_EQ(rghost::formatProgressBar(c.done, c.total, 8), c.bar) << c.done << "/" << c.total;
    }
}

} // namespace
