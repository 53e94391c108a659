#include "cli/ParseErrors.h"

#include <optional>
#include <vector>

#include "core/ClosestName.h"

namespace rghost {

namespace {

std::string commandList(CLI::App& app, std::vector<std::string>& names)
{
    std::string list;
    for (const CLI::App* command : app.get_subcommands([](const CLI::App*) { return true; })) {
        names.push_back(command->get_name());
        list += (list.empty() ? "" : ", ") + command->get_name();
    }
    return list;
}

// The first argument of `command` that looks like an option it does not have.
std::optional<std::string> unknownOption(CLI::App& command)
{
    for (const std::string& argument : command.remaining()) {
        if (argument.size() > 1 && argument[0] == '-') {
            return argument.substr(0, argument.find('='));
        }
    }
    return std::nullopt;
}

std::vector<std::string> optionNames(CLI::App& command)
{
    std::vector<std::string> names;
    for (const CLI::Option* option : command.get_options()) {
        for (const std::string& name : option->get_lnames()) {
            names.push_back("--" + name);
        }
        for (const std::string& name : option->get_snames()) {
            names.push_back("-" + name);
        }
    }
    return names;
}

} // namespace

std::string explainParseError(CLI::App& app, const CLI::ParseError& error)
{
    const std::vector<CLI::App*> chosen = app.get_subcommands();
    CLI::App& command = chosen.empty() ? app : *chosen.back();
    const std::string invocation = chosen.empty() ? app.get_name() : app.get_name() + " " + command.get_name();
    const std::string prefix = app.get_name() + ": " + (chosen.empty() ? "" : command.get_name() + ": ");
    if (const std::optional<std::string> option = unknownOption(command)) {
        return prefix + "unknown option '" + *option + "'" + didYouMean(*option, optionNames(command)) + "; see " +
               invocation + " --help";
    }
    if (chosen.empty()) {
        std::vector<std::string> names;
        const std::string list = commandList(app, names);
        const std::vector<std::string> extras = app.remaining();
        if (!extras.empty()) {
            return prefix + "unknown command '" + extras.front() + "'" + didYouMean(extras.front(), names) +
                   "; the commands are " + list;
        }
        if (dynamic_cast<const CLI::RequiredError*>(&error) != nullptr) {
            return prefix + "a command is required: " + list + " (see " + invocation + " --help)";
        }
    }
    return prefix + error.what();
}

} // namespace rghost
