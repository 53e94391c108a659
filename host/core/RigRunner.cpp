#include "core/RigRunner.h"

#include <stdexcept>

#include <mayastandin/StandIn.h>

namespace rghost {

std::string describeFrameRangeProblem(const FrameRange& range, std::size_t frameCount)
{
    if (range.first > range.last) {
        return "frame range " + std::to_string(range.first) + ":" + std::to_string(range.last) + " ends before it starts";
    }
    if (range.last >= frameCount) {
        return "frame range " + std::to_string(range.first) + ":" + std::to_string(range.last) + " goes past the last frame "
            + std::to_string(frameCount - 1);
    }
    return {};
}

std::vector<FrameResult> runRig(RgNode& node, const Rig& rig, const RunOptions& options)
{
    const std::size_t count = frameCount(rig);
    const FrameRange range = options.range.value_or(FrameRange{0, count - 1});
    const std::string problem = describeFrameRangeProblem(range, count);
    if (!problem.empty()) {
        throw std::out_of_range(problem);
    }

    node.mayaObject = mayastandin::makeDependencyNode(rig.nodeName);
    std::vector<FrameResult> results;
    for (std::size_t frame = 0; frame <= range.last; ++frame) {
        AttributeMap attributes = frameAttributes(rig, frame);
        RgDeformData deformData = rig.geometry;
        FrameResult result;
        result.frame = frame;
        {
            mayastandin::ErrorCapture capture;
            result.status = node.deform(attributes, deformData);
            result.errors = capture.lines();
        }
        if (frame >= range.first) {
            result.points = std::move(deformData.points);
            results.push_back(std::move(result));
        }
        if (options.onFrameEvaluated) {
            options.onFrameEvaluated(frame, count);
        }
    }
    return results;
}

std::vector<FrameResult> runRig(const Plugin& plugin, const Rig& rig, const RunOptions& options)
{
    NodePointer node = plugin.createNode();
    return runRig(*node, rig, options);
}

} // namespace rghost
