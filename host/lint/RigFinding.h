#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace rghost {

// Problems a rig file has before any frame is deformed, each reported once for
// the run of frames it spans instead of once per frame.

enum class FindingSeverity {
    Warning, // the rig runs, but likely not as meant
    Error,   // frames fail, or part of the file is silently ignored
};

enum class FindingKind {
    NodeValidation, // a line of the node's own validation
    UnknownName,    // a key or top-level field nothing reads
    HostSetting,    // a host setting missing or of the wrong class
    PointIndex,     // an index list naming a point the rig does not have
    Range,          // a control outside its useful range
    CachedInput,    // a value the node's cache keeps from the first frame, changed later
};

struct RigFinding {
    FindingKind kind = FindingKind::NodeValidation;
    FindingSeverity severity = FindingSeverity::Error;
    bool wholeFile = false;     // true: about the file itself, not its frames
    std::size_t firstFrame = 0; // frame indices the finding spans, both included
    std::size_t lastFrame = 0;
    std::string message;
};

// "frames 0-59: error: <message>", "frame 12: warning: ...", or "error: ..."
// for the file itself; frame numbers count from `firstFrameNumber`.
std::string formatFinding(const RigFinding& finding, std::int64_t firstFrameNumber = 0);

} // namespace rghost
