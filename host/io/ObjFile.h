#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <Imath/ImathVec.h>

namespace rghost {

// A Wavefront OBJ mesh: one `v x y z` line per point (17 significant digits,
// so each coordinate reads back as the same double) and one `f` line per face
// with 1-based indices.
std::string formatObj(const std::vector<Imath::V3d>& points, const std::vector<std::vector<std::int32_t>>& faces);

// The file name rghost gives the mesh of frame `frame`: frame_0000.obj, frame_0001.obj, ...
std::string objFileName(std::size_t frame);

// formatObj written atomically to `path` (see writeFileAtomically).
void writeObjFile(const std::string& path, const std::vector<Imath::V3d>& points,
                  const std::vector<std::vector<std::int32_t>>& faces);

} // namespace rghost
