#include "io/PointCacheFile.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace rghost {

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
              "Point Cache 2 files are little-endian, like this machine's memory");

namespace {

template <typename T>
void appendRaw(std::string& bytes, T value)
{
    char raw[sizeof value];
    std::memcpy(raw, &value, sizeof value);
    bytes.append(raw, sizeof value);
}

std::int32_t headerCount(std::size_t count, const char* what)
{
    if (count > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
        throw std::invalid_argument(std::string("a point cache holds at most 2^31-1 ") + what + ", not " +
                                    std::to_string(count));
    }
    return static_cast<std::int32_t>(count);
}

// Beyond float range a coordinate becomes the largest float of its sign: a
// cache never holds an infinity (the points it gets are finite doubles).
float toFloat(double value)
{
    const double largest = std::numeric_limits<float>::max();
    return static_cast<float>(std::clamp(value, -largest, largest));
}

} // namespace

std::string formatPointCacheHeader(std::size_t pointCount, double startFrame, std::size_t frameCount)
{
    std::string header("POINTCACHE2", 12); // the signature with its terminating zero
    appendRaw(header, std::int32_t{1});
    appendRaw(header, headerCount(pointCount, "points"));
    appendRaw(header, toFloat(startFrame));
    appendRaw(header, 1.0f);
    appendRaw(header, headerCount(frameCount, "frames"));
    return header;
}

void appendPointCacheFrame(std::string& bytes, const std::vector<Imath::V3d>& points)
{
    const std::size_t start = bytes.size();
    bytes.resize(start + points.size() * 3 * sizeof(float));
    char* out = bytes.data() + start;
    for (const Imath::V3d& point : points) {
        const float xyz[3] = {toFloat(point.x), toFloat(point.y), toFloat(point.z)};
        std::memcpy(out, xyz, sizeof xyz);
        out += sizeof xyz;
    }
}

} // namespace rghost
