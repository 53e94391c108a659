#include "core/RigRunner.h"

#include <chrono>
#include <stdexcept>

#include <mayastandin/StandIn.h>

#include "core/FinitePoints.h"

namespace rghost {

FramePlan wholeRig(const Rig& rig)
{
    return {0, 0, frameCount(rig) - 1};
}

namespace {

// Points no file can hold (an overflow in the node) make the frame a failed
// one: its rest points, as a frame the node refuses keeps them, and a line
// naming the first such vertex.
void failIfNotFinite(FrameResult& result, const std::vector<Imath::V3d>& restPoints)
{
    const std::size_t vertex = firstNonFinitePoint(result.points);
    if (vertex == result.points.size()) {
        return;
    }
    result.errors.push_back("deform left " + describeNonFinitePoint(result.points, vertex) +
                            "; the frame counts as failed and keeps its rest points");
    result.status = RgStatus::Failure;
    result.points = restPoints;
}

} // namespace

void playRig(RgNode& node, const Rig& rig, const FramePlan& plan, const FrameReceiver& receive)
{
    if (plan.firstPlayed > plan.firstRecorded || plan.firstRecorded > plan.last || plan.last >= frameCount(rig)) {
        throw std::out_of_range("frames " + std::to_string(plan.firstPlayed) + ", " +
                                std::to_string(plan.firstRecorded) + ".." + std::to_string(plan.last) +
                                " do not fit a rig of " + std::to_string(frameCount(rig)) + " frames");
    }
    using Clock = std::chrono::steady_clock;
    node.mayaObject = mayastandin::makeDependencyNode(rig.nodeName);
    for (std::size_t index = plan.firstPlayed; index <= plan.last; ++index) {
        AttributeMap attributes = frameAttributes(rig, index);
        RgDeformData deformData = rig.geometry;
        FrameResult result;
        result.frame = sceneFrame(rig, index);
        {
            mayastandin::ErrorCapture capture;
            const Clock::time_point start = Clock::now();
            result.status = node.deform(attributes, deformData);
            result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
            result.errors = capture.lines();
        }
        result.points = std::move(deformData.points);
        failIfNotFinite(result, rig.geometry.points);
        receive(result, index >= plan.firstRecorded);
    }
}

std::vector<FrameResult> runRig(RgNode& node, const Rig& rig)
{
    std::vector<FrameResult> results;
    playRig(node, rig, wholeRig(rig), [&results](FrameResult& result, bool) { results.push_back(std::move(result)); });
    return results;
}

std::vector<FrameResult> runRig(const Plugin& plugin, const Rig& rig)
{
    NodePointer node = plugin.createNode();
    return runRig(*node, rig);
}

} // namespace rghost
