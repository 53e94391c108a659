#include "build/CornerList.h"

#include <algorithm>

#include "lidShaper/rigContract.h"

using namespace rigContract;

namespace rghost::build {

using Imath::V3d;

std::vector<std::int32_t> cornerListOf(const CornerColumn& inner, const CornerColumn& outer)
{
    const std::size_t centerRows = inner.socketRows.size();
    const std::size_t betweenRows = inner.skinRows.size();
    const std::size_t carriedEnd = cornerList::carriedEnd(centerRows, betweenRows);
    const std::size_t third = std::max<std::size_t>(cornerList::kMinimumSize / 3, carriedEnd);
    std::vector<std::int32_t> q(3 * third, inner.margin);
    using cornerList::Ring;
    const CornerColumn* corners[2] = {&inner, &outer};
    for (std::size_t c = 0; c < 2; ++c) {
        const CornerColumn& corner = *corners[c];
        const auto pair = [&](Ring ring, bool second) -> std::int32_t& {
            return q[cornerList::pairEntry(q.size(), ring, c, second)];
        };
        pair(Ring::Corner, false) = corner.margin;
        pair(Ring::Corner, true) = corner.crease;
        pair(Ring::FirstNeighbour, false) = corner.upperMargin;
        pair(Ring::FirstNeighbour, true) = corner.upperCrease;
        pair(Ring::SecondNeighbour, false) = corner.lowerMargin;
        pair(Ring::SecondNeighbour, true) = corner.lowerCrease;
        const std::size_t start = cornerList::carriedStart(c, centerRows, betweenRows);
        std::copy(corner.socketRows.begin(), corner.socketRows.end(), q.begin() + static_cast<std::ptrdiff_t>(start));
        std::copy(corner.skinRows.begin(), corner.skinRows.end(),
                  q.begin() + static_cast<std::ptrdiff_t>(start + centerRows));
    }
    return q;
}

V3d cornerOffset(const V3d& corner, const V3d& above, const V3d& below, const V3d& center)
{
    // The node takes the direction of (smoothed.x + x, smoothed.y + y,
    // smoothed.z): scaling the wanted direction to the smoothed z makes it
    // exact. Where the corner's z from the centre is (nearly) zero or on the
    // other side, a long offset along the wanted direction comes as close as
    // the node allows.
    const V3d smoothed = (above * 5.0 + corner * 6.0 + below * 5.0) / 16.0 - center;
    const V3d wanted = corner - center;
    double scale = smoothed.z / wanted.z;
    const double longest = 1e3 * smoothed.length() / wanted.length();
    if (!(scale > 0.0) || scale > longest) {
        scale = longest;
    }
    return V3d(wanted.x * scale - smoothed.x, wanted.y * scale - smoothed.y, 0.0);
}

} // namespace rghost::build
