#include "sample/SampleRigAnimation.h"

#include <algorithm>
#include <cstddef>

namespace rghost {

namespace {

struct KeyPose {
    double time;
    FaceControls controls;
};

EyeControls openEye()
{
    return {0.0, kSampleOpenControl, -kSampleOpenControl, 1.0, 1.0};
}

EyeControls closedEye()
{
    EyeControls eye = openEye();
    eye.closeEye = 1.0;
    return eye;
}

// Upper lid half down, lower lid raised, crease and cheek pushed towards the eye.
EyeControls squintingEye()
{
    return {0.0, 0.55 * kSampleOpenControl, -0.1 * kSampleOpenControl, 0.75, 0.4};
}

// Looking up the upper lid opens past its open value and lifts the brow, the
// lower lid follows the eye up; looking down is the reverse. The eyes differ a
// little, as a glance to one side makes them.
FaceControls lookingUp()
{
    return {{0.0, 1.45 * kSampleOpenControl, -0.65 * kSampleOpenControl, 1.0, 1.0},
            {0.0, 1.3 * kSampleOpenControl, -0.8 * kSampleOpenControl, 1.0, 1.0}};
}

FaceControls lookingDown()
{
    return {{0.0, 0.35 * kSampleOpenControl, -1.25 * kSampleOpenControl, 1.0, 1.0},
            {0.0, 0.5 * kSampleOpenControl, -1.4 * kSampleOpenControl, 1.0, 1.0}};
}

const std::vector<KeyPose>& keyPoses()
{
    static const std::vector<KeyPose> poses = {
        {0.00, openFaceControls()},
        {0.08, openFaceControls()},
        {0.17, {closedEye(), closedEye()}},
        {0.26, openFaceControls()},
        {0.32, openFaceControls()},
        {0.42, {squintingEye(), squintingEye()}},
        {0.50, {squintingEye(), squintingEye()}},
        {0.60, lookingUp()},
        {0.68, lookingUp()},
        {0.80, lookingDown()},
        {0.88, lookingDown()},
        {1.00, openFaceControls()},
    };
    return poses;
}

double ease(double t)
{
    return t * t * (3.0 - 2.0 * t);
}

EyeControls blend(const EyeControls& a, const EyeControls& b, double t)
{
    const auto mix = [t](double x, double y) { return x + (y - x) * t; };
    return {mix(a.closeEye, b.closeEye), mix(a.upperLidControl, b.upperLidControl),
            mix(a.lowerLidControl, b.lowerLidControl), mix(a.upperLidOuterControl, b.upperLidOuterControl),
            mix(a.lowerLidOuterControl, b.lowerLidOuterControl)};
}

FaceControls controlsAt(double time)
{
    const std::vector<KeyPose>& poses = keyPoses();
    const auto next =
        std::upper_bound(poses.begin(), poses.end(), time, [](double t, const KeyPose& pose) { return t < pose.time; });
    if (next == poses.begin()) {
        return poses.front().controls;
    }
    if (next == poses.end()) {
        return poses.back().controls;
    }
    const KeyPose& from = *(next - 1);
    const double t = ease((time - from.time) / (next->time - from.time));
    return {blend(from.controls.left, next->controls.left, t), blend(from.controls.right, next->controls.right, t)};
}

} // namespace

FaceControls openFaceControls()
{
    return {openEye(), openEye()};
}

std::vector<AnimationMoment> sampleAnimationMoments()
{
    return {{"open", 0.04},   {"closing", 0.125}, {"closed", 0.17},    {"opening", 0.215},
            {"squint", 0.46}, {"look up", 0.64},  {"look down", 0.84}, {"open again", 1.0}};
}

std::vector<FaceControls> sampleAnimation(int frameCount)
{
    std::vector<FaceControls> frames;
    for (int frame = 0; frame < frameCount; ++frame) {
        const double time = frameCount > 1 ? static_cast<double>(frame) / (frameCount - 1) : 0.0;
        frames.push_back(controlsAt(time));
    }
    return frames;
}

} // namespace rghost
