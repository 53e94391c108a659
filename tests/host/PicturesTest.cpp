// Pictures and the demo's summary: the contact sheet's drawing order and
// layout, the frames a sheet shows, the control strips of docs/controls.md,
// the summary's counts and times.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <set>

#include <cairo.h>
#include <gtest/gtest.h>

#include "GeneratedHead.h"
#include "HostTestSupport.h"
#include "build/RigBuilder.h"
#include "core/ControlReference.h"
#include "demo/DemoSummary.h"
#include "lidShaper/rigContract.h"
#include "overlay/OverlayCategory.h"
#include "overlay/RigOverlay.h"
#include "picture/ContactSheet.h"
#include "picture/FrameSheet.h"
#include "picture/Inspection.h"
#include "sample/SampleRig.h"

namespace {

using Imath::V3d;

struct Pixel {
    int red;
    int green;
    int blue;
};

struct DecodedPng {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels; // cairo's xRGB words

    Pixel at(int x, int y) const
    {
        const std::uint32_t word = pixels.at(static_cast<std::size_t>(y) * width + x);
        return {static_cast<int>((word >> 16) & 0xff), static_cast<int>((word >> 8) & 0xff),
                static_cast<int>(word & 0xff)};
    }
};

DecodedPng decodePng(const std::string& png)
{
    struct Reader {
        const std::string& bytes;
        std::size_t position = 0;
    } reader{png};
    cairo_surface_t* surface = cairo_image_surface_create_from_png_stream(
        [](void* closure, unsigned char* data, unsigned int length) {
            auto& r = *static_cast<Reader*>(closure);
            if (r.position + length > r.bytes.size()) {
                return CAIRO_STATUS_READ_ERROR;
            }
            std::copy_n(r.bytes.data() + r.position, length, data);
            r.position += length;
            return CAIRO_STATUS_SUCCESS;
        },
        &reader);
    DecodedPng decoded;
    if (cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS) {
        decoded.width = cairo_image_surface_get_width(surface);
        decoded.height = cairo_image_surface_get_height(surface);
        const int stride = cairo_image_surface_get_stride(surface);
        const unsigned char* data = cairo_image_surface_get_data(surface);
        for (int y = 0; y < decoded.height; ++y) {
            const auto* row = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
            decoded.pixels.insert(decoded.pixels.end(), row, row + decoded.width);
        }
    }
    cairo_surface_destroy(surface);
    return decoded;
}

rghost::Facet square(double left, double bottom, double right, double top, double depth, V3d color)
{
    return {{V3d(left, bottom, depth), V3d(right, bottom, depth), V3d(right, top, depth), V3d(left, top, depth)},
            color};
}

// A red square in front of the upper half of a blue one: listed first, it must
// still be drawn last, and up in the world must be up in the picture.
TEST(DemoPictures, NearerFacetsCoverFartherOnesAndYPointsUp)
{
    const rghost::SheetPanel panel{
        "test", {square(-0.5, 0.0, 0.5, 1.0, 1.0, V3d(1, 0, 0)), square(-1.0, -1.0, 1.0, 1.0, 0.0, V3d(0, 0, 1))}};
    const DecodedPng picture = decodePng(rghost::renderContactSheetPng({panel}));
    ASSERT_GT(picture.width, 0);
    const int middle = picture.width / 2;
    const Pixel upper = picture.at(middle, picture.height / 4);
    const Pixel lower = picture.at(middle, picture.height * 2 / 3);
    EXPECT_GT(upper.red, 150);
    EXPECT_LT(upper.blue, 60);
    EXPECT_GT(lower.blue, 150);
    EXPECT_LT(lower.red, 60);
}

TEST(DemoPictures, PanelsFillRowsOfTheGivenWidth)
{
    const rghost::SheetPanel panel{"test", {square(-1.0, -1.0, 1.0, 1.0, 0.0, V3d(1, 1, 1))}};
    const DecodedPng four = decodePng(rghost::renderContactSheetPng(std::vector<rghost::SheetPanel>(4, panel), {4}));
    const DecodedPng six = decodePng(rghost::renderContactSheetPng(std::vector<rghost::SheetPanel>(6, panel), {4}));
    const DecodedPng two = decodePng(rghost::renderContactSheetPng(std::vector<rghost::SheetPanel>(2, panel), {4}));
    EXPECT_EQ(six.width, four.width);
    EXPECT_GT(six.height, four.height);
    EXPECT_EQ(two.height, four.height);
    EXPECT_LT(two.width, four.width);
    EXPECT_THROW(rghost::renderContactSheetPng({}), std::invalid_argument);
}

// Marks lie over the facets even where a facet is nearer, dots over lines;
// notes add a row each under the panels, with their swatch.
TEST(OverlayPictures, MarksAreDrawnOverTheFacetsAndNotesUnderThePanels)
{
    rghost::SheetPanel panel{"test", {square(-1.0, -1.0, 1.0, 1.0, 5.0, V3d(1, 1, 1))}};
    panel.lines.push_back({{V3d(-1.0, 0.0, 0.0), V3d(1.0, 0.0, 0.0)}, V3d(1, 0, 0)});
    panel.dots.push_back({V3d(0.5, 0.0, 0.0), V3d(0, 1, 0), true});
    const DecodedPng plain = decodePng(rghost::renderContactSheetPng({panel}, {1}));
    const int middleRow = (plain.height - 26) / 2; // above the caption
    const Pixel onLine = plain.at(plain.width / 4, middleRow);
    const Pixel onDot = plain.at(8 + static_cast<int>(440 * 1.56 / 2.12), middleRow); // x 0.5 of -1.06..1.06
    EXPECT_GT(onLine.red, 200);
    EXPECT_LT(onLine.green, 60);
    EXPECT_GT(onDot.green, 200);
    EXPECT_LT(onDot.red, 60);

    rghost::SheetLayout withNotes{1};
    withNotes.notes = {{V3d(0, 0, 1), "blue"}, {std::nullopt, "plain"}};
    const DecodedPng noted = decodePng(rghost::renderContactSheetPng({panel}, withNotes));
    EXPECT_EQ(noted.width, plain.width);
    EXPECT_EQ(noted.height, plain.height + 2 * 20 + 8);
    const Pixel swatch = noted.at(16, plain.height + 10);
    EXPECT_GT(swatch.blue, 200);
    EXPECT_LT(swatch.red, 60);
}

// How many pixels of the panels (above `notes` rows of notes) are the colour
// of `category`.
int categoryPixels(const DecodedPng& picture, rghost::OverlayCategory category, int notes)
{
    const V3d color = rghost::overlayCategoryColor(category) * 255.0;
    int count = 0;
    for (int y = 0; y < picture.height - notes * 20 - 8; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const Pixel p = picture.at(x, y);
            count +=
                std::abs(p.red - color.x) < 12 && std::abs(p.green - color.y) < 12 && std::abs(p.blue - color.z) < 12;
        }
    }
    return count;
}

