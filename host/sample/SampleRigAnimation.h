#pragma once

#include <string>
#include <vector>

#include "build/EyeInputs.h"

namespace rghost {

using build::EyeControls;

struct FaceControls {
    EyeControls left;
    EyeControls right;
};

// Control value of a fully open lid: the upper lid opens at +this value, the
// lower lid at -this value; 0 puts both on the line where they close.
constexpr double kSampleOpenControl = 10.0;

// Both eyes wide open: the pose the sample rig's rest points are modelled in.
FaceControls openFaceControls();

// A named moment of the animation, as a fraction of its length.
struct AnimationMoment {
    std::string name;
    double time; // 0 = first frame, 1 = last frame
};

// The moments worth a picture, in time order.
std::vector<AnimationMoment> sampleAnimationMoments();

// The controls at each of `frameCount` frames: open, blink, squint, look up,
// look down, open again, eased between key poses.
std::vector<FaceControls> sampleAnimation(int frameCount);

} // namespace rghost
