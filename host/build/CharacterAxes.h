#pragma once

#include <Imath/ImathVec.h>

#include "build/RigBuilder.h"

namespace rghost::build {

// The character's up and front. Given, they are taken (made square to the
// line between the eyes). Otherwise front is the way both openings face
// together, and up lies across it and the line between the eyes, on the
// side the openings arch to (eyes arch more over the upper lid), or where
// they hardly arch, on the side of the scene's own up axis (the world axis it
// lies closest to, taken positive). Eyes on the sides of a head face away from each other and tell
// no front: then up is the scene's Y axis (Z where the eyes lie along Y),
// and front the side of it the openings lean to.
struct CharacterAxes {
    Imath::V3d up;
    Imath::V3d front;
};

// `openingFronts` are the ways both eyes' openings face, `openingArches` how
// they arch (openingArch), `across` the unit direction from the first
// eyeball's centre to the second's.
CharacterAxes characterAxes(const BuildOptions& options, const Imath::V3d (&openingFronts)[2],
                            const Imath::V3d (&openingArches)[2], const Imath::V3d& across);

// Whether the first eyeball is the character's left one: on its left hand as
// it looks forward with its head up (or the other one, with `swapSides`).
bool firstIsLeft(const CharacterAxes& axes, const Imath::V3d& firstCenter, const Imath::V3d& secondCenter,
                 bool swapSides);

} // namespace rghost::build
