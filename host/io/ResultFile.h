#pragma once

#include <string>
#include <string_view>

#include "core/RigRunner.h"

namespace rghost {

// The `rg-result/1` document is written in pieces so that frames go out as
// they finish: the head, then the frame lines joined by resultFrameSeparator,
// then resultTail. The document has one frame per line, in the layout the rig
// writer uses for rig files, and every number in the shortest text that reads
// back as the same double. A coordinate JSON cannot hold (NaN, infinity) is
// written as null, so the file stays valid JSON and the fault visible.
std::string formatResultHead(const std::string& nodeName);
std::string formatResultFrame(const FrameResult& frame);
inline constexpr std::string_view resultFrameSeparator = ",\n";
inline constexpr std::string_view resultTail = "\n  ]\n}\n";

} // namespace rghost
