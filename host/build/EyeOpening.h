#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include <Imath/ImathVec.h>

#include "build/EyeballSurface.h"
#include "build/MeshAdjacency.h"
#include "build/RigBuilder.h"
#include "build/SphereFit.h"

namespace rghost::build {

// The hole of the head in front of `eyeball`: the boundary loop whose
// vertices lie closest to the eyeball's surface. Throws BuildError naming the
// eyeball (`eyeNumber`, counted from 1) when no loop lies near it.
std::vector<std::int32_t> openingInFront(const MeshAdjacency& mesh, const std::vector<std::vector<std::int32_t>>& holes,
                                         const Sphere& eyeball, int eyeNumber);

// Checks that `loop` is a closed edge loop of the mesh; throws BuildError
// naming the first vertex that is not joined to the next one.
void checkEdgeLoop(const MeshAdjacency& mesh, const std::vector<std::int32_t>& loop);

// An eye's directions from its own opening (the margin `points`) and its
// eyeball: front from the centre through the opening, temple along the
// opening's long axis pointing away from `nose` (a point on the nose's side,
// the other eyeball's centre), up across it on the side of `characterUp`.
EyeAxes openingAxes(const std::vector<Imath::V3d>& points, const Imath::V3d& center, const Imath::V3d& nose,
                    const Imath::V3d& characterUp);

// The two opposite vertices of `loop` (half the loop apart) furthest apart:
// their positions in the loop.
std::pair<std::size_t, std::size_t> widestSpan(const std::vector<std::int32_t>& loop,
                                               const std::vector<Imath::V3d>& points);

// How the opening `loop` arches, per its widest span's length: from the
// span's middle towards the loop's centroid, square to the span and to
// `front`. An eye arches more over its upper lid than under its lower one,
// so this points up wherever the lids differ.
Imath::V3d openingArch(const std::vector<std::int32_t>& loop, const std::vector<Imath::V3d>& points,
                       const Imath::V3d& front);

// Where the margin splits into lids: positions in the margin loop.
struct MarginSplit {
    std::size_t innerCorner = 0;
    std::size_t outerCorner = 0;
    std::vector<std::size_t> upper; // from the inner to the outer corner
    std::vector<std::size_t> lower; // from the inner to the outer corner
    // An odd margin's one vertex that is no lid column: it lies between the
    // outer corner and the lid column `extraAim`, and follows them.
    std::optional<std::size_t> extra;
    std::size_t extraAim = 0;
};

// The corners are the two opposite margin vertices (half the loop apart, so
// both lids get as many columns; an odd loop leaves one vertex over)
// furthest apart, the inner one on the nose's side of the eye's temple axis;
// the upper lid is the half further up. Overrides in `overrides` name margin
// vertices. Throws BuildError naming the loop (its first vertex) or the
// vertex when this cannot be done.
MarginSplit splitMargin(const std::vector<std::int32_t>& margin, const std::vector<Imath::V3d>& points,
                        const EyeAxes& axes, const EyeOverrides& overrides);

} // namespace rghost::build
