#pragma once

#include <memory>
#include <string>

#include "rg/AttributeMap.h"

namespace rghost {

// The value under `key` if it is there and of class `Value`, else null.
template <typename Value>
std::shared_ptr<const Value> valueAs(const AttributeMap& attributes, const std::string& key)
{
    const auto entry = attributes.find(key);
    return entry == attributes.end() ? nullptr : std::dynamic_pointer_cast<const Value>(entry->second);
}

} // namespace rghost
