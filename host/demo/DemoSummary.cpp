#include "demo/DemoSummary.h"

#include <algorithm>
#include <numeric>

#include <nlohmann/json.hpp>

namespace rghost {

std::string formatDemoSummary(const std::vector<FrameResult>& results, const std::vector<double>& frameMilliseconds,
                              const DemoOutputs& outputs)
{
    nlohmann::ordered_json statuses = nlohmann::ordered_json::object();
    nlohmann::ordered_json errors = nlohmann::ordered_json::array();
    std::size_t succeeded = 0;
    for (const FrameResult& result : results) {
        const std::string name = statusName(result.status);
        statuses[name] = statuses.value(name, 0) + 1;
        succeeded += result.status == RgStatus::Success ? 1 : 0;
        for (const std::string& line : result.errors) {
            errors.push_back({{"frame", result.frame}, {"line", line}});
        }
    }
    const double total = std::accumulate(frameMilliseconds.begin(), frameMilliseconds.end(), 0.0);
    const double slowest =
        frameMilliseconds.empty() ? 0.0 : *std::max_element(frameMilliseconds.begin(), frameMilliseconds.end());
    const double mean = frameMilliseconds.empty() ? 0.0 : total / frameMilliseconds.size();

    const nlohmann::ordered_json summary = {
        {"frames", results.size()},
        {"succeeded", succeeded},
        {"statuses", statuses},
        {"errors", errors},
        {"timing",
         {{"totalMilliseconds", total}, {"meanFrameMilliseconds", mean}, {"slowestFrameMilliseconds", slowest}}},
        {"files", {{"rig", outputs.rigFile}, {"contactSheet", outputs.contactSheet}, {"obj", outputs.objFiles}}},
    };
    return summary.dump(2) + "\n";
}

} // namespace rghost
