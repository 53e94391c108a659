#pragma once

#include <set>
#include <string>
#include <vector>

#include <Imath/ImathVec.h>

namespace rghost {

// What a mark of the overlay shows, so that a viewer can switch each kind on
// and off on its own.
enum class OverlayCategory {
    Columns,     // each column's rows, inner to outer and into the socket; column numbers
    Surface,     // the inner and outer rows' surface parameters, as points on the eyeball
    Curves,      // the minor curves: the lid margin's shape a control of 0 gives
    CloseLine,   // the closing line through the inner rows' surface parameters
    MoveVectors, // each column's margin moved from the closing line to fully open
    Corners,     // the corners, their smoothing neighbours and the rows they carry
    SoftRegion,  // soft-region groups: pivot to aim, and the members that follow
    Failure,     // what a failing frame's error line points at
};

inline constexpr OverlayCategory kOverlayCategories[] = {
    OverlayCategory::Columns,     OverlayCategory::Surface, OverlayCategory::Curves,     OverlayCategory::CloseLine,
    OverlayCategory::MoveVectors, OverlayCategory::Corners, OverlayCategory::SoftRegion, OverlayCategory::Failure,
};

using OverlayCategories = std::set<OverlayCategory>;

// The name on the command line and in Python: "columns", "surface", "curves",
// "close-line", "move-vectors", "corners", "soft-region", "failure".
const char* overlayCategoryName(OverlayCategory category);

// What a legend says the category's marks are.
const char* overlayCategoryMeaning(OverlayCategory category);

// The colour every viewer draws the category in (r, g, b in 0..1), picked to
// stand out from skin, eyeball and each other.
Imath::V3d overlayCategoryColor(OverlayCategory category);

// "all", or names separated by commas ("columns,corners"). Throws
// std::invalid_argument naming an unknown name and the closest known one.
OverlayCategories parseOverlayCategories(const std::string& text);

} // namespace rghost
