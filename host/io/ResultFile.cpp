#include "io/ResultFile.h"

#include <cmath>

#include <nlohmann/json.hpp>

#include "io/AtomicFile.h"
#include "io/JsonLayout.h"

namespace rghost {

namespace {

using nlohmann::ordered_json;

// JSON has no NaN or infinity, which a degenerate rig can produce: such a
// coordinate is written as null so the file stays valid JSON and the fault visible.
ordered_json coordinate(double value)
{
    return std::isfinite(value) ? ordered_json(value) : ordered_json(nullptr);
}

ordered_json frameJson(const FrameResult& frame)
{
    ordered_json points = ordered_json::array();
    for (const Imath::V3d& point : frame.points) {
        points.push_back(ordered_json::array({coordinate(point.x), coordinate(point.y), coordinate(point.z)}));
    }
    return {{"frame", frame.frame},
            {"status", static_cast<std::int32_t>(frame.status)},
            {"statusName", statusName(frame.status)},
            {"errors", frame.errors},
            {"points", std::move(points)}};
}

} // namespace

std::string formatResult(const std::string& nodeName, const std::vector<FrameResult>& frames)
{
    ordered_json frameList = ordered_json::array();
    for (const FrameResult& frame : frames) {
        frameList.push_back(frameJson(frame));
    }
    const ordered_json document = {{"format", "rg-result/1"}, {"node", nodeName}, {"frames", std::move(frameList)}};
    // Error lines are the node's bytes; a line that is not UTF-8 still gets written.
    return layOutJson(document, 2, ordered_json::error_handler_t::replace);
}

void writeResultFile(const std::string& path, const std::string& nodeName, const std::vector<FrameResult>& frames)
{
    writeFileAtomically(path, formatResult(nodeName, frames));
}

} // namespace rghost
