#pragma once

#include <functional>

#include <CLI/CLI.hpp>

namespace rghost {

// The work of the subcommand chosen on the command line; its result is the
// process exit status.
using Command = std::function<int()>;

// Each subcommand adds itself to `app` and, when chosen, stores its work in
// `command`, which main runs once parsing is done. A new subcommand is one more
// such function and one more call in main.
void addDeformCommand(CLI::App& app, Command& command);
void addMergeCommand(CLI::App& app, Command& command);
void addValidateCommand(CLI::App& app, Command& command);
void addSchemaCommand(CLI::App& app, Command& command);
void addHelpCommand(CLI::App& app, Command& command);
void addSampleRigCommand(CLI::App& app, Command& command);
void addDemoCommand(CLI::App& app, Command& command);
void addSheetCommand(CLI::App& app, Command& command);
void addSweepCommand(CLI::App& app, Command& command);
void addInspectCommand(CLI::App& app, Command& command);

} // namespace rghost
