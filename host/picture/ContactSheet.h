#pragma once

#include <string>
#include <vector>

#include <Imath/ImathVec.h>

namespace rghost {

// A flat polygon of a picture, in world space, with its unlit colour (r, g, b in 0..1).
struct Facet {
    std::vector<Imath::V3d> corners;
    Imath::V3d color;
    bool outlined = true; // drawn with a darker edge, so the mesh shows
};

// One picture of the sheet and the line written under it.
struct SheetPanel {
    std::string caption;
    std::vector<Facet> facets;
};

// Where the camera looks at the rig from: the front (looking down -z, y up), or
// turned about the vertical axis towards +x by 40 degrees or a quarter turn.
enum class SheetView { Front, ThreeQuarter, Side };

struct SheetLayout {
    int columnsPerRow = 4;
    SheetView view = SheetView::Front;
    int panelWidth = 440; // pixels
    bool captions = true;
    std::vector<Facet> framed = {}; // what each panel frames; empty: the first panel's facets
};

// The panels side by side, at most `layout.columnsPerRow` to a row, as PNG file
// contents. Each panel is an orthographic view framing the same facets (see
// SheetLayout::framed), flat shaded and drawn far to near.
std::string renderContactSheetPng(const std::vector<SheetPanel>& panels, const SheetLayout& layout = {});

} // namespace rghost
