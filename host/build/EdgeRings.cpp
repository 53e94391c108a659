#include "build/EdgeRings.h"

namespace rghost::build {

namespace {

// The face on `side` of the ring edge a->b, or -1.
std::int32_t faceOn(const MeshAdjacency& mesh, std::int32_t a, std::int32_t b, RingSide side)
{
    for (std::int32_t f : mesh.edgeFaces(a, b)) {
        const bool along = mesh.cornerAfter(f, a) == b;
        if (along == (side == RingSide::AlongWinding)) {
            return f;
        }
    }
    return -1;
}

} // namespace

bool hasFacesOn(const MeshAdjacency& mesh, const std::vector<std::int32_t>& ring, RingSide side)
{
    for (std::size_t j = 0; j < ring.size(); ++j) {
        if (faceOn(mesh, ring[j], ring[(j + 1) % ring.size()], side) < 0) {
            return false;
        }
    }
    return true;
}

RingStep nextRing(const MeshAdjacency& mesh, const std::vector<std::int32_t>& ring, RingSide side,
                  std::vector<char>& taken)
{
    const std::size_t n = ring.size();
    const bool along = side == RingSide::AlongWinding;
    // Each ring vertex's next vertex outwards, as seen from the quad after it
    // and from the quad before it along the ring: the two must agree.
    std::vector<std::int32_t> fromAfter(n, -1);
    std::vector<std::int32_t> fromBefore(n, -1);
    RingStep step;
    for (std::size_t j = 0; j < n; ++j) {
        const std::int32_t a = ring[j];
        const std::int32_t b = ring[(j + 1) % n];
        const std::int32_t f = faceOn(mesh, a, b, side);
        if (f < 0) {
            step.stuckAt = a;
            step.why = "the mesh ends";
            return step;
        }
        const std::size_t corners = mesh.mesh().faces[f].size();
        if (corners != 4) {
            step.stuckAt = a;
            step.why = corners == 3 ? "a triangle" : "an n-gon of " + std::to_string(corners) + " sides";
            return step;
        }
        fromAfter[j] = along ? mesh.cornerBefore(f, a) : mesh.cornerAfter(f, a);
        fromBefore[(j + 1) % n] = along ? mesh.cornerAfter(f, b) : mesh.cornerBefore(f, b);
    }
    for (std::size_t j = 0; j < n; ++j) {
        if (fromAfter[j] != fromBefore[j]) {
            step.stuckAt = ring[j];
            step.why = "a pole";
            return step;
        }
    }
    for (std::size_t j = 0; j < n; ++j) {
        if (taken[fromAfter[j]]) {
            step.stuckAt = ring[j];
            step.why = "a loop that closes on itself";
            for (std::size_t k = 0; k < j; ++k) {
                taken[fromAfter[k]] = 0;
            }
            return step;
        }
        taken[fromAfter[j]] = 1;
    }
    step.ring = std::move(fromAfter);
    return step;
}

} // namespace rghost::build
