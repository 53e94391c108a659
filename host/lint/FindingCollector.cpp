#include "lint/FindingCollector.h"

#include <algorithm>
#include <utility>

#include "core/ShortNumber.h"

namespace rghost {

Observation errorObservation(FindingKind kind, std::string text)
{
    Observation observation;
    observation.kind = kind;
    observation.text = std::move(text);
    return observation;
}

void FindingCollector::observe(std::size_t frame, const Observation& observation)
{
    const auto [latest, inserted] =
        latest_.try_emplace({observation.severity, observation.above, observation.text}, spans_.size());
    if (!inserted && spans_[latest->second].finding.lastFrame + 1 == frame) {
        Span& span = spans_[latest->second];
        span.finding.lastFrame = frame;
        if (observation.value) {
            span.lowest = std::min(*span.lowest, *observation.value);
            span.highest = std::max(*span.highest, *observation.value);
        }
        return;
    }
    latest->second = spans_.size();
    spans_.push_back({RigFinding{observation.kind, observation.severity, false, frame, frame, observation.text},
                      observation.value, observation.value, observation.above});
}

void FindingCollector::observeFile(FindingKind kind, FindingSeverity severity, std::string message)
{
    fileFindings_.push_back(RigFinding{kind, severity, true, 0, 0, std::move(message)});
}

std::vector<RigFinding> FindingCollector::finish()
{
    std::vector<RigFinding> findings = std::move(fileFindings_);
    for (Span& span : spans_) {
        if (span.lowest) {
            span.finding.message += *span.lowest == *span.highest ? " (it is " + shortNumber(*span.lowest) + ")"
                                    : span.above                  ? " (up to " + shortNumber(*span.highest) + ")"
                                                                  : " (down to " + shortNumber(*span.lowest) + ")";
        }
        findings.push_back(std::move(span.finding));
    }
    std::stable_sort(findings.begin(), findings.end(), [](const RigFinding& a, const RigFinding& b) {
        return a.wholeFile != b.wholeFile ? a.wholeFile : a.firstFrame < b.firstFrame;
    });
    return findings;
}

} // namespace rghost
