#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>

#include <gtest/gtest.h>

#include "HostTestSupport.h"
#include "io/AtomicFile.h"
#include "io/ObjFile.h"
#include "io/PointCacheFile.h"
#include "io/ResultWriter.h"

namespace {

using hosttest::json;
namespace fs = std::filesystem;

const double nan = std::numeric_limits<double>::quiet_NaN();
const double infinity = std::numeric_limits<double>::infinity();

std::string writeResult(const std::string& path, const std::string& node,
                        const std::vector<rghost::FrameResult>& frames)
{
    rghost::ResultWriter writer(path, node);
    for (const rghost::FrameResult& frame : frames) {
        writer.frame(frame);
    }
    writer.close();
    return hosttest::readTextFile(path);
}

TEST(ResultWriter, WritesOneFrameALineWithEveryDoubleExactly)
{
    hosttest::TemporaryDirectory directory;
    // More points than one formatting piece holds, so pieces join up in order.
    std::vector<Imath::V3d> many(5000);
    for (std::size_t i = 0; i < many.size(); ++i) {
        many[i] = Imath::V3d(i / 7.0, -1.0 / (i + 1.0), i * 1e-300);
    }
    const std::vector<rghost::FrameResult> frames = {
        {-2,
         RgStatus::Success,
         {},
         {Imath::V3d(0.1, 1.0 / 3.0, -5e-324), Imath::V3d(-0.0, 1e21, 1e-7), Imath::V3d(123456789.125, -4, 0)}},
        {-1, RgStatus::Failure, {"second", "first \xff \"quoted\""}, {}},
        {0, RgStatus::NotHandled, {}, many},
    };
    const std::string text = writeResult(directory.file("result.json"), "eye\"Rig1", frames);
    EXPECT_EQ(text.substr(0, text.find("\n    {\"frame\": 0")),
              "{\n"
              "  \"format\": \"rg-result/1\",\n"
              "  \"node\": \"eye\\\"Rig1\",\n"
              "  \"frames\": [\n"
              "    {\"frame\": -2, \"status\": 0, \"statusName\": \"Success\", \"errors\": [], \"points\": "
              "[[0.1, 0.3333333333333333, -5e-324], [-0.0, 1e+21, 1e-07], [123456789.125, -4, 0]]},\n"
              "    {\"frame\": -1, \"status\": 1, \"statusName\": \"Failure\", \"errors\": [\"second\", "
              "\"first \xef\xbf\xbd \\\"quoted\\\"\"], \"points\": []},");
    EXPECT_EQ(text.substr(text.size() - 10), "]]}\n  ]\n}\n");

    const json result = json::parse(text);
    ASSERT_EQ(result["frames"].size(), 3u);
    EXPECT_EQ(result["frames"][0]["points"][0][1].get<double>(), 1.0 / 3.0);
    EXPECT_TRUE(std::signbit(result["frames"][0]["points"][1][0].get<double>()));
    const json& manyRead = result["frames"][2]["points"];
    ASSERT_EQ(manyRead.size(), many.size());
    for (std::size_t i = 0; i < many.size(); i += 997) {
        EXPECT_EQ(manyRead[i], json::array({many[i].x, many[i].y, many[i].z})) << i;
    }
}

TEST(ResultWriter, RefusesPointsThatAreNotNumbersAndLeavesNoFile)
{
    hosttest::TemporaryDirectory directory;
    for (const double bad : {nan, infinity, -infinity}) {
        try {
            writeResult(directory.file("result.json"), "eyeRig1",
                        {{7, RgStatus::Success, {}, {Imath::V3d(1, 2, 3), Imath::V3d(0, bad, 1)}}});
            ADD_FAILURE() << "wrote " << bad;
        } catch (const std::invalid_argument& error) {
            EXPECT_EQ(std::string(error.what()).rfind("frame 7: vertex 1 is not finite (0, ", 0), 0u) << error.what();
        }
    }
    EXPECT_TRUE(fs::is_empty(directory.path()));
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
    // Beyond float range: the largest float of the sign, never an infinity.
    EXPECT_EQ(std::vector<float>(xyz, xyz + 6), (std::vector<float>{1, 2, 3, 0.1f, std::numeric_limits<float>::max(),
                                                                    -std::numeric_limits<float>::max()}));
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

// A process killed while writing leaves its temporary file; the next writer of
// the target removes it once that process is gone, and only then.
TEST(AtomicFile, RemovesTemporaryFilesOfProcessesThatAreGone)
{
    hosttest::TemporaryDirectory directory;
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(0);
    }
    ::waitpid(child, nullptr, 0);
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    const auto temporary = [&](const std::string& target, const std::string& machine, pid_t pid) {
        return "." + target + ".tmp-" + machine + "-" + std::to_string(pid) + "-3";
    };
    const std::string gone = temporary("out.json", host, child);
    const std::vector<std::string> kept = {
        temporary("out.json", host, ::getpid()),       // a live process
        temporary("out.json", "other-machine", child), // another machine's, whose processes we cannot see
        temporary("other.json", host, child),          // another target's
        ".out.json.tmp-" + std::string(host) + "-x-3", // not one of ours
    };
    for (const std::string& name : kept) {
        hosttest::writeTextFile(directory.file(name), "kept");
    }
    hosttest::writeTextFile(directory.file(gone), "left by a killed bake");

    rghost::writeFileAtomically(directory.file("out.json"), "new");
    std::vector<std::string> expected = kept;
    expected.push_back("out.json");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(namesIn(directory.path()), expected);
}

} // namespace
