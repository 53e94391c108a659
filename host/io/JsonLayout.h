#pragma once

#include <string>

#include <nlohmann/json.hpp>

namespace rghost {

// `document` as text with its outer `expandedLevels` levels of containers
// spread one entry per line and everything deeper kept on one line: a file a
// person can scan (one attribute or frame a line) without a line per number.
// Numbers read back as the same double. Strings that are not UTF-8 are handled
// by `invalidText` (nlohmann's strict handler throws, `replace` substitutes).
std::string layOutJson(const nlohmann::ordered_json& document, int expandedLevels,
                       nlohmann::ordered_json::error_handler_t invalidText);

} // namespace rghost
