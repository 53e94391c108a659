// The built-in sample rig: it must be a rig the plug-in accepts and plays
// without a failure for any options, its lids must close onto each other and
// never enter the eyeball, and `rghost demo` / `rghost sample-rig` must write
// what they promise.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>

#include <gtest/gtest.h>
#include <maya/MFnNurbsSurface.h>
#include <maya/MPoint.h>

#include "RghostProcess.h"
#include "core/RigRunner.h"
#include "io/RigFileReader.h"
#include "lidShaper/rigContract.h"
#include "sample/SampleRig.h"

using namespace rigContract;

namespace {

using Imath::V3d;
using rghost::Rig;
using rghost::SampleRigOptions;

template <typename Data>
const Data& attribute(const AttributeMap& attributes, const std::string& key)
{
    const auto data = std::dynamic_pointer_cast<Data>(attributes.at(key));
    if (!data) {
        throw std::runtime_error(key + " has another class");
    }
    return *data;
}

const std::vector<std::int32_t>& indices(const Rig& rig, EyeSide side, std::size_t field)
{
    return attribute<RgInt>(rig.attributes, eyeFieldKey(side, field)).values;
}

// Every vertex a lid list or the corner list of one eye names.
std::set<std::int32_t> lidVertices(const Rig& rig, EyeSide side)
{
    std::set<std::int32_t> vertices;
    for (const Lid lid : kLids) {
        const LidFields fields = lidFields(lid);
        for (const std::size_t list : {fields.innerIdxs, fields.outerIdxs, fields.centerIdxs, fields.betweenIdxs}) {
            const auto& values = indices(rig, side, list);
            vertices.insert(values.begin(), values.end());
        }
    }
    const auto& corners = indices(rig, side, eyeField::cornersIdxs);
    vertices.insert(corners.begin(), corners.end());
    return vertices;
}

struct Eyeball {
    V3d center;
    double radius;
};

Eyeball eyeball(const Rig& rig, EyeSide side)
{
    const V3d center = attribute<RgVector>(rig.attributes, eyeAttributeKey(side, "centerEye")).value;
    MPoint onSurface;
    MFnNurbsSurface(attribute<RgNurbsSurface>(rig.attributes, eyeAttributeKey(side, "nurbsSphere")).value)
        .getPointAtParam(0.3, 0.7, onSurface, MSpace::kWorld);
    return {center, (V3d(onSurface.x, onSurface.y, onSurface.z) - center).length()};
}

// Both eyes set to the same controls, as the rig's only frame.
Rig withControls(Rig rig, double closeEye, double upperLidControl, double lowerLidControl)
{
    rig.frames.clear();
    for (const EyeSide side : kEyeSides) {
        for (const auto& [field, value] : {std::pair<const char*, double>{"closeEye", closeEye},
                                           {"upperLidControl", upperLidControl},
                                           {"lowerLidControl", lowerLidControl}}) {
            auto data = std::make_shared<RgDouble>();
            data->value = value;
            rig.attributes[eyeAttributeKey(side, field)] = data;
        }
    }
    return rig;
}

class SampleRig : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        plugin = new rghost::Plugin(LIDSHAPER_PLUGIN_PATH);
        rig = new Rig(rghost::buildSampleRig());
        animation = new std::vector<rghost::FrameResult>(rghost::runRig(*plugin, *rig));
    }
    static void TearDownTestSuite()
    {
        delete animation;
        delete rig;
        delete plugin;
    }

    static rghost::Plugin* plugin;
    static Rig* rig;
    static std::vector<rghost::FrameResult>* animation;
};

rghost::Plugin* SampleRig::plugin = nullptr;
Rig* SampleRig::rig = nullptr;
std::vector<rghost::FrameResult>* SampleRig::animation = nullptr;

TEST_F(SampleRig, PlaysEveryFrameWithoutAnError)
{
    ASSERT_EQ(animation->size(), 48u);
    for (const rghost::FrameResult& result : *animation) {
        EXPECT_EQ(result.status, RgStatus::Success) << "frame " << result.frame;
        EXPECT_TRUE(result.errors.empty()) << "frame " << result.frame << ": " << result.errors.front();
    }
}

