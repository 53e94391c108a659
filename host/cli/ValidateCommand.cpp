#include <iostream>
#include <memory>

#include <mayastandin/StandIn.h>

#include "cli/CommandSupport.h"
#include "cli/Commands.h"

namespace rghost {

namespace {

struct ValidateOptions {
    std::string rigPath;
    std::string pluginPath;
};

int runValidate(const ValidateOptions& options)
{
    const Rig rig = loadRig(options.rigPath);
    const Plugin plugin = loadPlugin(options.pluginPath);
    const NodePointer node = plugin.createNode(rig.nodeName);

    mayastandin::ErrorCapture capture;
    const RgStatus status = node->validateAttributes(rig.attributes);
    for (const std::string& line : capture.lines()) {
        std::cout << line << '\n';
    }
    if (status == RgStatus::Success) {
        std::cout << "ok\n";
        return 0;
    }
    if (capture.lines().empty()) {
        std::cout << "validateAttributes returned " << statusName(status) << '\n';
    }
    return 1;
}

} // namespace

void addValidateCommand(CLI::App& app, Command& command)
{
    auto options = std::make_shared<ValidateOptions>();
    CLI::App* validate = app.add_subcommand("validate", "Ask the node to validate the rig's base attributes");
    validate->add_option("rig", options->rigPath, "Rig file (rg-rig/1)")->required();
    addPluginOption(*validate, options->pluginPath);
    validate->callback([options, &command] { command = [options] { return runValidate(*options); }; });
}

} // namespace rghost