// Every category but the failure marks (and those in `hidden`) shows in an
// inspection of a frame that succeeded.
void expectEveryCategoryDrawn(const rghost::Inspection& inspection, const std::string& what,
                              const rghost::OverlayCategories& hidden = {})
{
    EXPECT_EQ(inspection.status, RgStatus::Success) << what;
    const DecodedPng seen = decodePng(inspection.png);
    const int legend = 1 + static_cast<int>(std::size(rghost::kOverlayCategories));
    for (const rghost::OverlayCategory category : rghost::kOverlayCategories) {
        const int pixels = categoryPixels(seen, category, legend);
        if (category == rghost::OverlayCategory::Failure) {
            EXPECT_EQ(pixels, 0) << what;
        } else if (!hidden.count(category)) {
            EXPECT_GT(pixels, 20) << what << ": " << rghost::overlayCategoryName(category);
        }
    }
}

// Both eyes close up with every category; a frame the node refuses gets its
// error line under the panels and the column it names marked.
TEST(OverlayPictures, InspectionShowsEveryCategoryAndMarksWhatAFailingFrameNames)
{
    const rghost::Plugin plugin(LIDSHAPER_PLUGIN_PATH);
    rghost::Rig rig = rghost::buildSampleRig();
    const rghost::Inspection good = rghost::inspectFrame(plugin, rig, 0);
    expectEveryCategoryDrawn(good, "sample rig");
    const DecodedPng seen = decodePng(good.png);
    const int legend = 1 + static_cast<int>(std::size(rghost::kOverlayCategories));
    EXPECT_EQ(seen.width, 8 + 2 * (520 + 8));

    const std::string key = rigContract::eyeAttributeKey(rigContract::EyeSide::Left, "upperLidBetweenIdxs");
    auto between = std::make_shared<RgInt>(*std::dynamic_pointer_cast<RgInt>(rig.attributes.at(key)));
    between->values[1] = 1 << 30;
    rig.attributes[key] = between;
    const rghost::Inspection failed = rghost::inspectFrame(plugin, rig, 0);
    EXPECT_EQ(failed.status, RgStatus::Failure);
    const DecodedPng marked = decodePng(failed.png);
    EXPECT_EQ(marked.height, seen.height + 20);
    EXPECT_GT(categoryPixels(marked, rghost::OverlayCategory::Failure, legend + 1), 20);
    EXPECT_THROW(rghost::inspectFrame(plugin, rig, -1), std::invalid_argument);

    // A sheet with the failure marks on lists each failed frame's error line.
    const hosttest::TemporaryDirectory folder;
    const auto sheetHeight = [&](rghost::OverlayCategories overlay) {
        rghost::FrameSheetOptions sheet;
        sheet.frames = rghost::SceneFrames{0, 1};
        sheet.picture.outputPath = folder.file("sheet.png");
        sheet.picture.layout.panelWidth = 100;
        sheet.picture.overlay = std::move(overlay);
        EXPECT_FALSE(rghost::drawFrameSheet(plugin, rig, sheet));
        return decodePng(hosttest::readTextFile(folder.file("sheet.png"))).height;
    };
    EXPECT_EQ(sheetHeight({rghost::OverlayCategory::Failure}),
              sheetHeight({rghost::OverlayCategory::Columns}) + 2 * 20);
}

