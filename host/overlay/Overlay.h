#pragma once

#include <string>
#include <vector>

#include <Imath/ImathVec.h>

#include "overlay/OverlayCategory.h"

namespace rghost {

// What a viewer draws over a rig to show what the node works with, in world
// space (the rig's points taken through its geometry matrix; eyeballs as
// their surfaces place them).

// A polyline through `points`, in order.
struct OverlayLine {
    OverlayCategory category;
    std::vector<Imath::V3d> points;
};

struct OverlayPoint {
    OverlayCategory category;
    Imath::V3d position;
    bool emphasized = false; // a corner, a pivot, a failing column: drawn larger
};

struct OverlayLabel {
    OverlayCategory category;
    Imath::V3d position;
    std::string text;
};

struct Overlay {
    std::vector<OverlayLine> lines;
    std::vector<OverlayPoint> points;
    std::vector<OverlayLabel> labels;
};

// Only the marks of `categories`.
Overlay overlayOf(const Overlay& overlay, const OverlayCategories& categories);

} // namespace rghost
