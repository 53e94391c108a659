#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include <Imath/ImathVec.h>

namespace rghost {

// Index of the first point with a coordinate that is NaN or infinite; the
// point count when every point is finite.
std::size_t firstNonFinitePoint(const std::vector<Imath::V3d>& points);

// "vertex 17 is not finite (inf, 0.5, -nan)", for messages about `points[vertex]`.
std::string describeNonFinitePoint(const std::vector<Imath::V3d>& points, std::size_t vertex);

} // namespace rghost