// A rig built from a head our sample generator did not make (the one
// docs/build-rig.md shows) is inspected like the sample rig: its rows,
// surface points, closing line, move vectors, corners and soft region all
// show, open and blinking. Its minor curves are straight, so the margins a
// lid control of 0 gives lie on the closing line, drawn over them: they are
// in the overlay, one per lid, but not to be seen.
TEST(OverlayPictures, InspectionOfABuiltRigShowsEveryCategory)
{
    const rghost::Plugin plugin(LIDSHAPER_PLUGIN_PATH);
    const heads::GeneratedHead head = heads::generateHead(heads::headVariety().at(2));
    const rghost::build::BuiltRig built = rghost::build::buildRig(head.head, head.eyeballInputs());
    for (const std::int64_t frame : {0, 6}) {
        expectEveryCategoryDrawn(rghost::inspectFrame(plugin, built.rig, frame),
                                 head.name + " frame " + std::to_string(frame), {rghost::OverlayCategory::Curves});
    }
    const rghost::Overlay overlay =
        rghost::rigOverlay(built.rig.attributes, built.rig.geometry.points, built.rig.geometry.geometryMatrix);
    EXPECT_EQ(std::count_if(overlay.lines.begin(), overlay.lines.end(),
                            [](const rghost::OverlayLine& line) {
                                return line.category == rghost::OverlayCategory::Curves && line.points.size() > 1;
                            }),
              4);
}

// A sheet shows as many frames as it has room for, both ends of the range
// among them, with gaps that differ by at most one frame.
TEST(FrameSheet, SpreadsPanelsEvenlyOverTheRange)
{
    const struct {
        std::size_t first, last, wanted;
    } cases[] = {{0, 47, 8}, {10, 12, 12}, {5, 5, 3}, {0, 99, 1}, {3, 1002, 12}, {0, 12, 12}, {7, 9, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.first << ":" << c.last << " at most " << c.wanted);
        const std::vector<std::size_t> shown = [&] {
            const std::set<std::size_t> spread = rghost::spreadFrames(c.first, c.last, c.wanted);
            return std::vector<std::size_t>(spread.begin(), spread.end());
        }();
        ASSERT_EQ(shown.size(), std::min(c.wanted, c.last - c.first + 1));
        EXPECT_EQ(shown.front(), c.first);
        if (c.wanted > 1) {
            EXPECT_EQ(shown.back(), c.last);
        }
        std::set<std::size_t> gaps;
        for (std::size_t i = 1; i < shown.size(); ++i) {
            gaps.insert(shown[i] - shown[i - 1]);
        }
        EXPECT_LE(gaps.empty() ? 0 : *gaps.rbegin() - *gaps.begin(), 1u);
    }
}

