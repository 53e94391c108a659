#pragma once

#include <ostream>
#include <string>

#include "core/Plugin.h"

namespace rghost {

// Calls the plug-in's `help` about a new node of `plugin` named `nodeName`
// and prints its reply on `out`; the lines it displayed as errors, or why it
// gave no reply, go to `errors`. True when it replied.
bool printHelpReply(const Plugin& plugin, const std::string& nodeName, std::ostream& out, std::ostream& errors);

} // namespace rghost
