#include <unistd.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>

#include <gtest/gtest.h>

#include "HostTestSupport.h"
#include "io/AtomicFile.h"
#include "io/JsonLayout.h"
#include "io/ObjFile.h"
#include "io/PointCacheFile.h"
#include "io/ResultFile.h"

namespace {

using hosttest::json;
namespace fs = std::filesystem;

const double nan = std::numeric_limits<double>::quiet_NaN();
const double infinity = std::numeric_limits<double>::infinity();

std::string resultDocument(const std::string& node, const std::vector<rghost::FrameResult>& frames)
{
    std::string text = rghost::formatResultHead(node);
    for (std::size_t i = 0; i < frames.size(); ++i) {
        text += (i == 0 ? "" : std::string(rghost::resultFrameSeparator)) + rghost::formatResultFrame(frames[i]);
    }
    return text + std::string(rghost::resultTail);
}

TEST(ResultFile, StreamsTheBytesOfTheWholeDocumentLaidOutAtOnce)
{
    const std::vector<rghost::FrameResult> frames = {
        {-2,
         RgStatus::Success,
         {},
         {Imath::V3d(0.1, 1.0 / 3.0, -5e-324), Imath::V3d(nan, infinity, -0.0), Imath::V3d(1e21, 2, 1e-7)}},
        {-1, RgStatus::Failure, {"second", "first \xff \"quoted\""}, {}},
        {0, RgStatus::NotHandled, {}, {Imath::V3d(123456789.125, -4, 0)}},
    };
    // The document as one JSON value, laid out like the rig writer's files.
    nlohmann::ordered_json frameList = nlohmann::ordered_json::array();
    for (const rghost::FrameResult& frame : frames) {
        nlohmann::ordered_json points = nlohmann::ordered_json::array();
        for (const Imath::V3d& p : frame.points) {
            points.push_back(nlohmann::ordered_json::array());
            for (int axis = 0; axis < 3; ++axis) {
                points.back().push_back(std::isfinite(p[axis]) ? nlohmann::ordered_json(p[axis]) : nullptr);
            }
        }
        frameList.push_back({{"frame", frame.frame},
                             {"status", static_cast<int>(frame.status)},
                             {"statusName", statusName(frame.status)},
                             {"errors", frame.errors},
                             {"points", points}});
    }
    const nlohmann::ordered_json document = {{"format", "rg-result/1"}, {"node", "eye\"Rig1"}, {"frames", frameList}};
    const std::string streamed = resultDocument("eye\"Rig1", frames);
    EXPECT_EQ(streamed, rghost::layOutJson(document, 2, nlohmann::ordered_json::error_handler_t::replace));

    // Every digit survives, and what JSON cannot spell becomes null.
    const json result = json::parse(streamed);
    EXPECT_EQ(result["frames"][0]["points"][0][1].get<double>(), 1.0 / 3.0);
    EXPECT_EQ(result["frames"][0]["points"][0][2].get<double>(), -5e-324);
    EXPECT_EQ(result["frames"][0]["points"][1], json::array({nullptr, nullptr, -0.0}));
    EXPECT_EQ(result["frames"][1]["statusName"], "Failure");
}

TEST(ObjFile, WritesShortestCoordinatesOneBasedFacesAndSortableNames)
{
    EXPECT_EQ(rghost::formatObj({Imath::V3d(0.5, -2, 1e-300), Imath::V3d(1.0 / 3.0, nan, -infinity)},
                                {{0, 1, 0}, {1, 0, 1, 0}}),
              "v 0.5 -2 1e-300\n"
              "v 0.3333333333333333 nan -inf\n"
              "f 1 2 1\n"
              "f 2 1 2 1\n");
    const struct {
        std::int64_t first, last, frame;
        const char* name;
    } names[] = {
        {0, 47, 7, "frame.0007.obj"},     {1001, 1100, 1050, "frame.1050.obj"}, {9990, 10010, 9999, "frame.09999.obj"},
        {-12, 3, -12, "frame.-0012.obj"}, {-123456, 0, 5, "frame.000005.obj"},
    };
    for (const auto& c : names) {
        EXPECT_EQ(rghost::objFileName(c.frame, rghost::frameNumberDigits(c.first, c.last)), c.name);
    }
}

TEST(PointCacheFile, HoldsTheHeaderThenLittleEndianFloatTriples)
{
    std::string bytes = rghost::formatPointCacheHeader(2, 1001, 3);
    rghost::appendPointCacheFrame(bytes, {Imath::V3d(1, 2, 3), Imath::V3d(0.1, 1e300, -1e300)});
    ASSERT_EQ(bytes.size(), 32u + 6 * 4);
    EXPECT_EQ(bytes.substr(0, 12), std::string("POINTCACHE2\0", 12));
    std::int32_t integers[2];
    float floats[2];
    std::int32_t samples;
    std::memcpy(integers, bytes.data() + 12, 8);
    std::memcpy(floats, bytes.data() + 20, 8);
    std::memcpy(&samples, bytes.data() + 28, 4);
    EXPECT_EQ(integers[0], 1);
    EXPECT_EQ(integers[1], 2);
    EXPECT_EQ(floats[0], 1001.0f);
    EXPECT_EQ(floats[1], 1.0f);
    EXPECT_EQ(samples, 3);
    float xyz[6];
    std::memcpy(xyz, bytes.data() + 32, sizeof xyz);
    EXPECT_EQ(std::vector<float>(xyz, xyz + 6),
              (std::vector<float>{1, 2, 3, 0.1f, std::numeric_limits<float>::infinity(),
                                  -std::numeric_limits<float>::infinity()}));
}

std::vector<std::string> namesIn(const fs::path& directory)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(AtomicFile, ReplacesTheTargetOrLeavesEverythingAsItWas)
{
    hosttest::TemporaryDirectory directory;
    const std::string target = directory.file("out.json");
    rghost::writeFileAtomically(target, "first");
    {
        rghost::AtomicFile abandoned(target);
        abandoned.write("half");
    }
    EXPECT_EQ(hosttest::readTextFile(target), "first");
    rghost::writeFileAtomically(target, "second");
    EXPECT_EQ(hosttest::readTextFile(target), "second");

    // A symlink is written through: the link stays and its target changes.
    fs::create_directory(directory.file("real"));
    fs::create_symlink("real/linked.json", directory.file("link.json"));
    rghost::writeFileAtomically(directory.file("link.json"), "through");
    EXPECT_TRUE(fs::is_symlink(directory.file("link.json")));
    EXPECT_EQ(hosttest::readTextFile(directory.file("real/linked.json")), "through");

    // A device is written to, never replaced.
    rghost::writeFileAtomically("/dev/null", "gone");
    EXPECT_TRUE(fs::is_character_file("/dev/null"));

    const struct {
        std::string path;
        std::string message;
    } refusals[] = {
        {directory.file("real"), "cannot write " + directory.file("real") + ": it is a directory"},
        {directory.file("missing/out.json"), "cannot write " + directory.file("missing/out.json") + ": directory " +
                                                 directory.file("missing") + " does not exist"},
        {directory.file("out.json/x"), "cannot write " + directory.file("out.json/x") + ": directory " +
                                           directory.file("out.json") + " is not a directory"},
    };
    for (const auto& refusal : refusals) {
        try {
            rghost::writeFileAtomically(refusal.path, "x");
            ADD_FAILURE() << "wrote " << refusal.path;
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(error.what(), refusal.message);
        }
    }
    EXPECT_EQ(namesIn(directory.path()), (std::vector<std::string>{"link.json", "out.json", "real"}));
    EXPECT_EQ(namesIn(directory.file("real")), std::vector<std::string>{"linked.json"});
}

} // namespace
