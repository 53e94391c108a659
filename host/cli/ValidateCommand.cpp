#include <iostream>
#include <memory>

#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "lint/RigCheck.h"

namespace rghost {

namespace {

struct ValidateOptions {
    std::string rigPath;
    std::string pluginPath;
    bool strict = false;
};

int runValidate(const ValidateOptions& options)
{
    const Rig rig = loadRig(options.rigPath);
    const Plugin plugin = loadPlugin(options.pluginPath);
    const NodePointer node = plugin.createNode();

    std::vector<RigFinding> findings = validateRig(*node, rig);
    if (findings.empty()) {
        std::cout << "ok\n";
    }
    bool failed = false;
    for (RigFinding& finding : findings) {
        if (options.strict) {
            finding.severity = FindingSeverity::Error;
        }
        failed = failed || finding.severity == FindingSeverity::Error;
        std::cout << formatFinding(finding, rig.startFrame) << '\n';
    }
    return failed ? 1 : 0;
}

} // namespace

void addValidateCommand(CLI::App& app, Command& command)
{
    auto options = std::make_shared<ValidateOptions>();
    CLI::App* validate = app.add_subcommand(
        "validate", "Check every frame of a rig as it will be evaluated: the node's own validation, unknown keys, "
                    "point indices, controls outside their useful range. Exit 0 clean (warnings allowed), 1 on errors, "
                    "2 on an unreadable rig");
    validate->add_option("rig", options->rigPath, "Rig file (rg-rig/1)")->required();
    validate->add_flag("--strict", options->strict, "Count warnings as errors");
    addPluginOption(*validate, options->pluginPath);
    validate->callback([options, &command] { command = [options] { return runValidate(*options); }; });
}

} // namespace rghost
