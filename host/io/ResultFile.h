#pragma once

#include <string>
#include <vector>

#include "core/RigRunner.h"

namespace rghost {

// The `rg-result/1` document of a run of the node `nodeName`.
std::string formatResult(const std::string& nodeName, const std::vector<FrameResult>& frames);

// formatResult written atomically to `path` (see writeFileAtomically).
void writeResultFile(const std::string& path, const std::string& nodeName, const std::vector<FrameResult>& frames);

} // namespace rghost
