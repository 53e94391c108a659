#include "core/FinitePoints.h"

#include <cmath>

#include "core/ShortNumber.h"

namespace rghost {

std::size_t firstNonFinitePoint(const std::vector<Imath::V3d>& points)
{
    for (std::size_t i = 0; i < points.size(); ++i) {
        const Imath::V3d& p = points[i];
        if (!(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z))) {
            return i;
        }
    }
    return points.size();
}

std::string describeNonFinitePoint(const std::vector<Imath::V3d>& points, std::size_t vertex)
{
    const Imath::V3d& p = points[vertex];
    return "vertex " + std::to_string(vertex) + " is not finite (" + shortNumber(p.x) + ", " + shortNumber(p.y) + ", " +
           shortNumber(p.z) + ")";
}

} // namespace rghost
