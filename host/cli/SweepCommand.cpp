#include <memory>

#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/PictureArguments.h"
#include "picture/ControlSweep.h"

namespace rghost {

namespace {

struct SweepArguments {
    std::string rigPath;
    std::string frame;
    ControlSweepOptions sweep;
    std::string pluginPath;
};

} // namespace

void addSweepCommand(CLI::App& app, Command& command)
{
    auto arguments = std::make_shared<SweepArguments>();
    ControlSweepOptions& options = arguments->sweep;
    CLI::App* sweep = app.add_subcommand(
        "sweep",
        "Draw a strip of one control swept across a range of values, each step on the rig as it is at one frame");
    sweep->add_option("rig", arguments->rigPath, "Rig file (rg-rig/1)")->required();
    sweep
        ->add_option(
            "--attr", options.keys,
            "Key to sweep (repeat to move several together); an eyeball surface turns by the value in degrees, "
            "positive looking up")
        ->required();
    sweep->add_option("--from", options.from, "First value")->required();
    sweep->add_option("--to", options.to, "Last value")->required();
    sweep->add_option("--steps", options.steps, "Number of values, evenly spaced")
        ->check(CLI::Range(1, 64))
        ->capture_default_str();
    sweep->add_option("--frame", arguments->frame,
                      "Scene frame whose attributes the other controls keep (default: the first)");
    addPictureOptions(*sweep, options.picture);
    addPluginOption(*sweep, arguments->pluginPath);
    sweep->callback([arguments, &command] {
        command = [arguments] {
            ControlSweepOptions options = arguments->sweep;
            if (!arguments->frame.empty()) {
                options.sceneFrame = parseFrameOption(arguments->frame).first;
            }
            Rig rig = loadRig(arguments->rigPath);
            return drawControlSweep(loadPlugin(arguments->pluginPath), std::move(rig), options) ? 0 : 1;
        };
    });
}

} // namespace rghost
