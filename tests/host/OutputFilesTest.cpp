#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>

#include <gtest/gtest.h>

#include "io/AtomicFile.h"
#include "HostTestSupport.h"
#include "io/ObjFile.h"
#include "io/ResultFile.h"

namespace {

using hosttest::json;

TEST(ResultFile, HoldsEachFrameAsTheFormatSays)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    const std::vector<rghost::FrameResult> frames = {
        {2, RgStatus::Success, {}, {Imath::V3d(0.1, 1.0 / 3.0, -5e-324), Imath::V3d(nan, infinity, -infinity)}},
        {3, RgStatus::Failure, {"second", "first \xff"}, {}},
        {4, RgStatus::NotHandled, {}, {}},
    };
    const json result = json::parse(rghost::formatResult("eyeRig1", frames));

    EXPECT_EQ(result["format"], "rg-result/1");
    EXPECT_EQ(result["node"], "eyeRig1");
    ASSERT_EQ(result["frames"].size(), 3u);
    const json& first = result["frames"][0];
    EXPECT_EQ(first["frame"], 2);
    EXPECT_EQ(first["status"], 0);
    EXPECT_EQ(first["statusName"], "Success");
    EXPECT_EQ(first["errors"], json::array());
    // Every digit survives, and what JSON cannot spell becomes null.
    EXPECT_EQ(first["points"][0][1].get<double>(), 1.0 / 3.0);
    EXPECT_EQ(first["points"][0][2].get<double>(), -5e-324);
    EXPECT_EQ(first["points"][1], json::array({nullptr, nullptr, nullptr}));

    EXPECT_EQ(result["frames"][1]["status"], 1);
    EXPECT_EQ(result["frames"][1]["statusName"], "Failure");
    EXPECT_EQ(result["frames"][1]["errors"][0], "second");
    EXPECT_EQ(result["frames"][1]["errors"].size(), 2u);
    EXPECT_EQ(result["frames"][2]["status"], 2);
    EXPECT_EQ(result["frames"][2]["statusName"], "NotHandled");
}

TEST(ObjFile, WritesPointsAndOneBasedFaces)
{
    const std::string text = rghost::formatObj({Imath::V3d(0.5, -2, 1e-300), Imath::V3d(1.0 / 3.0, 0, 0), Imath::V3d(1, 1, 1)},
                                               {{0, 1, 2}, {2, 1, 0, 1}});
    EXPECT_EQ(text,
              "v 0.5 -2 1e-300\n"
              "v 0.33333333333333331 0 0\n"
              "v 1 1 1\n"
              "f 1 2 3\n"
              "f 3 2 1 2\n");
    EXPECT_EQ(std::strtod("0.33333333333333331", nullptr), 1.0 / 3.0);
}

TEST(AtomicFile, ReplacesTheTargetOrLeavesEverythingAsItWas)
{
    hosttest::TemporaryDirectory directory;
    const std::string target = directory.file("out.json");
    rghost::writeFileAtomically(target, "first");
    rghost::writeFileAtomically(target, "second");
    EXPECT_EQ(hosttest::readTextFile(target), "second");

    std::filesystem::create_directory(directory.file("taken"));
    try {
        rghost::writeFileAtomically(directory.file("taken"), "x");
        ADD_FAILURE() << "wrote over a directory";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find(directory.file("taken")), std::string::npos) << error.what();
    }
    EXPECT_THROW(rghost::writeFileAtomically(directory.file("missing/out.json"), "x"), std::runtime_error);

    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory.path())) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"out.json", "taken"}));
    EXPECT_TRUE(std::filesystem::is_empty(directory.file("taken")));
}

} // namespace
