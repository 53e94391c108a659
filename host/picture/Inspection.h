#pragma once

#include <cstdint>
#include <string>

#include "core/Plugin.h"
#include "core/Rig.h"
#include "rg/RgStatus.h"

namespace rghost {

// One frame of a rig seen close up on each eye with every overlay category,
// a legend, and the node's error lines when the frame failed.
struct Inspection {
    std::string png;                     // the picture, PNG file contents
    RgStatus status = RgStatus::Success; // what deform returned for the frame
};

// Plays the rig on one new node of `plugin` from its first frame up to scene
// frame `frameNumber` (so the node's cache is where a host's would be) and
// draws that frame, each eye's panel `panelWidth` pixels wide. Throws
// std::invalid_argument when the rig has no such frame.
Inspection inspectFrame(const Plugin& plugin, const Rig& rig, std::int64_t frameNumber, int panelWidth = 520);

struct InspectionOptions {
    std::int64_t frame = 0; // scene frame number
    std::string outputPath; // "-" is standard output
    int panelWidth = 520;
};

// inspectFrame written to `options.outputPath`; true when the frame succeeded.
bool drawInspection(const Plugin& plugin, const Rig& rig, const InspectionOptions& options);

} // namespace rghost
