#include <functional>

#include <gtest/gtest.h>

#include "core/Plugin.h"
#include "core/ClosestName.h"
#include "lint/RigCheck.h"
#include "rg/RgValueFactory.h"
#include "sample/SampleRig.h"

namespace {

using rghost::Rig;

const std::string kLeft = "lidShaper__eyes__L_eye__";
const std::string kRight = "lidShaper__eyes__R_eye__";

std::vector<std::string> validationLines(const Rig& rig)
{
    const rghost::NodePointer node = rghost::Plugin(LIDSHAPER_PLUGIN_PATH).createNode();
    std::vector<std::string> lines;
    for (const rghost::RigFinding& finding : rghost::validateRig(*node, rig)) {
        lines.push_back(rghost::formatFinding(finding, 100));
    }
    return lines;
}

void setFrames(Rig& rig, std::size_t first, std::size_t last, const std::string& key, std::shared_ptr<RgData> value)
{
    for (std::size_t frame = first; frame <= last; ++frame) {
        rig.frames[frame].overrides[key] = value;
    }
}

// Each case breaks the (clean) sample rig in one way and lists every line
// validation must print for it, frame numbers counted from 100.
TEST(ValidateRig, ReportsEachProblemOnceForTheFramesItSpans)
{
    const struct {
        const char* what;
        std::function<void(Rig&)> breakRig;
        std::vector<std::string> lines;
    } cases[] = {
        {"clean", [](Rig&) {}, {}},
        {"misspelt frame key",
         [](Rig& rig) { setFrames(rig, 2, 4, kLeft + "closeEy", makeRgValue<RgDouble>(1.0)); },
         {"frames 102-104: error: unknown key '" + kLeft + "closeEy' (did you mean '" + kLeft +
          "closeEye'?): the node never reads it"}},
        {"removing a key the node does not read",
         [](Rig& rig) { rig.frames[3].removedKeys.push_back("ENVELOP"); },
         {"frame 103: error: removes unknown key 'ENVELOP' (did you mean 'ENVELOPE'?): the node never reads it"}},
        {"misspelt top-level field",
         [](Rig& rig) {
             rig.unknownFields = {"frame", "comment"};
         },
         {"error: unknown top-level field 'frame' (did you mean 'frames'?) is ignored",
          "error: unknown top-level field 'comment' is ignored"}},
        {"wrong class in one frame",
         [](Rig& rig) { setFrames(rig, 5, 5, kRight + "smoothOuter", makeRgValue<RgDouble>(1.0)); },
         {"frame 105: error: eyeRig1: get attributes: invalid type of '" + kRight + "smoothOuter' (RgInt expected)"}},
        {"host setting the node's validation does not read",
         [](Rig& rig) { rig.frames[1].removedKeys.push_back("SOA_ENABLED"); },
         {"frame 101: error: missing host setting 'SOA_ENABLED' (RgBoolean): deform fails without it"}},
        {"host setting the node's validation reads is reported once",
         [](Rig& rig) { rig.attributes["ENVELOPE"] = makeRgValue<RgDouble>(1.0); },
         {"frames 100-105: error: eyeRig1: get attributes: invalid type of 'ENVELOPE' (RgFloat expected)"}},
        {"index outside the points",
         [](Rig& rig) {
             auto& list = static_cast<RgInt&>(*rig.attributes[kLeft + "upperLidInnerIdxs"]);
             list.values[1] = 999999;
             list.values[2] = -1;
         },
         {"frames 100-105: error: " + kLeft + "upperLidInnerIdxs holds 999999 at [1], outside the rig's " +
          std::to_string(rghost::buildSampleRig({4, 1, 2, 6, true}).geometry.points.size()) + " points (and 1 more)"}},
        {"soft-region counts and separators are not points",
         [](Rig& rig) {
             static_cast<RgInt&>(*rig.attributes["lidShaper__softRegion__softRegion"]).values = {-1, 0, 1, 2, 3, 4, -1};
         },
         {}},
        {"soft-region member outside the points",
         [](Rig& rig) {
             static_cast<RgInt&>(*rig.attributes["lidShaper__softRegion__softRegion"]).values = {0, 1, 2, 3, 70000};
         },
         {"frames 100-105: error: lidShaper__softRegion__softRegion holds 70000 at [4], outside the rig's " +
          std::to_string(rghost::buildSampleRig({4, 1, 2, 6, true}).geometry.points.size()) + " points"}},
        {"control a little outside its range",
         [](Rig& rig) {
             setFrames(rig, 1, 2, kRight + "closeEye", makeRgValue<RgDouble>(1.5));
             setFrames(rig, 3, 3, kRight + "closeEye", makeRgValue<RgDouble>(1.25));
         },
         {"frames 101-103: warning: " + kRight + "closeEye is outside its useful range 0 to 1 (up to 1.5)"}},
        {"control far outside its range, both ways",
         [](Rig& rig) {
             setFrames(rig, 0, 0, kLeft + "closeEye", makeRgValue<RgDouble>(-3.0));
             setFrames(rig, 1, 1, kLeft + "closeEye", makeRgValue<RgDouble>(5.0));
         },
         {"frame 100: error: " + kLeft + "closeEye is outside its useful range 0 to 1 (it is -3)",
          "frame 101: error: " + kLeft + "closeEye is outside its useful range 0 to 1 (it is 5)"}},
        {"lid control measured against the open values",
         [](Rig& rig) {
             rig.attributes[kLeft + "upperOpenEyeValue"] = makeRgValue<RgDouble>(20.0);
             setFrames(rig, 4, 4, kLeft + "upperLidControl", makeRgValue<RgDouble>(1e6));
         },
         {"frame 104: error: " + kLeft +
          "upperLidControl is outside its useful range -15 to 30 (1.5 × lowerOpenEyeValue to 1.5 × "
          "upperOpenEyeValue) (it is 1e+06)"}},
        {"cached list changed by later frames",
         [](Rig& rig) { setFrames(rig, 2, 5, kLeft + "pointsOffset", makeRgList<RgVector>({Imath::V3d(0.1)})); },
         {"frames 102-105: warning: " + kLeft +
          "pointsOffset differs from the first frame's while CACHE_ATTRIBUTES is on: the node keeps the first "
          "frame's"}},
        {"cached list changed with the cache off",
         [](Rig& rig) {
             rig.attributes["CACHE_ATTRIBUTES"] = makeRgValue<RgBoolean>(false);
             setFrames(rig, 2, 5, kLeft + "pointsOffset", makeRgList<RgVector>({Imath::V3d(0.1)}));
         },
         {}},
        {"cached list given again unchanged",
         [](Rig& rig) {
             const auto& corners = static_cast<const RgInt&>(*rig.attributes[kRight + "cornersIdxs"]);
             setFrames(rig, 1, 5, kRight + "cornersIdxs", makeRgList<RgInt>(corners.values));
         },
         {}},
        {"open value on the wrong side of 0",
         [](Rig& rig) { rig.attributes[kRight + "lowerOpenEyeValue"] = makeRgValue<RgDouble>(0.0); },
         {"frames 100-105: error: " + kRight + "lowerOpenEyeValue is outside its useful range below 0 (it is 0)"}},
    };
    for (const auto& c : cases) {
        Rig rig = rghost::buildSampleRig({4, 1, 2, 6, true});
        c.breakRig(rig);
        EXPECT_EQ(validationLines(rig), c.lines) << c.what;
    }
}

TEST(ClosestName, SuggestsOnlyNearMisses)
{
    const std::vector<std::string> commands = {"deform", "validate", "schema", "sample-rig"};
    const struct {
        const char* typed;
        const char* suggestion; // null: none
    } cases[] = {{"defrom", "deform"}, {"valdate", "validate"}, {"sample_rig", "sample-rig"}, {"xyz", nullptr},
                 {"", nullptr},        {"schemas", "schema"},   {"deformation", nullptr}};
    for (const auto& c : cases) {
        EXPECT_EQ(rghost::closestName(c.typed, commands).value_or("(none)"), c.suggestion ? c.suggestion : "(none)")
            << c.typed;
    }
}

} // namespace
