#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "build/MeshAdjacency.h"

namespace rghost::build {

// Concentric edge loops around a closed loop of vertices. Each ring is ordered
// like the one it grew from, so entry j of every ring lies on one line of
// edges running outwards: the loop's columns.

// Which faces a ring grows into: those whose winding runs along the ring's
// order, or against it. With a consistently wound mesh the side stays the
// same from ring to ring.
enum class RingSide { AlongWinding, AgainstWinding };

struct RingStep {
    std::vector<std::int32_t> ring; // empty when the ring cannot continue
    std::int32_t stuckAt = -1;      // the vertex where it cannot
    std::string why;                // what is there instead of a quad, for the message
};

// The loop next to `ring` across its quads on `side`. `taken` marks vertices
// that already belong to rings (the new ring's vertices are marked too).
RingStep nextRing(const MeshAdjacency& mesh, const std::vector<std::int32_t>& ring, RingSide side,
                  std::vector<char>& taken);

// Whether `ring` has a face on `side` at every edge.
bool hasFacesOn(const MeshAdjacency& mesh, const std::vector<std::int32_t>& ring, RingSide side);

} // namespace rghost::build
