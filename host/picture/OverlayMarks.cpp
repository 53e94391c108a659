#include "picture/OverlayMarks.h"

#include "overlay/RigOverlay.h"
#include "picture/RigScene.h"

namespace rghost {

void addOverlayMarks(SheetPanel& panel, const Overlay& overlay, const OverlayCategories& categories)
{
    const Overlay shown = overlayOf(overlay, categories);
    for (const OverlayLine& line : shown.lines) {
        panel.lines.push_back({line.points, overlayCategoryColor(line.category)});
    }
    for (const OverlayPoint& point : shown.points) {
        panel.dots.push_back({point.position, overlayCategoryColor(point.category), point.emphasized});
    }
    for (const OverlayLabel& label : shown.labels) {
        panel.labels.push_back({label.position, label.text, overlayCategoryColor(label.category)});
    }
}

std::vector<SheetNote> overlayLegend(const OverlayCategories& categories)
{
    std::vector<SheetNote> legend;
    for (const OverlayCategory category : categories) {
        legend.push_back({overlayCategoryColor(category), overlayCategoryMeaning(category)});
    }
    return legend;
}

std::vector<SheetNote> failureNotes(const std::string& caption, const FrameResult& result,
                                    const OverlayCategories& categories)
{
    std::vector<SheetNote> notes;
    if (result.status != RgStatus::Success && categories.count(OverlayCategory::Failure) != 0) {
        for (const std::string& line : result.errors) {
            notes.push_back({overlayCategoryColor(OverlayCategory::Failure), caption + ": " + line});
        }
    }
    return notes;
}

SheetPanel overlaidRigPanel(const Rig& rig, const AttributeMap& attributes, const FrameResult& result,
                            const OverlayCategories& categories, std::string caption)
{
    SheetPanel panel = rigPanel(rig, attributes, result.points, std::move(caption));
    if (!categories.empty()) {
        addOverlayMarks(panel, rigOverlay(attributes, result.points, rig.geometry.geometryMatrix, result.errors),
                        categories);
    }
    return panel;
}

} // namespace rghost
