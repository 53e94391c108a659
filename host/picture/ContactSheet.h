#pragma once

#include <optional>
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

// Marks drawn over a panel's facets, never hidden by them: polylines, dots
// and text, in world space with their colours.
struct PanelLine {
    std::vector<Imath::V3d> points;
    Imath::V3d color;
};
struct PanelDot {
    Imath::V3d position;
    Imath::V3d color;
    bool large = false;
};
struct PanelLabel {
    Imath::V3d position;
    std::string text;
    Imath::V3d color;
};

// One picture of the sheet and the line written under it.
struct SheetPanel {
    std::string caption;
    std::vector<Facet> facets;
    std::vector<PanelLine> lines = {};
    std::vector<PanelDot> dots = {};
    std::vector<PanelLabel> labels = {};
    std::vector<Facet> framed = {}; // what this panel frames; empty: what the layout frames
};

// A line under the panels: a colour swatch (none when absent) and its text.
struct SheetNote {
    std::optional<Imath::V3d> swatch;
    std::string text;
};

// Where the camera looks at the rig from: the front (looking down -z, y up), or
// turned about the vertical axis towards +x by 40 degrees or a quarter turn.
enum class SheetView { Front, ThreeQuarter, Side };

struct SheetLayout {
    int columnsPerRow = 4;
    SheetView view = SheetView::Front;
    int panelWidth = 440; // pixels
    bool captions = true;
    std::vector<Facet> framed = {};    // what each panel frames; empty: the first panel's facets
    std::vector<SheetNote> notes = {}; // under the panels: a legend, error lines
};

// The panels side by side, at most `layout.columnsPerRow` to a row, as PNG file
// contents. Each panel is an orthographic view framing the same facets (see
// SheetLayout::framed, or the panel's own), flat shaded and drawn far to
// near, with the panel's marks on top.
std::string renderContactSheetPng(const std::vector<SheetPanel>& panels, const SheetLayout& layout = {});

} // namespace rghost
