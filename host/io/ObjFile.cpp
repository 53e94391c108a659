#include "io/ObjFile.h"

#include <algorithm>

#include "io/ShortestNumber.h"

namespace rghost {

namespace {

std::string unsignedDigits(std::int64_t value)
{
    const std::uint64_t magnitude =
        value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    return std::to_string(magnitude);
}

} // namespace

std::string formatObj(const std::vector<Imath::V3d>& points, const std::vector<std::vector<std::int32_t>>& faces)
{
    std::string text;
    for (const Imath::V3d& point : points) {
        text += 'v';
        for (int axis = 0; axis < 3; ++axis) {
            text += ' ';
            // Non-finite coordinates come out as nan or inf: OBJ has no other spelling.
            appendShortestNumber(text, point[axis]);
        }
        text += '\n';
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

int frameNumberDigits(std::int64_t firstFrame, std::int64_t lastFrame)
{
    const std::size_t widest = std::max(unsignedDigits(firstFrame).size(), unsignedDigits(lastFrame).size());
    return static_cast<int>(std::max<std::size_t>(4, widest));
}

std::string objFileName(std::int64_t frame, int digits)
{
    const std::string number = unsignedDigits(frame);
    const std::size_t padding = number.size() < static_cast<std::size_t>(digits) ? digits - number.size() : 0;
    return std::string("frame.") + (frame < 0 ? "-" : "") + std::string(padding, '0') + number + ".obj";
}

} // namespace rghost
