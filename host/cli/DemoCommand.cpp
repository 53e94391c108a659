#include <memory>

#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "demo/DemoRun.h"

namespace rghost {

namespace {

struct DemoArguments {
    std::string outDirectory = "demo-output";
    std::string pluginPath;
};

} // namespace

void addDemoCommand(CLI::App& app, Command& command)
{
    auto arguments = std::make_shared<DemoArguments>();
    CLI::App* demo = app.add_subcommand("demo", "Build the sample eye rig, play its animation on one node, and write "
                                                "OBJ meshes, a contact sheet and a summary");
    demo->add_option("--out", arguments->outDirectory, "Directory to write into (created if missing)")
        ->capture_default_str();
    addPluginOption(*demo, arguments->pluginPath);
    demo->callback([arguments, &command] {
        command = [arguments] { return runDemo(loadPlugin(arguments->pluginPath), arguments->outDirectory) ? 0 : 1; };
    });
}

} // namespace rghost
