#include <memory>

#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/PictureArguments.h"
#include "picture/FrameSheet.h"

namespace rghost {

namespace {

struct SheetArguments {
    std::string rigPath;
    std::string frames;
    FrameSheetOptions sheet;
    std::string pluginPath;
};

} // namespace

void addSheetCommand(CLI::App& app, Command& command)
{
    auto arguments = std::make_shared<SheetArguments>();
    CLI::App* sheet = app.add_subcommand(
        "sheet", "Play a rig and draw a contact sheet of its frames (exit 1 when a frame failed; its panel says so)");
    sheet->add_option("rig", arguments->rigPath, "Rig file (rg-rig/1)")->required();
    sheet->add_option("--frames", arguments->frames,
                      "Draw only frames FIRST:LAST or one frame, as scene frame numbers");
    sheet->add_option("--panels", arguments->sheet.panels, "At most this many frames, spread evenly over the range")
        ->check(CLI::Range(1, 256))
        ->capture_default_str();
    addPictureOptions(*sheet, arguments->sheet.picture);
    addPluginOption(*sheet, arguments->pluginPath);
    sheet->callback([arguments, &command] {
        command = [arguments] {
            FrameSheetOptions options = arguments->sheet;
            if (!arguments->frames.empty()) {
                options.frames = parseFrameOption(arguments->frames);
            }
            const Rig rig = loadRig(arguments->rigPath);
            return drawFrameSheet(loadPlugin(arguments->pluginPath), rig, options) ? 0 : 1;
        };
    });
}

} // namespace rghost
