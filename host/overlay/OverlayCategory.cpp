#include "overlay/OverlayCategory.h"

#include <sstream>
#include <stdexcept>

#include "core/ClosestName.h"

namespace rghost {

const char* overlayCategoryName(OverlayCategory category)
{
    switch (category) {
    case OverlayCategory::Columns: return "columns";
    case OverlayCategory::Surface: return "surface";
    case OverlayCategory::Curves: return "curves";
    case OverlayCategory::CloseLine: return "close-line";
    case OverlayCategory::MoveVectors: return "move-vectors";
    case OverlayCategory::Corners: return "corners";
    case OverlayCategory::SoftRegion: return "soft-region";
    case OverlayCategory::Failure: return "failure";
    }
    return "";
}

const char* overlayCategoryMeaning(OverlayCategory category)
{
    switch (category) {
    case OverlayCategory::Columns: return "columns: inner row to between rows to outer row, and into the socket";
    case OverlayCategory::Surface: return "surface: inner and outer rows' surface parameters on the eyeball";
    case OverlayCategory::Curves: return "curves: minor curves, the margin a lid control of 0 gives";
    case OverlayCategory::CloseLine: return "close-line: the closing line, where the lids meet";
    case OverlayCategory::MoveVectors: return "move-vectors: each margin from the closing line to fully open";
    case OverlayCategory::Corners: return "corners: corner pairs, their neighbours and carried rows";
    case OverlayCategory::SoftRegion: return "soft-region: pivot to aim, and the members that follow";
    case OverlayCategory::Failure: return "failure: the column or entry the error line names";
    }
    return "";
}

Imath::V3d overlayCategoryColor(OverlayCategory category)
{
    switch (category) {
    case OverlayCategory::Columns: return {0.20, 0.85, 0.95};
    case OverlayCategory::Surface: return {1.00, 0.85, 0.10};
    case OverlayCategory::Curves: return {0.75, 0.45, 1.00};
    case OverlayCategory::CloseLine: return {0.15, 0.95, 0.35};
    case OverlayCategory::MoveVectors: return {1.00, 0.55, 0.10};
    case OverlayCategory::Corners: return {1.00, 0.25, 0.75};
    case OverlayCategory::SoftRegion: return {0.35, 0.55, 1.00};
    case OverlayCategory::Failure: return {1.00, 0.10, 0.10};
    }
    return {1.0, 1.0, 1.0};
}

OverlayCategories parseOverlayCategories(const std::string& text)
{
    std::vector<std::string> names;
    for (const OverlayCategory category : kOverlayCategories) {
        names.emplace_back(overlayCategoryName(category));
    }
    if (text == "all") {
        return OverlayCategories(std::begin(kOverlayCategories), std::end(kOverlayCategories));
    }
    OverlayCategories chosen;
    std::istringstream list(text);
    std::string name;
    while (std::getline(list, name, ',')) {
        bool known = false;
        for (const OverlayCategory category : kOverlayCategories) {
            if (name == overlayCategoryName(category)) {
                chosen.insert(category);
                known = true;
            }
        }
        if (!known) {
            names.emplace_back("all");
            throw std::invalid_argument("unknown overlay category '" + name + "'" + didYouMean(name, names) +
                                        " (known: columns, surface, curves, close-line, move-vectors, corners, "
                                        "soft-region, failure, all)");
        }
    }
    if (chosen.empty()) {
        throw std::invalid_argument("no overlay category named (give names separated by commas, or all)");
    }
    return chosen;
}

} // namespace rghost
