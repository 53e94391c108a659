#pragma once

#include <cstdint>
#include <vector>

#include "build/EyeOpening.h"
#include "build/EyeRows.h"
#include "build/EyeballSurface.h"
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

} // namespace rghost::build
