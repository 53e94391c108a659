#pragma once

#include <cstdint>
#include <vector>

#include <Imath/ImathVec.h>

namespace rghost::build {

// One eye corner's column of vertices and the lid columns next to it.
struct CornerColumn {
    std::int32_t margin = -1;
    std::int32_t crease = -1;
    std::vector<std::int32_t> socketRows; // from the margin into the socket
    std::vector<std::int32_t> skinRows;   // from the margin to the crease
    std::int32_t upperMargin = -1;        // the upper lid's column nearest the corner
    std::int32_t upperCrease = -1;
    std::int32_t lowerMargin = -1; // the lower lid's column nearest the corner
    std::int32_t lowerCrease = -1;
};

// An eye's corner list, inner corner first: the corners (margin, crease),
// their upper neighbours at one third of the list and lower neighbours at two
// thirds, and from entry 4 each corner's socket and skin rows, which move
// with it. The third is long enough that these rows end before the
// neighbours begin; entries nobody reads keep the inner corner's index.
std::vector<std::int32_t> cornerListOf(const CornerColumn& inner, const CornerColumn& outer);

// With the eye open a corner is drawn to the smoothed average of itself and
// its two lid neighbours; the offset (x and y added to that average before
// the direction from `center` is taken) turns that pull back onto the
// corner's own direction, so the open pose holds still.
Imath::V3d cornerOffset(const Imath::V3d& corner, const Imath::V3d& above, const Imath::V3d& below,
                        const Imath::V3d& center);

} // namespace rghost::build
