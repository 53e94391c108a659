#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "build/EdgeRings.h"
#include "build/RigBuilder.h"
#include "build/SphereFit.h"

namespace rghost::build {

// The concentric loops of one eye, all in the margin's order: rings[k][j] is
// ring k of the loop column at margin position j. Rings before `margin` run
// into the socket (the deepest first), rings after it over the lid skin to
// the crease and on into the face. Rings from `socket` to the margin move
// with the lids as their center rows.
struct EyeRings {
    std::vector<std::vector<std::int32_t>> rings;
    std::size_t socket = 0;
    std::size_t margin = 0;
    std::size_t crease = 0;
    RingStep stop; // why the rings end where they do
};

// Walks the loops from `opening` across its faces on `side` for as long as
// they continue and lie within `reach` of it; `taken` marks the vertices
// already in a loop.
EyeRings walkRings(const MeshAdjacency& mesh, const std::vector<std::int32_t>& opening, RingSide side, double reach,
                   std::vector<char>& taken);

// The margin among the rings: the first loop from which the next one
// widens the opening as seen from the eyeball's centre by more than it rises
// from it (socket loops only rise towards the margin along the lines to the
// centre, or narrow the opening), past every loop that lies inside the
// eyeball. The loops behind it that lie on the lines from the margin to the
// eyeball's centre become center rows: the node lays them on those lines.
// `centerRows` overrides both (all loops behind the margin are then center
// rows). Throws BuildError when the rings do not reach as far.
void chooseMargin(EyeRings& rings, const std::vector<Imath::V3d>& points, const Sphere& eyeball,
                  const Imath::V3d& front, std::optional<int> centerRows);

// The crease: the loop where the skin's lines of edges fold most sharply
// away from the eyeball's `center`, within `reach` of the margin;
// `betweenRows` overrides.
void chooseCrease(EyeRings& rings, const std::vector<Imath::V3d>& points, const Imath::V3d& center, double reach,
                  std::optional<int> betweenRows);

} // namespace rghost::build
