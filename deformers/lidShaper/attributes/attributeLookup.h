#pragma once

#include <memory>
#include <string>

#include "attributes/messageSink.h"
#include "rg/AttributeMap.h"

// The value under `key` as class Value, sharing ownership with the map entry.
// A missing key, an empty entry or a value of another class shows its one
// message and gives an empty handle. No conversion between classes is tried.
template <typename Value>
std::shared_ptr<const Value> getTypedAttribute(const MessageSink& messages, const AttributeMap& attributes,
                                               const std::string& key)
{
    const auto entry = attributes.find(key);
    if (entry == attributes.end()) {
        messages.missingAttribute(key, typeWord<Value>());
        return nullptr;
    }
    auto typed = std::dynamic_pointer_cast<const Value>(entry->second);
    if (!typed)
        messages.wrongAttributeType(key, typeWord<Value>());
    return typed;
}
