#include "picture/ContactSheet.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <stdexcept>

#include <cairo.h>

namespace rghost {

namespace {

using Imath::V3d;

constexpr int kCaptionHeight = 26;
constexpr int kNoteHeight = 20;
constexpr int kGap = 8;
constexpr double kFraming = 1.06; // room around the framed facets

const V3d kLight = V3d(-0.35, 0.45, 1.0).normalized();

// The part of world space a panel shows, and how it maps onto the panel.
struct View {
    double minX = 0.0;
    double maxY = 0.0;
    double scale = 1.0;  // pixels per unit
    int imageHeight = 0; // pixels above the caption
};

View frameFacets(const std::vector<Facet>& facets, int panelWidth)
{
    double minX = std::numeric_limits<double>::max();
    double maxX = std::numeric_limits<double>::lowest();
    double minY = minX;
    double maxY = maxX;
    for (const Facet& facet : facets) {
        for (const V3d& p : facet.corners) {
            minX = std::min(minX, p.x);
            maxX = std::max(maxX, p.x);
            minY = std::min(minY, p.y);
            maxY = std::max(maxY, p.y);
        }
    }
    if (minX > maxX) {
        minX = minY = -1.0;
        maxX = maxY = 1.0;
    }
    const double midX = 0.5 * (minX + maxX);
    const double midY = 0.5 * (minY + maxY);
    const double halfWidth = std::max(0.5 * (maxX - minX), 1e-6) * kFraming;
    const double halfHeight = std::max(0.5 * (maxY - minY), 1e-6) * kFraming;
    View view;
    view.scale = panelWidth / (2.0 * halfWidth);
    view.minX = midX - halfWidth;
    view.maxY = midY + halfHeight;
    view.imageHeight = static_cast<int>(std::ceil(2.0 * halfHeight * view.scale));
    return view;
}

double turnDegrees(SheetView view)
{
    switch (view) {
    case SheetView::Front: return 0.0;
    case SheetView::ThreeQuarter: return 40.0;
    case SheetView::Side: return 90.0;
    }
    return 0.0;
}

// A point as the camera sees it: turned so that it looks down -z.
V3d turnedPoint(const V3d& p, double degrees)
{
    const double angle = degrees * 3.14159265358979323846 / 180.0;
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    return V3d(p.x * c - p.z * s, p.y, p.x * s + p.z * c);
}

std::vector<Facet> turnedFacets(const std::vector<Facet>& facets, double degrees)
{
    std::vector<Facet> turned = facets;
    for (Facet& facet : turned) {
        for (V3d& p : facet.corners) {
            p = turnedPoint(p, degrees);
        }
    }
    return turned;
}

// Newell's normal, turned towards the viewer: the meshes are open and seen
// from the front only, so a facet is lit as its visible side.
V3d facingNormal(const std::vector<V3d>& corners)
{
    V3d normal(0.0);
    for (std::size_t i = 0; i < corners.size(); ++i) {
        const V3d& a = corners[i];
        const V3d& b = corners[(i + 1) % corners.size()];
        normal += V3d((a.y - b.y) * (a.z + b.z), (a.z - b.z) * (a.x + b.x), (a.x - b.x) * (a.y + b.y));
    }
    normal.normalize();
    return normal.z < 0.0 ? -normal : normal;
}

double meanDepth(const Facet& facet)
{
    double sum = 0.0;
    for (const V3d& p : facet.corners) {
        sum += p.z;
    }
    return facet.corners.empty() ? 0.0 : sum / facet.corners.size();
}

void drawPanel(cairo_t* cr, const std::vector<Facet>& facets, const View& view)
{
    std::vector<const Facet*> order;
    for (const Facet& facet : facets) {
        if (facet.corners.size() >= 3) {
            order.push_back(&facet);
        }
    }
    std::stable_sort(order.begin(), order.end(),
                     [](const Facet* a, const Facet* b) { return meanDepth(*a) < meanDepth(*b); });

    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_width(cr, 0.7);
    for (const Facet* facet : order) {
        const double light = 0.3 + 0.7 * std::max(0.0, facingNormal(facet->corners).dot(kLight));
        const V3d color = facet->color * light;
        cairo_new_path(cr);
        for (const V3d& p : facet->corners) {
            cairo_line_to(cr, (p.x - view.minX) * view.scale, (view.maxY - p.y) * view.scale);
        }
        cairo_close_path(cr);
        cairo_set_source_rgb(cr, color.x, color.y, color.z);
        cairo_fill_preserve(cr);
        // The stroke closes the seams between neighbouring facets.
        const double edge = facet->outlined ? 0.88 : 1.0;
        cairo_set_source_rgb(cr, color.x * edge, color.y * edge, color.z * edge);
        cairo_stroke(cr);
    }
}

// The marks over the facets: lines, then dots, then text with a dark
// shadow so that it reads on skin and eyeball alike.
void drawMarks(cairo_t* cr, const SheetPanel& panel, const View& view, double degrees)
{
    const auto place = [&](const V3d& world) {
        const V3d p = turnedPoint(world, degrees);
        return std::pair<double, double>((p.x - view.minX) * view.scale, (view.maxY - p.y) * view.scale);
    };
    cairo_set_line_width(cr, 1.6);
    for (const PanelLine& line : panel.lines) {
        cairo_new_path(cr);
        for (const V3d& p : line.points) {
            const auto [x, y] = place(p);
            cairo_line_to(cr, x, y);
        }
        cairo_set_source_rgb(cr, line.color.x, line.color.y, line.color.z);
        cairo_stroke(cr);
    }
    for (const PanelDot& dot : panel.dots) {
        const auto [x, y] = place(dot.position);
        cairo_new_path(cr);
        cairo_arc(cr, x, y, dot.large ? 4.5 : 2.5, 0.0, 2.0 * 3.14159265358979323846);
        cairo_set_source_rgb(cr, dot.color.x, dot.color.y, dot.color.z);
        cairo_fill(cr);
    }
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, 12.0);
    for (const PanelLabel& label : panel.labels) {
        const auto [x, y] = place(label.position);
        cairo_set_source_rgb(cr, 0.0, 0.0, 0.0);
        cairo_move_to(cr, x + 1.0, y + 1.0);
        cairo_show_text(cr, label.text.c_str());
        cairo_set_source_rgb(cr, label.color.x, label.color.y, label.color.z);
        cairo_move_to(cr, x, y);
        cairo_show_text(cr, label.text.c_str());
    }
}

void drawNote(cairo_t* cr, const SheetNote& note, int top)
{
    double left = kGap;
    if (note.swatch) {
        cairo_rectangle(cr, left, top + 4.0, 24.0, kNoteHeight - 8.0);
        cairo_set_source_rgb(cr, note.swatch->x, note.swatch->y, note.swatch->z);
        cairo_fill(cr);
        left += 32.0;
    }
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 13.0);
    cairo_set_source_rgb(cr, 0.85, 0.86, 0.88);
    cairo_move_to(cr, left, top + kNoteHeight - 6.0);
    cairo_show_text(cr, note.text.c_str());
}

