#include <filesystem>
#include <tuple>

#include <gtest/gtest.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MGlobal.h>

#include "HostTestSupport.h"
#include "core/RigRunner.h"
#include "io/RigFileReader.h"

namespace {

using hosttest::json;
using hosttest::typedValue;

// Moves every point by +1 in x, shows one line naming its call and the node,
// and fails when the map lacks "NEEDED": enough to see what the runner hands over.
class CountingNode : public RgNode {
public:
    void declareAttributes(std::vector<AttributeDescriptor>&) override {}

    RgStatus deform(AttributeMap& attributes, RgDeformData& data) override
    {
        ++calls;
        const std::string name = MFnDependencyNode(mayaObject).name().asChar();
        MGlobal::displayError((name + " call " + std::to_string(calls)).c_str());
        for (Imath::V3d& point : data.points) {
            point.x += 1.0;
        }
        return attributes.count("NEEDED") != 0 ? RgStatus::Success : RgStatus::Failure;
    }

    int calls = 0;
};

rghost::Rig fourFrameRig()
{
    json document = hosttest::threePointRig();
    document["attributes"]["NEEDED"] = typedValue("RgBoolean", true);
    document["frames"] = {json::object(), {{"attributes", {{"NEEDED", nullptr}}}}, json::object(), json::object()};
    return rghost::parseRig(document.dump());
}

TEST(RigRunner, PlaysEveryFrameOnOneNodeFromTheRestPoints)
{
    const rghost::Rig rig = fourFrameRig();
    CountingNode node;
    const std::vector<rghost::FrameResult> results = rghost::runRig(node, rig);

    EXPECT_EQ(node.calls, 4);
    ASSERT_EQ(results.size(), 4u);
    for (std::size_t frame = 0; frame < results.size(); ++frame) {
        EXPECT_EQ(results[frame].frame, static_cast<std::int64_t>(frame));
        EXPECT_EQ(results[frame].errors, std::vector<std::string>{"testRig1 call " + std::to_string(frame + 1)});
        EXPECT_EQ(results[frame].points[1], Imath::V3d(2, 2, 3)) << "frame " << frame;
    }
    EXPECT_EQ(results[0].status, RgStatus::Success);
    EXPECT_EQ(results[1].status, RgStatus::Failure);
    EXPECT_EQ(results[2].status, RgStatus::Success);
}

TEST(RigRunner, PlaysThePlannedFramesAndNumbersThemFromTheStartFrame)
{
    rghost::Rig rig = fourFrameRig();
    rig.startFrame = 1001;
    CountingNode node;
    std::vector<std::tuple<std::int64_t, bool, RgStatus>> received;
    rghost::playRig(node, rig, {1, 2, 3}, [&received](rghost::FrameResult& result, bool recorded) {
        received.emplace_back(result.frame, recorded, result.status);
    });
    EXPECT_EQ(received,
              (std::vector<std::tuple<std::int64_t, bool, RgStatus>>{
                  {1002, false, RgStatus::Failure}, {1003, true, RgStatus::Success}, {1004, true, RgStatus::Success}}));

    const rghost::FramePlan misfits[] = {{0, 0, 4}, {2, 1, 3}, {0, 3, 2}};
    for (const rghost::FramePlan& plan : misfits) {
        EXPECT_THROW(rghost::playRig(node, rig, plan, [](rghost::FrameResult&, bool) {}), std::out_of_range)
            << plan.firstPlayed << " " << plan.firstRecorded << " " << plan.last;
    }
    EXPECT_EQ(node.calls, 3);
}

TEST(Plugin, NamesThePathAndTheLoadersReason)
{
    const auto messageOf = [](const std::string& path) {
        try {
            rghost::Plugin plugin(path);
        } catch (const rghost::PluginError& error) {
            return std::string(error.what());
        }
        return std::string("(loaded)");
    };
    const std::string missing = messageOf("/nonexistent/plugin.so");
    EXPECT_EQ(missing.rfind("cannot load plug-in /nonexistent/plugin.so: no such file; build it with ", 0), 0u)
        << missing;
    EXPECT_NE(missing.find("--target lidShaper_2018"), std::string::npos) << missing;
    const std::string noEntryPoint = messageOf(OPENMAYA_LIBRARY_PATH);
    EXPECT_EQ(noEntryPoint.rfind(std::string("plug-in ") + OPENMAYA_LIBRARY_PATH + " has no entry point 'create': ", 0),
              0u)
        << noEntryPoint;
}

TEST(Plugin, LooksBesideTheProgramByDefault)
{
    // Tests live in build/bin like rghost, so the default is the plug-in built next to them.
    EXPECT_EQ(std::filesystem::weakly_canonical(rghost::defaultPluginPath()),
              std::filesystem::weakly_canonical(LIDSHAPER_PLUGIN_PATH));
}

} // namespace