TEST_F(SampleRig, AnimationMovesTheLidsOfBothEyes)
{
    for (const EyeSide side : kEyeSides) {
        const std::int32_t margin = indices(*rig, side, eyeField::upperLidInnerIdxs)[12];
        double lowest = animation->front().points[margin].y;
        for (const rghost::FrameResult& result : *animation) {
            lowest = std::min(lowest, result.points[margin].y);
        }
        EXPECT_LT(lowest, animation->front().points[margin].y - 0.3) << eyeSideName(side);
    }
}

TEST_F(SampleRig, NoLidVertexEntersTheEyeballAtAnyFrame)
{
    constexpr double kTolerance = 1e-9;
    for (const EyeSide side : kEyeSides) {
        const Eyeball ball = eyeball(*rig, side);
        const std::set<std::int32_t> vertices = lidVertices(*rig, side);
        for (const rghost::FrameResult& result : *animation) {
            for (const std::int32_t vertex : vertices) {
                EXPECT_GE((result.points[vertex] - ball.center).length(), ball.radius - kTolerance)
                    << eyeSideName(side) << " vertex " << vertex << " frame " << result.frame;
            }
        }
    }
}

// Wherever the controls stand, closing the eye on the middle line brings the
// two lid margins together.
TEST_F(SampleRig, ClosedLidsMeet)
{
    struct Controls {
        double upper;
        double lower;
    };
    const Controls cases[] = {{10.0, -10.0}, {14.5, -6.5}, {3.5, -12.5}, {0.0, 0.0}};
    for (const Controls& controls : cases) {
        const Rig closed = withControls(*rig, 1.0, controls.upper, controls.lower);
        const std::vector<rghost::FrameResult> results = rghost::runRig(*plugin, closed);
        ASSERT_EQ(results.front().status, RgStatus::Success);
        for (const EyeSide side : kEyeSides) {
            const auto& upper = indices(closed, side, eyeField::upperLidInnerIdxs);
            const auto& lower = indices(closed, side, eyeField::lowerLidInnerIdxs);
            for (std::size_t column = 0; column < upper.size(); ++column) {
                EXPECT_LT((results.front().points[upper[column]] - results.front().points[lower[column]]).length(),
                          1e-6)
                    << eyeSideName(side) << " column " << column << " controls " << controls.upper << ", "
                    << controls.lower;
            }
        }
    }
}

TEST_F(SampleRig, OpenControlsKeepTheModelledPose)
{
    const std::vector<rghost::FrameResult> results = rghost::runRig(*plugin, withControls(*rig, 0.0, 10.0, -10.0));
    for (const EyeSide side : kEyeSides) {
        for (const std::size_t list : {eyeField::upperLidInnerIdxs, eyeField::lowerLidInnerIdxs,
                                       eyeField::upperLidOuterIdxs, eyeField::cornersIdxs}) {
            for (const std::int32_t vertex : indices(*rig, side, list)) {
                EXPECT_LT((results.front().points[vertex] - rig->geometry.points[vertex]).length(), 1e-5)
                    << eyeFieldKey(side, list) << " vertex " << vertex;
            }
        }
    }
}

// Any options give a rig the node plays without a failure (its checks refuse
// lists of the wrong size), with the frames and soft region asked for, and
// with eyes that share no vertex, so that their solves run in parallel.
TEST(SampleRigOptions, EveryVariationPlaysWithTheEyesApart)
{
    const rghost::Plugin plugin(LIDSHAPER_PLUGIN_PATH);
    const SampleRigOptions cases[] = {{1, 0, 0, 3, true}, {2, 1, 1, 4, true}, {7, 0, 3, 2, false}, {40, 5, 2, 5, true}};
    for (const SampleRigOptions& options : cases) {
        SCOPED_TRACE("N=" + std::to_string(options.columns) + " K=" + std::to_string(options.centerRows) +
                     " B=" + std::to_string(options.betweenRows));
        const Rig rig = rghost::buildSampleRig(options);
        EXPECT_EQ(rig.frames.size(), static_cast<std::size_t>(options.frames));
        EXPECT_EQ(attribute<RgInt>(rig.attributes, kSoftRegionKey).values.empty(), !options.softRegion);
        for (const rghost::FrameResult& result : rghost::runRig(plugin, rig)) {
            EXPECT_EQ(result.status, RgStatus::Success)
                << "frame " << result.frame << ": " << (result.errors.empty() ? "" : result.errors.front());
        }
        const std::set<std::int32_t> left = lidVertices(rig, EyeSide::Left);
        for (const std::int32_t vertex : lidVertices(rig, EyeSide::Right)) {
            EXPECT_EQ(left.count(vertex), 0u) << "vertex " << vertex;
        }
    }
}

