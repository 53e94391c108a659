#include <memory>

#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "picture/Inspection.h"

namespace rghost {

namespace {

struct InspectArguments {
    std::string rigPath;
    InspectionOptions inspection;
    std::string pluginPath;
};

} // namespace

void addInspectCommand(CLI::App& app, Command& command)
{
    auto arguments = std::make_shared<InspectArguments>();
    CLI::App* inspect = app.add_subcommand(
        "inspect", "Draw one frame close up on each eye with every overlay mark and a legend: the rows, corners, "
                   "curves and soft-region links the node uses, and what a failing frame's error points at "
                   "(exit 1 when the frame failed)");
    inspect->add_option("rig", arguments->rigPath, "Rig file (rg-rig/1)")->required();
    inspect->add_option("--frame", arguments->inspection.frame, "Scene frame to draw")->required();
    inspect
        ->add_option("-o,--output", arguments->inspection.outputPath, "PNG file to write; - writes to standard output")
        ->required();
    inspect->add_option("--width", arguments->inspection.panelWidth, "Width of each eye's panel in pixels")
        ->check(CLI::Range(16, 4096))
        ->capture_default_str();
    addPluginOption(*inspect, arguments->pluginPath);
    inspect->callback([arguments, &command] {
        command = [arguments] {
            const Rig rig = loadRig(arguments->rigPath);
            return drawInspection(loadPlugin(arguments->pluginPath), rig, arguments->inspection) ? 0 : 1;
        };
    });
}

} // namespace rghost
