#include "picture/FrameSheet.h"

#include "bake/Bake.h"
#include "io/AtomicFile.h"
#include "picture/OverlayMarks.h"

namespace rghost {

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

bool drawFrameSheet(const Plugin& plugin, const Rig& rig, const FrameSheetOptions& options)
{
    BakeOptions bake;
    bake.frames = options.frames;
    const FramePlan plan = planFrames(rig, bake.frames, std::nullopt);
    const std::set<std::size_t> shown = spreadFrames(plan.firstRecorded, plan.last, options.panels);

    std::vector<SheetPanel> panels;
    std::vector<SheetNote> failures;
    bool allSucceeded = true;
    bake.onFrame = [&](const FrameResult& result) {
        const auto index = static_cast<std::size_t>(result.frame - rig.startFrame);
        allSucceeded = allSucceeded && result.status == RgStatus::Success;
        if (shown.count(index) != 0) {
            const std::string failed =
                result.status == RgStatus::Success ? "" : "  (" + std::string(statusName(result.status)) + ")";
            const std::string caption = "frame " + std::to_string(result.frame);
            panels.push_back(
                overlaidRigPanel(rig, frameAttributes(rig, index), result, options.picture.overlay, caption + failed));
            for (SheetNote& note : failureNotes(caption, result, options.picture.overlay)) {
                failures.push_back(std::move(note));
            }
        }
    };
    bakeRig(plugin, rig, bake, BakeOutputs{});
    SheetLayout layout = pictureLayout(options.picture, rig, frameAttributes(rig, plan.firstRecorded));
    layout.notes.insert(layout.notes.begin(), failures.begin(), failures.end());
    writeFileAtomically(options.picture.outputPath, renderContactSheetPng(panels, layout));
    return allSucceeded;
}

} // namespace rghost
