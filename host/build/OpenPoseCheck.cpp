#include "build/OpenPoseCheck.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "core/AttributeValue.h"
#include "core/RigRunner.h"
#include "rg/RgData.h"

using namespace rigContract;

namespace rghost::build {

namespace {

std::set<std::int32_t> eyeVertices(const AttributeMap& attributes, EyeSide side)
{
    std::set<std::int32_t> vertices;
    std::vector<std::size_t> lists = {eyeField::cornersIdxs};
    for (Lid lid : kLids) {
        const LidFields fields = lidFields(lid);
        lists.insert(lists.end(), {fields.innerIdxs, fields.outerIdxs, fields.centerIdxs, fields.betweenIdxs});
    }
    for (std::size_t list : lists) {
        if (const auto values = valueAs<RgInt>(attributes, eyeFieldKey(side, list))) {
            vertices.insert(values->values.begin(), values->values.end());
        }
    }
    return vertices;
}

} // namespace

void measureOpenPose(const Plugin& plugin, BuiltRig& built)
{
    Rig open = built.rig;
    open.frames.clear();
    const std::vector<FrameResult> results = runRig(plugin, open);
    const FrameResult& result = results.front();
    if (result.status != RgStatus::Success) {
        throw BuildError("the node refuses the built rig: " +
                         (result.errors.empty() ? std::string("no message") : result.errors.front()));
    }
    for (EyeReport& eye : built.eyes) {
        const std::set<std::int32_t> vertices = eyeVertices(built.rig.attributes, eye.side);
        double largest = 0.0;
        double squares = 0.0;
        for (std::int32_t v : vertices) {
            const double moved = (result.points[v] - built.rig.geometry.points[v]).length();
            largest = std::max(largest, moved);
            squares += moved * moved;
        }
        eye.neutralLargest = largest / eye.openingWidth;
        eye.neutralRms =
            std::sqrt(squares / static_cast<double>(std::max<std::size_t>(vertices.size(), 1))) / eye.openingWidth;
    }
}

} // namespace rghost::build
