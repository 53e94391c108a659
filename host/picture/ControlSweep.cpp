#include "picture/ControlSweep.h"

#include <algorithm>
#include <stdexcept>

#include "bake/FrameSelection.h"
#include "core/ClosestName.h"
#include "core/ControlReference.h"
#include "core/ShortNumber.h"
#include "io/AtomicFile.h"
#include "picture/OverlayMarks.h"
#include "picture/RigScene.h"
#include "picture/SweptValue.h"

namespace rghost {

namespace {

// What a caption calls the control: its field name for an eye's attribute.
std::string controlName(const std::string& key)
{
    const ControlReference* reference = findControl(key);
    return reference ? std::string(reference->name) : key;
}

} // namespace

bool drawControlSweep(const Plugin& plugin, Rig rig, const ControlSweepOptions& options)
{
    std::size_t baseFrame = 0;
    if (options.sceneFrame) {
        const std::int64_t frame = *options.sceneFrame;
        baseFrame = planFrames(rig, SceneFrames{frame, frame}, 0).firstRecorded;
    }
    rig.attributes = frameAttributes(rig, baseFrame);
    rig.frames.clear();
    std::vector<std::string> known;
    for (const auto& [key, value] : rig.attributes) {
        known.push_back(key);
    }
    for (const std::string& key : options.keys) {
        if (rig.attributes.count(key) == 0) {
            throw std::invalid_argument("--attr " + key + ": the rig has no such key" + didYouMean(key, known));
        }
    }

    std::vector<std::string> captions;
    for (int step = 0; step < options.steps; ++step) {
        const double value =
            options.steps == 1 ? options.from : options.from + (options.to - options.from) * step / (options.steps - 1);
        RigFrame frame;
        for (const std::string& key : options.keys) {
            frame.overrides[key] = sweptValue(rig, rig.attributes, key, value);
        }
        rig.frames.push_back(std::move(frame));
        const bool turned =
            std::dynamic_pointer_cast<RgNurbsSurface>(rig.attributes.at(options.keys.front())) != nullptr;
        captions.push_back(controlName(options.keys.front()) +
                           (turned ? " turned " + shortNumber(value) + " degrees" : " " + shortNumber(value)));
    }

    const std::vector<FrameResult> results = runRig(plugin, rig);
    std::vector<SheetPanel> panels;
    std::vector<SheetNote> failures;
    bool allSucceeded = true;
    for (std::size_t step = 0; step < results.size(); ++step) {
        allSucceeded = allSucceeded && results[step].status == RgStatus::Success;
        panels.push_back(
            overlaidRigPanel(rig, frameAttributes(rig, step), results[step], options.picture.overlay, captions[step]));
        for (SheetNote& note : failureNotes(captions[step], results[step], options.picture.overlay)) {
            failures.push_back(std::move(note));
        }
    }
    SheetLayout layout = pictureLayout(options.picture, rig, rig.attributes);
    layout.notes.insert(layout.notes.begin(), failures.begin(), failures.end());
    layout.columnsPerRow = std::max(layout.columnsPerRow, options.steps);
    writeFileAtomically(options.picture.outputPath, renderContactSheetPng(panels, layout));
    return allSucceeded;
}

} // namespace rghost
