#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/Rig.h"

namespace rghost {

// The shape of the built-in sample rig: a procedural eye region with two
// NURBS eyeballs 6.4 units apart, upper and lower lids on each, brow and cheek
// skin around them, and a short animation that opens, blinks, squints, looks
// up and down, and opens again.
struct SampleRigOptions {
    int columns = 24;       // lid columns per lid, from the inner to the outer eye corner
    int centerRows = 3;     // rows per column from the lid margin into the socket
    int betweenRows = 6;    // rows per column over the lid skin, from the margin to the crease
    int frames = 48;        // length of the animation
    bool softRegion = true; // brow and cheek skin follow the lid creases
};

// Why `options` cannot make a rig (one line naming the option), or an empty string.
std::string describeSampleRigProblem(const SampleRigOptions& options);

// The sample rig: every attribute the node reads, the four host settings, the
// rest points (the eyes wide open), weights, faces for pictures, and one frame
// per animation step overriding only the controls that move. Throws
// std::invalid_argument when describeSampleRigProblem finds a problem.
Rig buildSampleRig(const SampleRigOptions& options = {});

// A moment of the animation worth a picture.
struct SamplePose {
    std::string name;  // e.g. "closed", "look up"
    std::size_t frame; // 0-based frame of the rig
};

// The animation's key moments, in time order, as many as fit in `options.frames`.
std::vector<SamplePose> samplePoses(const SampleRigOptions& options = {});

} // namespace rghost
