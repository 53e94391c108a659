#pragma once

// Heads modelled unlike the sample face, made from a seed: a shell of a head
// whose eye openings are ringed by concentric edge loops and whose skin away
// from the eyes is quads, triangles or n-gons, with noisy eyeball meshes, in
// any orientation; and the same heads broken in the ways a rigger's mesh can
// be broken.

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include <Imath/ImathVec.h>

#include "build/RigBuilder.h"
#include "lidShaper/rigContract.h"

namespace heads {

// How the skin away from the eyes is faced.
enum class FarFaces { Quads, Triangles, NGons, Mixed };

// How the eyeballs come with the head.
enum class EyeballForm {
    LooseParts,     // loose parts of the head's own mesh
    Objects,        // OBJ objects of their own ("o")
    Groups,         // OBJ groups of their own ("g")
    CentreAndRadius // no mesh: a centre and radius are given
};

// Where the eyes sit.
enum class EyeLayout {
    Front, // a human face: both eyes look forward
    Sides  // an animal's: the eyes look out of the sides of a long head
};

// What is wrong with the head, if anything. Eye-level faults concern the left eye.
enum class Defect {
    None,
    NoOpening,            // skin closed over the eyeball
    PoleAtLoop,           // two vertices of the first skin loop merged: a pole where the loop should go on
    TooFewColumns,        // openings of four vertices: one column per lid
    EyeballBehindNothing, // the eyeball floats above the head
    EyeballInFrontOfFace, // the eyeball sits in front of its opening
    NonManifoldMargin,    // two extra faces on one margin edge
    ZeroAreaMargin,       // a face on the margin with no area
    OverlappingEyeballs   // eyeballs large enough to run into each other
};

struct HeadOptions {
    std::uint64_t seed = 1;
    int openingCells = 6; // the opening's loops have 4 x openingCells vertices (8 or more)
    int skinLoops = 4;    // loops between the margin and the face around the eye
    int socketLoops = 2;  // loops from the margin into the socket; the deepest borders the hole
    FarFaces farFaces = FarFaces::Mixed;
    EyeballForm eyeballs = EyeballForm::Objects;
    EyeLayout layout = EyeLayout::Front;
    Imath::V3d up{0.0, 1.0, 0.0}; // the character's up in the file
    double turnDegrees = 0.0;     // the head turned about its up
    double scale = 1.0;
    double tiltDegrees = 8.0;   // the openings' tilt, outer corners up
    double eyeballNoise = 0.02; // eyeball mesh radius noise, per radius
    Defect defect = Defect::None;
};

// One eye as generated: what a builder should find.
struct GeneratedEye {
    rigContract::EyeSide side = rigContract::EyeSide::Left;
    Imath::V3d center{0.0};
    double radius = 0.0;
    std::vector<std::int32_t> margin; // around the opening, one loop
    std::int32_t innerCorner = -1;    // the margin vertex nearest the nose
    std::int32_t outerCorner = -1;    // the margin vertex nearest the temple
    rghost::build::HeadMesh eyeball;  // noisy sphere; empty for EyeballForm::CentreAndRadius
};

struct GeneratedHead {
    std::string name; // a short description, usable as a test name
    HeadOptions options;
    rghost::build::HeadMesh head;
    std::vector<GeneratedEye> eyes; // left, then right
    Imath::V3d up{0.0};             // the character's up, front and left in the file
    Imath::V3d front{0.0};
    Imath::V3d left{0.0};
    // For a defect at vertices: the head vertices a message about it may name.
    std::vector<std::int32_t> culprits;

    // The eyeballs as the builder takes them: meshes, or centres and radii.
    std::vector<rghost::build::EyeballInput> eyeballInputs() const;
};

GeneratedHead generateHead(const HeadOptions& options);

// A short description of the options, usable as a test name.
std::string headName(const HeadOptions& options);

// For test output.
inline void PrintTo(const HeadOptions& options, std::ostream* out)
{
    *out << headName(options);
}

// The head as an OBJ file: the head's faces, then each eyeball as a loose
// part of the same object, an object ("o eyeball_L") or a group ("g eyeball_L").
std::string formatHeadObj(const GeneratedHead& head);

// Heads of many kinds: coarse and dense loops, far faces of every kind,
// eyeballs in every form, Y-up, Z-up and turned heads, eyes on the sides,
// openings of 8 to a few hundred vertices.
std::vector<HeadOptions> headVariety();

// Every defect on an otherwise sound head.
std::vector<HeadOptions> brokenHeads();

// A sound head of roughly `vertexCount` vertices, dense everywhere.
HeadOptions headOfSize(std::size_t vertexCount);

} // namespace heads
