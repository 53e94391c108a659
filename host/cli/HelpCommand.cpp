#include <iostream>
#include <memory>

#include <mayastandin/StandIn.h>

#include "cli/CommandSupport.h"
#include "cli/Commands.h"

namespace rghost {

namespace {

struct HelpOptions {
    std::string nodeName = Rig().nodeName;
    std::string pluginPath;
};

int runHelp(const HelpOptions& options)
{
    const Plugin plugin = loadPlugin(options.pluginPath);
    const NodePointer node = plugin.createNode(options.nodeName);

    HelpCall call(*node, options.nodeName);
    mayastandin::ErrorCapture capture;
    const RgStatus status = plugin.help(call.command());
    for (const std::string& line : capture.lines()) {
        std::cerr << line << '\n';
    }
    if (status != RgStatus::Success) {
        if (capture.lines().empty()) {
            std::cerr << "rghost: help returned " << statusName(status) << '\n';
        }
        return 1;
    }
    const std::optional<std::string> output = call.output();
    if (!output) {
        std::cerr << "rghost: help gave no OUTPUT string\n";
        return 1;
    }
    std::cout << *output << '\n';
    return 0;
}

} // namespace

void addHelpCommand(CLI::App& app, Command& command)
{
    auto options = std::make_shared<HelpOptions>();
    CLI::App* help = app.add_subcommand("help", "Call the plug-in's help command and print its reply");
    help->add_option("--node", options->nodeName, "Name of the node the command is about");
    addPluginOption(*help, options->pluginPath);
    help->callback([options, &command] { command = [options] { return runHelp(*options); }; });
}

} // namespace rghost
