#include "io/ObjFile.h"

#include <cstdio>

#include "io/AtomicFile.h"

namespace rghost {

std::string formatObj(const std::vector<Imath::V3d>& points, const std::vector<std::vector<std::int32_t>>& faces)
{
    std::string text;
    char line[128];
    for (const Imath::V3d& point : points) {
        // Non-finite coordinates come out as nan or inf: OBJ has no other spelling.
        const int length = std::snprintf(line, sizeof line, "v %.17g %.17g %.17g\n", point.x, point.y, point.z);
        text.append(line, static_cast<std::size_t>(length));
    }
    for (const auto& face : faces) {
        text += 'f';
        for (const std::int32_t index : face) {
            text += ' ';
            text += std::to_string(std::int64_t{index} + 1);
        }
        text += '\n';
    }
    return text;
}

std::string objFileName(std::size_t frame)
{
    char name[64];
    std::snprintf(name, sizeof name, "frame_%04zu.obj", frame);
    return name;
}

void writeObjFile(const std::string& path, const std::vector<Imath::V3d>& points,
                  const std::vector<std::vector<std::int32_t>>& faces)
{
    writeFileAtomically(path, formatObj(points, faces));
}

} // namespace rghost