void drawCaption(cairo_t* cr, const std::string& caption, int top)
{
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 14.0);
    cairo_set_source_rgb(cr, 0.85, 0.86, 0.88);
    cairo_move_to(cr, 8.0, top + kCaptionHeight - 8.0);
    cairo_show_text(cr, caption.c_str());
}

cairo_status_t appendToString(void* closure, const unsigned char* data, unsigned int length)
{
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

} // namespace

std::string renderContactSheetPng(const std::vector<SheetPanel>& panels, const SheetLayout& layout)
{
    if (panels.empty() || layout.columnsPerRow < 1 || layout.panelWidth < 1) {
        throw std::invalid_argument("a contact sheet needs at least one panel, one column and one pixel");
    }
    const double degrees = turnDegrees(layout.view);
    const View shared = frameFacets(
        turnedFacets(layout.framed.empty() ? panels.front().facets : layout.framed, degrees), layout.panelWidth);
    std::vector<View> views;
    int imageHeight = 0;
    for (const SheetPanel& panel : panels) {
        views.push_back(panel.framed.empty() ? shared
                                             : frameFacets(turnedFacets(panel.framed, degrees), layout.panelWidth));
        imageHeight = std::max(imageHeight, views.back().imageHeight);
    }
    const int captionHeight = layout.captions ? kCaptionHeight : 0;
    const int columns = std::min<int>(layout.columnsPerRow, static_cast<int>(panels.size()));
    const int rows = (static_cast<int>(panels.size()) + columns - 1) / columns;
    const int panelHeight = imageHeight + captionHeight;
    const int width = kGap + columns * (layout.panelWidth + kGap);
    const int gridHeight = kGap + rows * (panelHeight + kGap);
    const int notesHeight = static_cast<int>(layout.notes.size()) * kNoteHeight + (layout.notes.empty() ? 0 : kGap);
    const int height = gridHeight + notesHeight;

    const std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface(
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height), cairo_surface_destroy);
    const std::unique_ptr<cairo_t, decltype(&cairo_destroy)> context(cairo_create(surface.get()), cairo_destroy);
    cairo_t* cr = context.get();
    cairo_set_source_rgb(cr, 0.11, 0.12, 0.14);
    cairo_paint(cr);

    for (std::size_t i = 0; i < panels.size(); ++i) {
        const int left = kGap + static_cast<int>(i % columns) * (layout.panelWidth + kGap);
        const int top = kGap + static_cast<int>(i / columns) * (panelHeight + kGap);
        cairo_save(cr);
        cairo_translate(cr, left, top);
        cairo_rectangle(cr, 0, 0, layout.panelWidth, panelHeight);
        cairo_clip(cr);
        cairo_set_source_rgb(cr, 0.2, 0.21, 0.24);
        cairo_paint(cr);
        drawPanel(cr, turnedFacets(panels[i].facets, degrees), views[i]);
        drawMarks(cr, panels[i], views[i], degrees);
        if (layout.captions) {
            drawCaption(cr, panels[i].caption, imageHeight);
        }
        cairo_restore(cr);
    }
    for (std::size_t i = 0; i < layout.notes.size(); ++i) {
        drawNote(cr, layout.notes[i], gridHeight + static_cast<int>(i) * kNoteHeight);
    }

    std::string png;
    cairo_surface_flush(surface.get());
    const cairo_status_t status = cairo_surface_write_to_png_stream(surface.get(), appendToString, &png);
    if (status != CAIRO_STATUS_SUCCESS) {
        throw std::runtime_error(std::string("cannot encode the contact sheet: ") + cairo_status_to_string(status));
    }
    return png;
}

} // namespace rghost

// Captions go through cairo's fontconfig backend, which keeps its patterns for
// the life of the process behind encoded offsets that LeakSanitizer cannot
// follow; without this, sanitized runs of every program that draws a sheet
// would report them as leaks. Unsanitized builds never call it.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}
