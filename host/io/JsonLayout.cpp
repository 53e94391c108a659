#include "io/JsonLayout.h"

namespace rghost {

namespace {

using nlohmann::ordered_json;

using ErrorHandler = ordered_json::error_handler_t;

std::string compact(const ordered_json& value, ErrorHandler invalidText)
{
    return value.dump(-1, ' ', false, invalidText);
}

void layOut(const ordered_json& value, int expandedLevels, const std::string& indent, ErrorHandler invalidText,
            std::string& out)
{
    if (expandedLevels <= 0 || !value.is_structured() || value.empty()) {
        out += compact(value, invalidText);
        return;
    }
    const bool isObject = value.is_object();
    const std::string inner = indent + "  ";
    out += isObject ? "{\n" : "[\n";
    bool first = true;
    for (const auto& item : value.items()) {
        out += first ? "" : ",\n";
        first = false;
        out += inner;
        if (isObject) {
            out += compact(ordered_json(item.key()), invalidText) + ": ";
        }
        layOut(item.value(), expandedLevels - 1, inner, invalidText, out);
    }
    out += "\n" + indent + (isObject ? "}" : "]");
}

} // namespace

std::string layOutJson(const ordered_json& document, int expandedLevels, ErrorHandler invalidText)
{
    std::string text;
    layOut(document, expandedLevels, "", invalidText, text);
    text += '\n';
    return text;
}

} // namespace rghost
