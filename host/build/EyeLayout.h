#pragma once

#include <cstdint>
#include <vector>

#include "build/EyeOpening.h"
#include "build/EyeRows.h"
#include "build/EyeballSurface.h"
#include "build/MeshAdjacency.h"
#include "build/SphereFit.h"

namespace rghost::build {

// Everything found about one eye: its eyeball, its directions, its loops and
// where the margin splits into lids.
struct EyeLayout {
    Sphere eyeball;
    EyeAxes axes;
    EyeRings rings;
    MarginSplit split;
    double width = 0.0; // corner to corner
    bool marginIsHole = false;

    const std::vector<std::int32_t>& margin() const { return rings.rings[rings.margin]; }
    std::int32_t vertex(std::size_t position, std::size_t ring) const { return rings.rings[ring][position]; }
    int centerRows() const { return static_cast<int>(rings.margin - rings.socket); }
    int betweenRows() const { return static_cast<int>(rings.crease - rings.margin - 1); }
};

// The mean of the points of `loop`.
Imath::V3d loopCentroid(const std::vector<std::int32_t>& loop, const std::vector<Imath::V3d>& points);

// Finds one eye's opening (the hole in front of its eyeball, or the margin
// given) and the loops around it, and the way it faces: the first half of an
// eye's layout, which the character's directions come from. `index` numbers
// the eyeball in messages (from 0).
EyeLayout walkEye(const MeshAdjacency& mesh, const std::vector<std::vector<std::int32_t>>& holes, const Sphere& eyeball,
                  const EyeOverrides& overrides, std::size_t index);

// The second half: the margin among the eye's loops, its corners and lids,
// and its crease. `nose` is a point on the nose's side of the eye (the other
// eyeball's centre). Throws BuildError naming the loop or vertex at fault.
void finishEye(EyeLayout& layout, const MeshAdjacency& mesh, const EyeOverrides& overrides, const Imath::V3d& nose,
               const Imath::V3d& characterUp);

// `base` with whatever `more` sets (its margin aside).
EyeOverrides withOverrides(EyeOverrides base, const EyeOverrides& more);

} // namespace rghost::build
