#pragma once

#include <string>

#include <CLI/CLI.hpp>

namespace rghost {

// A command-line parse error in plain words: an unknown command or option
// names the one most likely meant, a missing command lists them all.
std::string explainParseError(CLI::App& app, const CLI::ParseError& error);

} // namespace rghost
