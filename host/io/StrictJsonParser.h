#pragma once

#include <cstddef>
#include <string_view>

#include <nlohmann/json.hpp>

namespace rghost {

// Rig files nest only a few levels; anything deeper is hostile or broken.
constexpr std::size_t maxJsonDepth = 64;

// Parses one JSON document, stricter than plain JSON: an object may not repeat a
// key, and containers may not nest deeper than `maxDepth`. Nothing follows the
// document but white space. Throws RigFileError naming the path of the fault
// (and the line and column for malformed text).
nlohmann::json parseStrictJson(std::string_view text, std::size_t maxDepth = maxJsonDepth);

} // namespace rghost
