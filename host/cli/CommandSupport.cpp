#include "cli/CommandSupport.h"

#include <charconv>
#include <stdexcept>

#include "io/RigFileReader.h"

namespace rghost {

namespace {

bool parseFrameNumber(std::string_view text, std::size_t& number)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

} // namespace

void addPluginOption(CLI::App& subcommand, std::string& pluginPath)
{
    subcommand.add_option("--plugin", pluginPath, "Plug-in library to load (default: ../lib/lidShaper_2018.so beside this program)");
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

FrameRange parseFrameRange(std::string_view text)
{
    const std::size_t colon = text.find(':');
    FrameRange range;
    if (colon == std::string_view::npos || !parseFrameNumber(text.substr(0, colon), range.first)
        || !parseFrameNumber(text.substr(colon + 1), range.last)) {
        throw std::invalid_argument("--frames: expected A:B (first and last frame, 0-based), got '" + std::string(text) + "'");
    }
    return range;
}

} // namespace rghost
