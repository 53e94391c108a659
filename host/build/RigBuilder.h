#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include <Imath/ImathVec.h>

#include "core/Rig.h"
#include "lidShaper/rigContract.h"

namespace rghost::build {

// Building a lidShaper rig from a modelled head: the head's points and faces
// and, per eye, its eyeball in; every input of both eyes, a default animation
// and a report of what was chosen out.

// A polygon mesh: points and faces as point indices, in either winding.
struct HeadMesh {
    std::vector<Imath::V3d> points;
    std::vector<std::vector<std::int32_t>> faces;
};

// What may be given instead of found for one eye. Vertices are indices into
// the head's points.
struct EyeOverrides {
    std::vector<std::int32_t> margin;        // the lid margin loop, in order around the eye
    std::optional<std::int32_t> innerCorner; // margin vertex at the nose end of the eye
    std::optional<std::int32_t> outerCorner; // margin vertex at the temple end
    std::optional<std::int32_t> upperMiddle; // a margin vertex of the upper lid
    std::optional<std::int32_t> lowerMiddle; // a margin vertex of the lower lid
    std::optional<int> betweenRows;          // loops from the margin to the crease, crease excluded
    std::optional<int> centerRows;           // loops from the margin into the socket
};

// One eyeball: either the points of its own mesh (a separate object, group or
// loose part), to which a sphere is fitted, or a given centre and radius.
struct EyeballInput {
    std::vector<Imath::V3d> points;
    std::optional<Imath::V3d> center;
    double radius = 0.0;
    EyeOverrides overrides;
};

struct BuildOptions {
    // The character's left eye is the one on the character's left: the side
    // the face's front and up make left. Swapping names the other one left.
    bool swapSides = false;
    std::optional<Imath::V3d> up;    // the character's up; found from the openings when not given
    std::optional<Imath::V3d> front; // the way the character looks; found from the eyeballs and openings
    bool softRegion = true;          // brow and cheek loops follow the crease
    int softRegionRings = 3;         // face loops past the crease that follow it
    int frames = 48;                 // length of the default test animation
    // Overrides for the eye that ends up on either side (joined with those of
    // its eyeball; a margin loop goes to the eyeball it surrounds).
    EyeOverrides leftEye;
    EyeOverrides rightEye;
};

// What was chosen for one eye, for the report.
struct EyeReport {
    rigContract::EyeSide side = rigContract::EyeSide::Left;
    int upperColumns = 0;
    int lowerColumns = 0;
    int centerRows = 0;
    int betweenRows = 0;
    std::int32_t innerCorner = -1;
    std::int32_t outerCorner = -1;
    std::size_t marginSize = 0;
    bool marginIsHole = false;        // a boundary loop rather than an edge loop
    std::int32_t leftOverVertex = -1; // an odd margin's vertex that follows the outer corner, or -1
    Imath::V3d eyeballCenter{0.0};
    double eyeballRadius = 0.0;
    double eyeballResidual = 0.0; // RMS distance of the eyeball's points from the fitted sphere, per radius
    double openingWidth = 0.0;    // corner to corner
    double neutralLargest = 0.0;  // at the open pose, largest move of a point, per opening width
    double neutralRms = 0.0;      // RMS move over the eye's points, per opening width
};

struct BuiltRig {
    Rig rig;
    std::vector<EyeReport> eyes; // left eye first
};

// Bad input: one line naming what is wrong and where (the vertex or loop).
class BuildError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The rig of `head` with its two eyes. The rig's points and faces are the
// head's, unchanged in order. Throws BuildError on bad input.
BuiltRig buildRig(const HeadMesh& head, const std::vector<EyeballInput>& eyeballs, const BuildOptions& options = {});

// The report as a few lines of text, one block per eye.
std::string formatReport(const std::vector<EyeReport>& eyes);

} // namespace rghost::build
