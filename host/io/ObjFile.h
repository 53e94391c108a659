#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <Imath/ImathVec.h>

namespace rghost {

// A Wavefront OBJ mesh: one `v x y z` line per point (each coordinate in the
// shortest text that reads back as the same double) and one `f` line per face
// with 1-based indices. Coordinates are the rig's own, unconverted.
std::string formatObj(const std::vector<Imath::V3d>& points, const std::vector<std::vector<std::int32_t>>& faces);

// How many digits the frame numbers of a sequence firstFrame..lastFrame are
// padded to: at least 4, and enough for the widest of the two, so the names
// sort in frame order.
int frameNumberDigits(std::int64_t firstFrame, std::int64_t lastFrame);

// The name of frame `frame`'s mesh in a sequence: frame.1001.obj, with the
// number zero-padded to `digits`.
std::string objFileName(std::int64_t frame, int digits);

} // namespace rghost
