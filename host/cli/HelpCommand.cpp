#include <iostream>
#include <memory>

#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "core/PluginHelp.h"

namespace rghost {

namespace {

struct HelpArguments {
    std::string nodeName = Rig().nodeName;
    std::string pluginPath;
};

} // namespace

void addHelpCommand(CLI::App& app, Command& command)
{
    auto arguments = std::make_shared<HelpArguments>();
    CLI::App* help = app.add_subcommand("help", "Call the plug-in's help command and print its reply");
    help->add_option("--node", arguments->nodeName, "Name of the node the command is about");
    addPluginOption(*help, arguments->pluginPath);
    help->callback([arguments, &command] {
        command = [arguments] {
            return printHelpReply(loadPlugin(arguments->pluginPath), arguments->nodeName, std::cout, std::cerr) ? 0 : 1;
        };
    });
}

} // namespace rghost
