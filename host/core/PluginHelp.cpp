#include "core/PluginHelp.h"

#include <mayastandin/StandIn.h>

namespace rghost {

bool printHelpReply(const Plugin& plugin, const std::string& nodeName, std::ostream& out, std::ostream& errors)
{
    const NodePointer node = plugin.createNode(nodeName);
    HelpCall call(*node, nodeName);
    mayastandin::ErrorCapture capture;
    const RgStatus status = plugin.help(call.command());
    for (const std::string& line : capture.lines()) {
        errors << line << '\n';
    }
    if (status != RgStatus::Success) {
        if (capture.lines().empty()) {
            errors << "rghost: help returned " << statusName(status) << '\n';
        }
        return false;
    }
    const std::optional<std::string> output = call.output();
    if (!output) {
        errors << "rghost: help gave no OUTPUT string\n";
        return false;
    }
    out << *output << '\n';
    return true;
}

} // namespace rghost