TEST(SampleRigOptions, ProblemsAreNamed)
{
    const std::pair<SampleRigOptions, const char*> cases[] = {
        {{0, 3, 6, 48, true}, "columns"},
        {{24, -1, 6, 48, true}, "center rows"},
        {{24, 3, -2, 48, true}, "between rows"},
        {{24, 3, 6, 0, true}, "frames"},
    };
    for (const auto& [options, word] : cases) {
        EXPECT_NE(rghost::describeSampleRigProblem(options).find(word), std::string::npos) << word;
        EXPECT_THROW(rghost::buildSampleRig(options), std::invalid_argument) << word;
    }
    EXPECT_EQ(rghost::describeSampleRigProblem({}), "");
}

TEST(SampleRigOptions, PosesLieInsideTheAnimationInOrder)
{
    for (const int frames : {1, 2, 9, 48, 200}) {
        SampleRigOptions options;
        options.frames = frames;
        const std::vector<rghost::SamplePose> poses = rghost::samplePoses(options);
        ASSERT_FALSE(poses.empty());
        for (std::size_t i = 0; i < poses.size(); ++i) {
            EXPECT_LT(poses[i].frame, static_cast<std::size_t>(frames));
            if (i > 0) {
                EXPECT_GT(poses[i].frame, poses[i - 1].frame);
            }
        }
    }
    EXPECT_EQ(rghost::samplePoses({}).size(), 8u);
}

TEST(SampleRigCommands, DemoWritesRigPictureMeshesAndSummary)
{
    const hosttest::TemporaryDirectory out;
    const hosttest::TemporaryDirectory scratch;
    const hosttest::ProcessRun run = hosttest::runRghost({"demo", "--out", out.file("demo")}, scratch);
    ASSERT_EQ(run.exitStatus, 0) << run.err;

    const std::filesystem::path demo = out.path() / "demo";
    const std::string png = hosttest::readTextFile(demo / "contact-sheet.png");
    ASSERT_GT(png.size(), 1000u);
    EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    for (std::size_t frame = 0; frame < 48; ++frame) {
        char name[32];
        std::snprintf(name, sizeof name, "frame.%04zu.obj", frame);
        EXPECT_NE(hosttest::readTextFile(demo / "obj" / name).find("\nf "), std::string::npos) << name;
    }
    const auto summary = hosttest::json::parse(hosttest::readTextFile(demo / "summary.json"));
    EXPECT_EQ(summary["frames"], 48);
    EXPECT_EQ(summary["succeeded"], 48);
    EXPECT_EQ(rghost::frameCount(rghost::readRigFile((demo / "sample-eye-rig.json").string())), 48u);

    EXPECT_NE(run.out.find("contact-sheet.png"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("frame.0047.obj"), std::string::npos) << run.out;
    EXPECT_NE(run.err.find("48/48"), std::string::npos);
}

TEST(SampleRigCommands, SampleRigWritesTheRigTheOptionsAskFor)
{
    const hosttest::TemporaryDirectory out;
    const hosttest::TemporaryDirectory scratch;
    const std::string path = out.file("eyes.json");
    const hosttest::ProcessRun run = hosttest::runRghost(
        {"sample-rig", "-o", path, "--columns", "7", "--rows-center", "2", "--rows-between", "4", "--frames", "5"},
        scratch);
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const Rig written = rghost::readRigFile(path);
    EXPECT_EQ(written.frames.size(), 5u);
    EXPECT_EQ(indices(written, EyeSide::Left, eyeField::upperLidInnerIdxs).size(), 7u);
    EXPECT_EQ(indices(written, EyeSide::Right, eyeField::lowerLidCenterIdxs).size(), 14u);
    EXPECT_EQ(indices(written, EyeSide::Right, eyeField::upperLidBetweenIdxs).size(), 28u);

    EXPECT_EQ(hosttest::runRghost({"sample-rig", "-o", out.file("none.json"), "--columns", "0"}, scratch).exitStatus,
              2);
    EXPECT_FALSE(std::filesystem::exists(out.file("none.json")));
}

} // namespace
