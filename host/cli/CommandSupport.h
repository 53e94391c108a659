#pragma once

#include <string>

#include <CLI/CLI.hpp>

#include "bake/FrameSelection.h"
#include "core/Plugin.h"
#include "core/Rig.h"

namespace rghost {

// Helpers the subcommands share. Problems are thrown as exceptions whose
// message main prints after "rghost: " before exiting with status 2.

// Adds `--plugin PATH` to a subcommand; an empty path means defaultPluginPath().
void addPluginOption(CLI::App& subcommand, std::string& pluginPath);

Plugin loadPlugin(const std::string& pluginPath);

// readRigFile, with the file named in the message of a bad rig file.
Rig loadRig(const std::string& path);

// parseSceneFrames for a --frames option, its message prefixed with "--frames: ".
SceneFrames parseFrameOption(const std::string& text);

} // namespace rghost
