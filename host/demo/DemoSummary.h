#pragma once

#include <string>
#include <vector>

#include "core/RigRunner.h"

namespace rghost {

// The files a demo run wrote, as paths to show the user.
struct DemoOutputs {
    std::string rigFile;
    std::string contactSheet;
    std::vector<std::string> objFiles;
};

// The demo's summary as a JSON document: how many frames ran and with which
// statuses, every error line with its frame, how long the frames took
// (`frameMilliseconds`, one per frame), and the files written.
std::string formatDemoSummary(const std::vector<FrameResult>& results, const std::vector<double>& frameMilliseconds,
                              const DemoOutputs& outputs);

} // namespace rghost