TEST(DemoSummary, CountsStatusesErrorsAndTimes)
{
    std::vector<rghost::FrameResult> results(3);
    for (std::size_t frame = 0; frame < results.size(); ++frame) {
        results[frame].frame = static_cast<std::int64_t>(frame);
    }
    results[1].status = RgStatus::Failure;
    results[1].errors = {"eyeRig1: something is wrong"};
    const auto summary = hosttest::json::parse(
        rghost::formatDemoSummary(results, {1.0, 2.0, 6.0}, {"rig.json", "sheet.png", {"a.obj", "b.obj", "c.obj"}}));
    EXPECT_EQ(summary["frames"], 3);
    EXPECT_EQ(summary["succeeded"], 2);
    EXPECT_EQ(summary["statuses"], hosttest::json({{"Success", 2}, {"Failure", 1}}));
    EXPECT_EQ(summary["errors"], hosttest::json::array({{{"frame", 1}, {"line", "eyeRig1: something is wrong"}}}));
    EXPECT_DOUBLE_EQ(summary["timing"]["totalMilliseconds"].get<double>(), 9.0);
    EXPECT_DOUBLE_EQ(summary["timing"]["meanFrameMilliseconds"].get<double>(), 3.0);
    EXPECT_DOUBLE_EQ(summary["timing"]["slowestFrameMilliseconds"].get<double>(), 6.0);
    EXPECT_EQ(summary["files"]["obj"].size(), 3u);
}

// The strips of docs/controls.md are what scripts/controls-pictures.sh draws
// with the current renderer and node, and the page names every control and
// shows only strips that exist.
TEST(ControlPictures, AreWhatTheRendererDrawsNow)
{
    const std::filesystem::path root(LIDSHAPER_SOURCE_DIR);
    const hosttest::TemporaryDirectory fresh;
    const std::string script = "'" + (root / "scripts" / "controls-pictures.sh").string() + "' '" + RGHOST_PATH +
                               "' '" + fresh.path().string() + "'";
    ASSERT_EQ(std::system(script.c_str()), 0);

    const auto names = [](const std::filesystem::path& directory) {
        std::set<std::string> found;
        for (const auto& entry : std::filesystem::directory_iterator(directory)) {
            found.insert(entry.path().filename().string());
        }
        return found;
    };
    const std::set<std::string> rendered = names(fresh.path());
    EXPECT_EQ(names(root / "docs" / "controls"), rendered);
    for (const std::string& name : rendered) {
        const DecodedPng now = decodePng(hosttest::readTextFile(fresh.path() / name));
        const DecodedPng checkedIn = decodePng(hosttest::readTextFile(root / "docs" / "controls" / name));
        EXPECT_TRUE(now.width == checkedIn.width && now.height == checkedIn.height && now.pixels == checkedIn.pixels)
            << "docs/controls/" << name << " is out of date: run scripts/controls-pictures.sh";
    }

    const std::string page = hosttest::readTextFile(root / "docs" / "controls.md");
    for (const rghost::ControlReference& control : rghost::controlReferences()) {
        EXPECT_NE(page.find("`" + std::string(control.name) + "`"), std::string::npos) << control.name;
    }
    const std::regex picture("\\(controls/([^)]+)\\)");
    for (auto shown = std::sregex_iterator(page.begin(), page.end(), picture); shown != std::sregex_iterator();
         ++shown) {
        EXPECT_EQ(rendered.count((*shown)[1].str()), 1u) << (*shown)[1].str();
    }
}

} // namespace
