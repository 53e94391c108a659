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

template <typename Data, typename Value>
std::shared_ptr<RgData> makeValue(Value value)
{
    auto data = std::make_shared<Data>();
    data->value = value;
    return data;
}

int runHelp(const HelpOptions& options)
{
    const Plugin plugin = loadPlugin(options.pluginPath);
    const NodePointer node = plugin.createNode(options.nodeName);

    // The three attribute pointers stand for the host's attribute blocks; the
    // plug-in only checks that they are there, so these maps serve as such.
    AttributeMap getAttributes;
    AttributeMap runAttributes;
    AttributeMap deformAttributes;
    AttributeMap command;
    command["HELP"] = makeValue<RgBoolean>(true);
    command["NODE_NAME"] = makeValue<RgString>(options.nodeName);
    command["RG_NODE_PTR"] = makeValue<RgPtr>(static_cast<void*>(node.get()));
    command["GET_ATTRIBUTES_PTR"] = makeValue<RgPtr>(static_cast<void*>(&getAttributes));
    command["RUN_ATTRIBUTES_PTR"] = makeValue<RgPtr>(static_cast<void*>(&runAttributes));
    command["DEFORM_ATTRIBUTES_PTR"] = makeValue<RgPtr>(static_cast<void*>(&deformAttributes));

    mayastandin::ErrorCapture capture;
    const RgStatus status = plugin.help(command);
    for (const std::string& line : capture.lines()) {
        std::cerr << line << '\n';
    }
    if (status != RgStatus::Success) {
        if (capture.lines().empty()) {
            std::cerr << "rghost: help returned " << statusName(status) << '\n';
        }
        return 1;
    }
    const auto output = command.find("OUTPUT");
    const auto text = output == command.end() ? nullptr : std::dynamic_pointer_cast<RgString>(output->second);
    if (text == nullptr) {
        std::cerr << "rghost: help gave no OUTPUT string\n";
        return 1;
    }
    std::cout << text->value << '\n';
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
