#include <algorithm>
#include <cmath>
#include <memory>
#include <stdexcept>

#include <Imath/ImathMatrix.h>

#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/PictureOptions.h"
#include "core/ClosestName.h"
#include "core/ControlReference.h"
#include "core/ShortNumber.h"
#include "io/AtomicFile.h"
#include "picture/OverlayMarks.h"
#include "picture/RigScene.h"
#include "rg/RgValueFactory.h"

namespace rghost {

namespace {

struct SweepOptions {
    std::string rigPath;
    std::vector<std::string> keys;
    double from = 0.0;
    double to = 1.0;
    int steps = 5;
    std::string frame;
    PictureOptions picture;
    std::string pluginPath;
};

// The eyeball `surface` turned by `degrees` about the horizontal axis through
// `center`, as a look up (positive) or down; recorded in `rig`.
MObject turnedEyeball(Rig& rig, const MObject& surface, const Imath::V3d& center, double degrees)
{
    const auto described = std::find_if(rig.surfaces.begin(), rig.surfaces.end(),
                                        [&](const RigSurface& known) { return known.surface == surface; });
    if (described == rig.surfaces.end()) {
        throw std::invalid_argument("the eyeball surface is not one the rig file describes");
    }
    mayastandin::NurbsSurfaceDescription turned = described->description;
    Imath::M44d toCenter;
    toCenter.setTranslation(-center);
    Imath::M44d rotation;
    rotation.setAxisAngle(Imath::V3d(1.0, 0.0, 0.0), -degrees * M_PI / 180.0);
    Imath::M44d back;
    back.setTranslation(center);
    turned.worldMatrix = turned.worldMatrix * toCenter * rotation * back;
    return addSurface(rig, turned);
}

// `key` of `attributes` set to `value` in its own class: numbers as they are
// (integers rounded), booleans on from 0.5, eyeballs turned by `value` degrees.
std::shared_ptr<RgData> sweptValue(Rig& rig, const AttributeMap& attributes, const std::string& key, double value)
{
    const std::shared_ptr<RgData>& current = attributes.at(key);
    if (std::dynamic_pointer_cast<RgDouble>(current)) {
        return makeRgValue<RgDouble>(value);
    }
    if (std::dynamic_pointer_cast<RgFloat>(current)) {
        return makeRgValue<RgFloat>(static_cast<float>(value));
    }
    if (std::dynamic_pointer_cast<RgInt>(current)) {
        return makeRgValue<RgInt>(static_cast<std::int32_t>(std::lround(value)));
    }
    if (std::dynamic_pointer_cast<RgBoolean>(current)) {
        return makeRgValue<RgBoolean>(value >= 0.5);
    }
    const auto sphere = std::dynamic_pointer_cast<RgNurbsSurface>(current);
    const auto found = attributes.find(siblingKey(key, "centerEye"));
    const auto center = found == attributes.end() ? nullptr : std::dynamic_pointer_cast<RgVector>(found->second);
    if (sphere && center) {
        return makeRgValue<RgNurbsSurface>(turnedEyeball(rig, sphere->value, center->value, value));
    }
    throw std::invalid_argument("--attr " + key +
                                ": only numbers, booleans and eyeball surfaces (with their centerEye) can be swept");
}

// What a caption calls the control: its field name for an eye's attribute.
std::string controlName(const std::string& key)
{
    const ControlReference* reference = findControl(key);
    return reference ? std::string(reference->name) : key;
}

int runSweep(const SweepOptions& options)
{
    Rig rig = loadRig(options.rigPath);
    std::size_t baseFrame = 0;
    if (!options.frame.empty()) {
        const SceneFrames frame = parseFrameOption(options.frame);
        baseFrame = planFrames(rig, SceneFrames{frame.first, frame.first}, 0).firstRecorded;
    }
    rig.attributes = frameAttributes(rig, baseFrame);
    rig.frames.clear();
    std::vector<std::string> known;
    for (const auto& [key, value] : rig.attributes) {
        known.push_back(key);
    }
    for (const std::string& key : options.keys) {
        if (rig.attributes.count(key) == 0) {
            throw std::invalid_argument("--attr " + key + ": the rig has no such key" + didYouMean(key, known));
        }
    }

    std::vector<std::string> captions;
    for (int step = 0; step < options.steps; ++step) {
        const double value =
            options.steps == 1 ? options.from : options.from + (options.to - options.from) * step / (options.steps - 1);
        RigFrame frame;
        for (const std::string& key : options.keys) {
            frame.overrides[key] = sweptValue(rig, rig.attributes, key, value);
        }
        rig.frames.push_back(std::move(frame));
        const bool turned =
            std::dynamic_pointer_cast<RgNurbsSurface>(rig.attributes.at(options.keys.front())) != nullptr;
        captions.push_back(controlName(options.keys.front()) +
                           (turned ? " turned " + shortNumber(value) + " degrees" : " " + shortNumber(value)));
    }

    const std::vector<FrameResult> results = runRig(loadPlugin(options.pluginPath), rig);
    std::vector<SheetPanel> panels;
    bool allSucceeded = true;
    for (std::size_t step = 0; step < results.size(); ++step) {
        allSucceeded = allSucceeded && results[step].status == RgStatus::Success;
        panels.push_back(
            overlaidRigPanel(rig, frameAttributes(rig, step), results[step], options.picture.overlay, captions[step]));
    }
    SheetLayout layout = pictureLayout(options.picture, rig, rig.attributes);
    layout.columnsPerRow = std::max(layout.columnsPerRow, options.steps);
    writeFileAtomically(options.picture.outputPath, renderContactSheetPng(panels, layout));
    return allSucceeded ? 0 : 1;
}

} // namespace

void addSweepCommand(CLI::App& app, Command& command)
{
    auto options = std::make_shared<SweepOptions>();
    CLI::App* sweep = app.add_subcommand(
        "sweep",
        "Draw a strip of one control swept across a range of values, each step on the rig as it is at one frame");
    sweep->add_option("rig", options->rigPath, "Rig file (rg-rig/1)")->required();
    sweep
        ->add_option(
            "--attr", options->keys,
            "Key to sweep (repeat to move several together); an eyeball surface turns by the value in degrees, "
            "positive looking up")
        ->required();
    sweep->add_option("--from", options->from, "First value")->required();
    sweep->add_option("--to", options->to, "Last value")->required();
    sweep->add_option("--steps", options->steps, "Number of values, evenly spaced")
        ->check(CLI::Range(1, 64))
        ->capture_default_str();
    sweep->add_option("--frame", options->frame,
                      "Scene frame whose attributes the other controls keep (default: the first)");
    addPictureOptions(*sweep, options->picture);
    addPluginOption(*sweep, options->pluginPath);
    sweep->callback([options, &command] { command = [options] { return runSweep(*options); }; });
}

} // namespace rghost
