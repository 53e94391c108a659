#include <memory>

#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "io/AtomicFile.h"
#include "picture/Inspection.h"

namespace rghost {

namespace {

struct InspectOptions {
    std::string rigPath;
    std::int64_t frame = 0;
    std::string outputPath;
    int panelWidth = 520;
    std::string pluginPath;
};

} // namespace

void addInspectCommand(CLI::App& app, Command& command)
{
    auto options = std::make_shared<InspectOptions>();
    CLI::App* inspect = app.add_subcommand(
        "inspect", "Draw one frame close up on each eye with every overlay mark and a legend: the rows, corners, "
                   "curves and soft-region links the node uses, and what a failing frame's error points at "
                   "(exit 1 when the frame failed)");
    inspect->add_option("rig", options->rigPath, "Rig file (rg-rig/1)")->required();
    inspect->add_option("--frame", options->frame, "Scene frame to draw")->required();
    inspect->add_option("-o,--output", options->outputPath, "PNG file to write; - writes to standard output")
        ->required();
    inspect->add_option("--width", options->panelWidth, "Width of each eye's panel in pixels")
        ->check(CLI::Range(16, 4096))
        ->capture_default_str();
    addPluginOption(*inspect, options->pluginPath);
    inspect->callback([options, &command] {
        command = [options] {
            const Inspection inspection = inspectFrame(loadPlugin(options->pluginPath), loadRig(options->rigPath),
                                                       options->frame, options->panelWidth);
            writeFileAtomically(options->outputPath, inspection.png);
            return inspection.status == RgStatus::Success ? 0 : 1;
        };
    });
}

} // namespace rghost
