#include "cli/CommandSupport.h"

#include <stdexcept>

#include "io/RigFileReader.h"

namespace rghost {

void addPluginOption(CLI::App& subcommand, std::string& pluginPath)
{
    subcommand.add_option("--plugin", pluginPath,
                          "Plug-in library to load (default: ../lib/lidShaper_2018.so beside this program)");
}

Plugin loadPlugin(const std::string& pluginPath)
{
    return Plugin(pluginPath.empty() ? defaultPluginPath() : pluginPath);
}

Rig loadRig(const std::string& path)
{
    try {
        return readRigFile(path);
    } catch (const RigFileError& error) {
        throw std::runtime_error(path + ": " + error.what());
    }
}

SceneFrames parseFrameOption(const std::string& text)
{
    try {
        return parseSceneFrames(text);
    } catch (const std::invalid_argument& error) {
        throw std::invalid_argument(std::string("--frames: ") + error.what());
    }
}

} // namespace rghost
