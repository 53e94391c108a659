#include <iostream>
#include <memory>

#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "lint/RigCheckReport.h"

namespace rghost {

namespace {

struct ValidateArguments {
    std::string rigPath;
    std::string pluginPath;
    bool strict = false;
};

} // namespace

void addValidateCommand(CLI::App& app, Command& command)
{
    auto arguments = std::make_shared<ValidateArguments>();
    CLI::App* validate = app.add_subcommand(
        "validate", "Check every frame of a rig as it will be evaluated: the node's own validation, unknown keys, "
                    "point indices, controls outside their useful range. Exit 0 clean (warnings allowed), 1 on errors, "
                    "2 on an unreadable rig");
    validate->add_option("rig", arguments->rigPath, "Rig file (rg-rig/1)")->required();
    validate->add_flag("--strict", arguments->strict, "Count warnings as errors");
    addPluginOption(*validate, arguments->pluginPath);
    validate->callback([arguments, &command] {
        command = [arguments] {
            const Rig rig = loadRig(arguments->rigPath);
            return reportRigCheck(loadPlugin(arguments->pluginPath), rig, arguments->strict, std::cout) ? 0 : 1;
        };
    });
}

} // namespace rghost
