#include "cli/PictureArguments.h"

#include <stdexcept>

#include "picture/RigScene.h"

using namespace rigContract;

namespace rghost {

void addPictureOptions(CLI::App& command, PictureOptions& options)
{
    command.add_option("-o,--output", options.outputPath, "PNG file to write; - writes to standard output")->required();
    command.add_option("--view", options.layout.view, "Camera: front, three-quarter or side")
        ->transform(CLI::CheckedTransformer(sheetViewNames()))
        ->default_str("front");
    command.add_option("--columns", options.layout.columnsPerRow, "Panels per row")
        ->check(CLI::Range(1, 64))
        ->capture_default_str();
    command.add_option("--width", options.layout.panelWidth, "Width of each panel in pixels")
        ->check(CLI::Range(16, 4096))
        ->capture_default_str();
    command
        .add_option("--close-up", options.closeUp, "Frame one eye (the rig's L_eye or R_eye) instead of the whole rig")
        ->check(CLI::IsMember({"left", "right"}));
    command
        .add_option_function<std::string>(
            "--overlay", [&options](const std::string& text) { options.overlay = parseOverlayCategories(text); },
            "Draw what the node works with over each panel: all, or some of columns, surface, curves, close-line, "
            "move-vectors, corners, soft-region, failure (separated by commas)")
        ->type_name("CATEGORIES")
        ->check(CLI::Validator(
            [](std::string& text) {
                try {
                    parseOverlayCategories(text);
                    return std::string();
                } catch (const std::invalid_argument& error) {
                    return std::string(error.what());
                }
            },
            "CATEGORIES"));
    command.add_flag("--no-captions", options.withoutCaptions, "Leave out the line under each panel");
}

} // namespace rghost
