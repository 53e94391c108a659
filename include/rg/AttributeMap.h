#pragma once

#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "rg/RgData.h"

// Keys sort by plain byte comparison over the common length; on a tie the
// shorter key comes first. Keys match exactly, letter case included.
struct ByteWiseKeyLess {
    bool operator()(const std::string& a, const std::string& b) const
    {
        const std::size_t common = a.size() < b.size() ? a.size() : b.size();
        const int order = common == 0 ? 0 : std::memcmp(a.data(), b.data(), common);
        return order != 0 ? order < 0 : a.size() < b.size();
    }
};

// The host's attribute values by key. An entry may hold an empty pointer.
using AttributeMap = std::map<std::string, std::shared_ptr<RgData>, ByteWiseKeyLess>;
