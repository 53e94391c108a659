#include "build/TestAnimation.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "rg/RgValueFactory.h"

using namespace rigContract;

namespace rghost::build {

using Imath::V3d;

namespace {

struct KeyPose {
    double time;
    EyeControls controls;
    Look look;
};

EyeControls closedControls(double amount)
{
    EyeControls eye = openControls();
    eye.closeEye = amount;
    return eye;
}

// Upper lid half down, lower lid raised.
EyeControls squintControls()
{
    return {0.0, 0.55 * kOpenControl, -0.1 * kOpenControl, 1.0, 1.0};
}

std::vector<KeyPose> keyPoses(double look)
{
    return {
        // The blink holds shut for a moment, so that a frame shows it closed
        // at any frame rate.
        {0.00, openControls(), {}},          {0.05, openControls(), {}},           {0.10, closedControls(1.0), {}},
        {0.13, closedControls(1.0), {}},     {0.18, openControls(), {}},           {0.24, closedControls(0.5), {}},
        {0.31, openControls(), {}},          {0.39, squintControls(), {}},         {0.45, squintControls(), {}},
        {0.52, openControls(), {}},          {0.60, openControls(), {look, 0.0}},  {0.70, openControls(), {-look, 0.0}},
        {0.80, openControls(), {0.0, look}}, {0.90, openControls(), {0.0, -look}}, {1.00, openControls(), {}},
    };
}

double ease(double t)
{
    return t * t * (3.0 - 2.0 * t);
}

KeyPose poseAt(const std::vector<KeyPose>& poses, double time)
{
    const auto next =
        std::upper_bound(poses.begin(), poses.end(), time, [](double t, const KeyPose& pose) { return t < pose.time; });
    if (next == poses.end()) {
        return poses.back();
    }
    const KeyPose& from = *(next - 1);
    const double t = ease((time - from.time) / (next->time - from.time));
    const auto mix = [t](double x, double y) { return x + (y - x) * t; };
    const EyeControls& a = from.controls;
    const EyeControls& b = next->controls;
    return {time,
            {mix(a.closeEye, b.closeEye), mix(a.upperLidControl, b.upperLidControl),
             mix(a.lowerLidControl, b.lowerLidControl), mix(a.upperLidOuterControl, b.upperLidOuterControl),
             mix(a.lowerLidOuterControl, b.lowerLidOuterControl)},
            {mix(from.look.up, next->look.up), mix(from.look.left, next->look.left)}};
}

// The eyeball turned about its centre: up about the axis that takes the
// front towards up, left likewise.
MObject turnedEyeball(Rig& rig, const AnimatedEye& eye, const Look& look, const V3d& up, const V3d& front)
{
    const auto described = std::find_if(rig.surfaces.begin(), rig.surfaces.end(),
                                        [&](const RigSurface& known) { return known.surface == eye.eyeball; });
    if (described == rig.surfaces.end()) {
        throw std::logic_error("an eyeball to turn is not recorded in the rig");
    }
    mayastandin::NurbsSurfaceDescription turned = described->description;
    const V3d left = up.cross(front);
    constexpr double kRadians = 3.14159265358979323846 / 180.0;
    Imath::M44d upward;
    upward.setAxisAngle(front.cross(up), look.up * kRadians);
    Imath::M44d sideways;
    sideways.setAxisAngle(front.cross(left), look.left * kRadians);
    Imath::M44d toCenter;
    toCenter.setTranslation(-eye.center);
    Imath::M44d back;
    back.setTranslation(eye.center);
    turned.worldMatrix = turned.worldMatrix * toCenter * upward * sideways * back;
    return addSurface(rig, turned);
}

} // namespace

double lookDegrees(double cornerGap, double creaseRoom, double radius)
{
    constexpr double kDegrees = 180.0 / 3.14159265358979323846;
    const double cornerLimit = 0.25 * cornerGap / (0.375 * radius);
    const double creaseLimit = 0.4 * creaseRoom / radius;
    return std::min(10.0, std::min(cornerLimit, creaseLimit) * kDegrees);
}

EyeControls openControls()
{
    return {0.0, kOpenControl, -kOpenControl, 1.0, 1.0};
}

void addTestAnimation(Rig& rig, const std::vector<AnimatedEye>& eyes, const V3d& characterUp, const V3d& characterFront,
                      int frameCount, double look)
{
    const std::vector<KeyPose> poses = keyPoses(look);
    for (int frame = 0; frame < frameCount; ++frame) {
        const double time = frameCount > 1 ? static_cast<double>(frame) / (frameCount - 1) : 0.0;
        const KeyPose pose = poseAt(poses, time);
        RigFrame overrides;
        for (const AnimatedEye& eye : eyes) {
            setEyeControls(overrides.overrides, eye.side, pose.controls);
            if (pose.look.up != 0.0 || pose.look.left != 0.0) {
                overrides.overrides[eyeFieldKey(eye.side, eyeField::nurbsSphere)] =
                    makeRgValue<RgNurbsSurface>(turnedEyeball(rig, eye, pose.look, characterUp, characterFront));
            }
        }
        rig.frames.push_back(std::move(overrides));
    }
}

} // namespace rghost::build
