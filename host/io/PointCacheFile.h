#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include <Imath/ImathVec.h>

namespace rghost {

// Point Cache 2 (.pc2), the binary point cache DCCs stream onto a mesh whose
// point order matches: a 32-byte header ("POINTCACHE2\0", version 1, point
// count, start frame, sample rate, sample count), then one sample per frame,
// each point as three little-endian float32 x y z. Coordinates are the rig's
// own, unconverted, but for coordinates beyond float range, which are held as
// the largest float of their sign; one sample per frame (sample rate 1).
std::string formatPointCacheHeader(std::size_t pointCount, double startFrame, std::size_t frameCount);

// One frame's sample appended to `bytes`.
void appendPointCacheFrame(std::string& bytes, const std::vector<Imath::V3d>& points);

} // namespace rghost
