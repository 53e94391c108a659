// Bad input gets one line naming what is wrong and where, and no rig.

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>

#include <gtest/gtest.h>

#include "BuildTestSupport.h"
#include "GeneratedHead.h"
#include "HostTestSupport.h"
#include "build/HeadScene.h"

using namespace rigContract;

namespace {

using rghost::build::BuildError;

// The message of the BuildError `build` throws ("" when it throws none).
template <typename Build>
std::string buildError(Build build)
{
    try {
        build();
    } catch (const BuildError& error) {
        return error.what();
    }
    return "";
}

TEST(BadInput, EveryBrokenHeadIsRefusedNamingTheVertexAtFault)
{
    for (const heads::HeadOptions& options : heads::brokenHeads()) {
        const heads::GeneratedHead generated = heads::generateHead(options);
        const std::string message =
            buildError([&] { rghost::build::buildRig(generated.head, generated.eyeballInputs()); });
        ASSERT_FALSE(message.empty()) << generated.name << " was built";
        EXPECT_EQ(message.find('\n'), std::string::npos) << message;
        if (!generated.culprits.empty()) {
            const bool named = std::any_of(generated.culprits.begin(), generated.culprits.end(), [&](std::int32_t v) {
                return std::regex_search(message, std::regex("\\b" + std::to_string(v) + "\\b"));
            });
            EXPECT_TRUE(named) << generated.name << ": " << message;
        }
    }
}

TEST(BadInput, OverridesThatDoNotFitAreRefused)
{
    const buildtest::SampleHead made = buildtest::sampleHead({});
    const auto& sample = made.sample;
    const std::int32_t innerCorner = buildtest::indices(sample, EyeSide::Left, "cornersIdxs")[0];
    const std::int32_t upperMargin = buildtest::indices(sample, EyeSide::Left, "upperLidInnerIdxs")[5];
    const std::int32_t crease = buildtest::indices(sample, EyeSide::Left, "upperLidOuterIdxs")[5];
    struct Case {
        const char* what;
        void (*change)(rghost::build::BuildOptions&, std::int32_t, std::int32_t, std::int32_t);
        const char* expected;
    };
    const Case cases[] = {
        {"corner off the margin",
         [](rghost::build::BuildOptions& o, std::int32_t, std::int32_t, std::int32_t crease) {
             o.leftEye.innerCorner = crease;
         },
         "is not on the margin loop"},
        {"corners that split the lids unevenly",
         [](rghost::build::BuildOptions& o, std::int32_t inner, std::int32_t upper, std::int32_t) {
             o.leftEye.innerCorner = inner;
             o.leftEye.outerCorner = upper;
         },
         "lids of different lengths"},
        {"a lid middle at a corner",
         [](rghost::build::BuildOptions& o, std::int32_t inner, std::int32_t, std::int32_t) {
             o.leftEye.upperMiddle = inner;
         },
         "is a corner"},
        {"a margin that is no edge loop",
         [](rghost::build::BuildOptions& o, std::int32_t inner, std::int32_t upper, std::int32_t crease) {
             o.leftEye.margin = {inner, upper, crease};
         },
         "is not joined to"},
        {"a crease beyond the loops",
         [](rghost::build::BuildOptions& o, std::int32_t, std::int32_t, std::int32_t) { o.leftEye.betweenRows = 40; },
         "cannot continue at vertex"},
    };
    for (const Case& c : cases) {
        rghost::build::BuildOptions options;
        c.change(options, innerCorner, upperMargin, crease);
        const std::string message = buildError([&] { rghost::build::buildRig(made.head, made.eyeballs, options); });
        EXPECT_NE(message.find(c.expected), std::string::npos) << c.what << ": '" << message << "'";
    }
    EXPECT_NE(buildError([&] { rghost::build::buildRig(made.head, {made.eyeballs[0]}); }).find("two eyeballs"),
              std::string::npos);
}

TEST(BadInput, ObjFilesNameTheLineThatCannotBeRead)
{
    struct Case {
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"v 0 0 0\nv 1 0 0\nv 0 1\n", "head.obj:3: a point needs three numbers"},
        {"v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 4\n", "head.obj:4: face corner 4 names no point read so far"},
        {"v 0 0 0\nv 1 0 0\nf 1 2\n", "head.obj:3: a face needs at least three corners"},
        {"v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 x 3\n", "head.obj:4: face corner 'x' is not a point number"},
        {"v 0 0 0\n", "head.obj: no faces"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(buildError([&] { rghost::build::parseHeadObj(c.text, "head.obj", {}, false); }), c.expected);
    }
    EXPECT_NE(buildError([&] {
                  rghost::build::parseHeadObj("v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n", "h", {"eyeL"}, false);
              }).find("no object or group named 'eyeL'"),
              std::string::npos);
}

TEST(BadInput, BuildRigCommandExitsWithTwoAndWritesNothing)
{
    hosttest::TemporaryDirectory directory;
    const heads::GeneratedHead broken = heads::generateHead(heads::brokenHeads().front());
    const std::string head = directory.file("head.obj");
    std::ofstream(head) << heads::formatHeadObj(broken);
    const std::string rig = directory.file("rig.json");
    const std::string errors = directory.file("errors.txt");
    const std::string command = std::string(RGHOST_PATH) + " build-rig " + head + " -o " + rig + " 2>" + errors;
    const int status = std::system(command.c_str());
    EXPECT_EQ(WEXITSTATUS(status), 2);
    EXPECT_FALSE(std::filesystem::exists(rig));
    std::ifstream read(errors);
    std::string first;
    std::string second;
    std::getline(read, first);
    EXPECT_NE(first.find("no opening found in front of eyeball 1"), std::string::npos) << first;
    EXPECT_FALSE(std::getline(read, second)) << second;
}

} // namespace
