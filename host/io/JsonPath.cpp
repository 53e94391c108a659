#include "io/JsonPath.h"

#include <vector>

#include <nlohmann/json.hpp>

namespace rghost {

namespace {

bool isPlainIdentifier(std::string_view key)
{
    const auto isLetter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; };
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    if (key.empty() || !isLetter(key.front())) {
        return false;
    }
    for (const char c : key) {
        if (!isLetter(c) && !isDigit(c)) {
            return false;
        }
    }
    return true;
}

} // namespace

std::string quotedKey(std::string_view key)
{
    // The replace handler keeps the message printable even for bytes that are
    // not UTF-8; everything else is escaped by the JSON rules, so no newline leaks in.
    return nlohmann::json(std::string(key)).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string JsonPath::str() const
{
    std::vector<const JsonPath*> steps;
    for (const JsonPath* step = this; step->parent_ != nullptr; step = step->parent_) {
        steps.push_back(step);
    }
    if (steps.empty()) {
        return "document";
    }
    std::string text;
    bool keysAreUserKeys = false;
    for (auto step = steps.rbegin(); step != steps.rend(); ++step) {
        const JsonPath& path = **step;
        if (path.isIndex_) {
            text += '[' + std::to_string(path.index_) + ']';
            keysAreUserKeys = false;
            continue;
        }
        const bool quoted = keysAreUserKeys || !isPlainIdentifier(path.key_);
        if (!text.empty()) {
            text += '.';
        }
        text += quoted ? quotedKey(path.key_) : std::string(path.key_);
        keysAreUserKeys = !quoted && path.key_ == "attributes";
    }
    return text;
}

} // namespace rghost
