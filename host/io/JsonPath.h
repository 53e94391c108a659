#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace rghost {

// Where a value sits in a rig or result document, written the way messages name
// it: `frames[2].attributes."ENVELOPE".value`. Keys of an `attributes` map (and
// any key that is not a plain identifier) are quoted, because they are free-form
// bytes chosen by the rig's author; the format's own field names are not.
//
// A path is only a link to its parent plus one step, and is turned into text
// only when a message needs it, so that reading millions of values costs
// nothing for their paths. It refers to its parent and to the key it was given:
// pass it down a call chain, never keep it past them.
class JsonPath {
public:
    JsonPath() = default; // the whole document
    JsonPath(const JsonPath&) = default;
    JsonPath& operator=(const JsonPath&) = delete;

    JsonPath operator/(std::string_view key) const { return JsonPath(this, key, 0); }
    JsonPath operator[](std::size_t index) const { return JsonPath(this, {}, index, true); }

    // The path as text; the whole document reads as "document".
    std::string str() const;

private:
    JsonPath(const JsonPath* parent, std::string_view key, std::size_t index, bool isIndex = false)
        : parent_(parent), key_(key), index_(index), isIndex_(isIndex)
    {
    }

    const JsonPath* parent_ = nullptr;
    std::string_view key_;
    std::size_t index_ = 0;
    bool isIndex_ = false;
};

// `key` as a JSON string literal on one line, whatever bytes it holds.
std::string quotedKey(std::string_view key);

} // namespace rghost
