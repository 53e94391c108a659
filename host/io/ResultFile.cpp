#include "io/ResultFile.h"

#include <cmath>

#include <nlohmann/json.hpp>

namespace rghost {

namespace {

using nlohmann::json;

std::string jsonText(const json& value)
{
    // Error lines are the node's bytes; a line that is not UTF-8 still gets written.
    return value.dump(-1, ' ', false, json::error_handler_t::replace);
}

void appendCoordinate(std::string& text, double value)
{
    if (!std::isfinite(value)) {
        text += "null";
        return;
    }
    // The routine nlohmann's dump uses for doubles, so the numbers read as
    // everywhere else in our JSON, without building a JSON value per number.
    char digits[64];
    text.append(digits, nlohmann::detail::to_chars(digits, digits + sizeof digits, value));
}

} // namespace

std::string formatResultHead(const std::string& nodeName)
{
    return "{\n  \"format\": \"rg-result/1\",\n  \"node\": " + jsonText(nodeName) + ",\n  \"frames\": [\n";
}

std::string formatResultFrame(const FrameResult& frame)
{
    std::string text = "    {\"frame\":" + std::to_string(frame.frame) +
                       ",\"status\":" + std::to_string(static_cast<std::int32_t>(frame.status)) +
                       ",\"statusName\":" + jsonText(statusName(frame.status)) +
                       ",\"errors\":" + jsonText(frame.errors) + ",\"points\":[";
    // About 20 characters a coordinate.
    text.reserve(text.size() + frame.points.size() * 64 + 3);
    for (std::size_t i = 0; i < frame.points.size(); ++i) {
        text += i == 0 ? "[" : ",[";
        for (int axis = 0; axis < 3; ++axis) {
            if (axis != 0) {
                text += ',';
            }
            appendCoordinate(text, frame.points[i][axis]);
        }
        text += ']';
    }
    text += "]}";
    return text;
}

} // namespace rghost
