#include <iostream>
#include <memory>
#include <set>
#include <stdexcept>

#include "bake/Bake.h"
#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/PictureOptions.h"
#include "io/AtomicFile.h"
#include "picture/OverlayMarks.h"
#include "picture/RigScene.h"

namespace rghost {

namespace {

struct SheetOptions {
    std::string rigPath;
    std::string frames;
    std::size_t panels = 12;
    PictureOptions picture;
    std::string pluginPath;
};

// At most `wanted` frames spread evenly over `first`..`last`, both ends included.
std::set<std::size_t> spreadFrames(std::size_t first, std::size_t last, std::size_t wanted)
{
    const std::size_t count = last - first + 1;
    if (count <= wanted) {
        std::set<std::size_t> all;
        for (std::size_t frame = first; frame <= last; ++frame) {
            all.insert(frame);
        }
        return all;
    }
    std::set<std::size_t> chosen;
    for (std::size_t k = 0; k < wanted; ++k) {
        chosen.insert(first + (wanted == 1 ? 0 : (k * (count - 1) + (wanted - 1) / 2) / (wanted - 1)));
    }
    return chosen;
}

int runSheet(const SheetOptions& options)
{
    const Rig rig = loadRig(options.rigPath);
    BakeOptions bake;
    if (!options.frames.empty()) {
        bake.frames = parseFrameOption(options.frames);
    }
    const FramePlan plan = planFrames(rig, bake.frames, std::nullopt);
    const std::set<std::size_t> shown = spreadFrames(plan.firstRecorded, plan.last, options.panels);
    const Plugin plugin = loadPlugin(options.pluginPath);

    std::vector<SheetPanel> panels;
    bool allSucceeded = true;
    bake.onFrame = [&](const FrameResult& result) {
        const auto index = static_cast<std::size_t>(result.frame - rig.startFrame);
        allSucceeded = allSucceeded && result.status == RgStatus::Success;
        if (shown.count(index) != 0) {
            const std::string failed =
                result.status == RgStatus::Success ? "" : "  (" + std::string(statusName(result.status)) + ")";
            panels.push_back(overlaidRigPanel(rig, frameAttributes(rig, index), result, options.picture.overlay,
                                              "frame " + std::to_string(result.frame) + failed));
        }
    };
    bakeRig(plugin, rig, bake, BakeOutputs{});
    writeFileAtomically(
        options.picture.outputPath,
        renderContactSheetPng(panels, pictureLayout(options.picture, rig, frameAttributes(rig, plan.firstRecorded))));
    return allSucceeded ? 0 : 1;
}

} // namespace

void addSheetCommand(CLI::App& app, Command& command)
{
    auto options = std::make_shared<SheetOptions>();
    CLI::App* sheet = app.add_subcommand(
        "sheet", "Play a rig and draw a contact sheet of its frames (exit 1 when a frame failed; its panel says so)");
    sheet->add_option("rig", options->rigPath, "Rig file (rg-rig/1)")->required();
    sheet->add_option("--frames", options->frames, "Draw only frames FIRST:LAST or one frame, as scene frame numbers");
    sheet->add_option("--panels", options->panels, "At most this many frames, spread evenly over the range")
        ->check(CLI::Range(1, 256))
        ->capture_default_str();
    addPictureOptions(*sheet, options->picture);
    addPluginOption(*sheet, options->pluginPath);
    sheet->callback([options, &command] { command = [options] { return runSheet(*options); }; });
}

} // namespace rghost
