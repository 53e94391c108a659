#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "lint/RigFinding.h"

namespace rghost {

// One problem seen in one frame. Observations with the same severity and text
// in consecutive frames become one finding; a value that varies from frame to
// frame is kept apart as `value`, and the finding reports its extreme: the
// largest when the value is too large (`above`), else the smallest.
struct Observation {
    FindingKind kind = FindingKind::NodeValidation;
    FindingSeverity severity = FindingSeverity::Error;
    std::string text;
    std::optional<double> value;
    bool above = false;
};

// An error observation of `kind` saying `text`.
Observation errorObservation(FindingKind kind, std::string text);

// Folds the observations of a rig's frames, given in frame order, into
// findings that each span a run of consecutive frames.
class FindingCollector {
public:
    void observe(std::size_t frame, const Observation& observation);

    // A finding about the file itself rather than its frames.
    void observeFile(FindingKind kind, FindingSeverity severity, std::string message);

    // The findings ordered by the first frame each spans, the file's own first.
    std::vector<RigFinding> finish();

private:
    struct Span {
        RigFinding finding;
        std::optional<double> lowest; // of the values seen, if the observation has one
        std::optional<double> highest;
        bool above;
    };
    std::vector<Span> spans_;
    std::vector<RigFinding> fileFindings_;
    std::map<std::tuple<FindingSeverity, bool, std::string>, std::size_t> latest_; // latest span of each observation
};

} // namespace rghost
