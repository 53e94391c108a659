#include "lint/RigFinding.h"

namespace rghost {

std::string formatFinding(const RigFinding& finding, std::int64_t firstFrameNumber)
{
    std::string text;
    if (!finding.wholeFile) {
        const std::int64_t first = firstFrameNumber + static_cast<std::int64_t>(finding.firstFrame);
        const std::int64_t last = firstFrameNumber + static_cast<std::int64_t>(finding.lastFrame);
        text = first == last ? "frame " + std::to_string(first) + ": "
                             : "frames " + std::to_string(first) + "-" + std::to_string(last) + ": ";
    }
    return text + (finding.severity == FindingSeverity::Error ? "error: " : "warning: ") + finding.message;
}

} // namespace rghost
