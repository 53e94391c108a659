#include "picture/Inspection.h"

#include <stdexcept>

#include "core/RigRunner.h"
#include "io/AtomicFile.h"
#include "overlay/RigOverlay.h"
#include "picture/OverlayMarks.h"
#include "picture/RigScene.h"

using namespace rigContract;

namespace rghost {

Inspection inspectFrame(const Plugin& plugin, const Rig& rig, std::int64_t frameNumber, int panelWidth)
{
    const std::int64_t index = frameNumber - rig.startFrame;
    if (index < 0 || static_cast<std::size_t>(index) >= frameCount(rig)) {
        throw std::invalid_argument("--frame " + std::to_string(frameNumber) + ": the rig's frames are " +
                                    std::to_string(rig.startFrame) + " to " +
                                    std::to_string(sceneFrame(rig, frameCount(rig) - 1)));
    }
    const auto frame = static_cast<std::size_t>(index);
    FrameResult inspected;
    const NodePointer node = plugin.createNode(rig.nodeName);
    playRig(*node, rig, FramePlan{0, frame, frame}, [&inspected](FrameResult& result, bool recorded) {
        if (recorded) {
            inspected = std::move(result);
        }
    });

    const AttributeMap attributes = frameAttributes(rig, frame);
    const OverlayCategories every(std::begin(kOverlayCategories), std::end(kOverlayCategories));
    const Overlay overlay = rigOverlay(attributes, inspected.points, rig.geometry.geometryMatrix, inspected.errors);
    std::vector<SheetPanel> panels;
    for (const EyeSide side : kEyeSides) {
        std::vector<Facet> framed = eyeCloseUp(rig, attributes, side);
        if (framed.empty()) {
            continue;
        }
        SheetPanel panel = rigPanel(rig, attributes, inspected.points,
                                    std::string(eyeSideName(side)) + ", frame " + std::to_string(frameNumber));
        addOverlayMarks(panel, overlay, every);
        panel.framed = std::move(framed);
        panels.push_back(std::move(panel));
    }
    if (panels.empty()) {
        throw std::invalid_argument("frame " + std::to_string(frameNumber) + " has no eyeball to look at");
    }

    SheetLayout layout;
    layout.columnsPerRow = 2;
    layout.panelWidth = panelWidth;
    const std::string frameCaption = "frame " + std::to_string(frameNumber);
    layout.notes.push_back({std::nullopt, frameCaption + ": " + statusName(inspected.status)});
    for (SheetNote& note : failureNotes(frameCaption, inspected, every)) {
        layout.notes.push_back(std::move(note));
    }
    for (SheetNote& note : overlayLegend(every)) {
        layout.notes.push_back(std::move(note));
    }
    return {renderContactSheetPng(panels, layout), inspected.status};
}

bool drawInspection(const Plugin& plugin, const Rig& rig, const InspectionOptions& options)
{
    const Inspection inspection = inspectFrame(plugin, rig, options.frame, options.panelWidth);
    writeFileAtomically(options.outputPath, inspection.png);
    return inspection.status == RgStatus::Success;
}

} // namespace rghost
