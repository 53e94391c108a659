#pragma once

#include <memory>
#include <string>

#include "rg/AttributeMap.h"
#include "rg/RgNode.h"

// Every message the node shows is one line that starts with the node's Maya name.

// The name of the dependency node the node stands for, fetched when a message
// is built.
std::string nodeName(const RgNode& node);

// Shows one error line through Maya's error display.
void reportError(std::string message);

// Where a check sits in the source; assertion lines name it so every check can be
// told apart.
struct CheckSite {
    const char* file;
    int line;
};
#define LIDSHAPER_CHECK_SITE (CheckSite{__FILE__, __LINE__})

// "<node>: ASSERT error (<file>:<line>): <text>"
void reportAssertion(const RgNode& node, CheckSite site, const std::string& text);

// "<node>: get attributes: cannot find '<key>' (<type>) attribute"
void reportMissingAttribute(const RgNode& node, const std::string& key, const char* typeWord);

// "<node>: get attributes: invalid type of '<key>' (<type> expected)"
void reportWrongAttributeType(const RgNode& node, const std::string& key, const char* typeWord);

// The value under `key` as class Value, sharing ownership with the map entry.
// A missing key, an empty entry or a value of another class shows its one
// message and gives an empty handle. No conversion between classes is tried.
template <typename Value>
std::shared_ptr<const Value> getTypedAttribute(const RgNode& node, const AttributeMap& attributes,
                                               const std::string& key)
{
    const auto entry = attributes.find(key);
    if (entry == attributes.end()) {
        reportMissingAttribute(node, key, typeWord<Value>());
        return nullptr;
    }
    auto typed = std::dynamic_pointer_cast<const Value>(entry->second);
    if (!typed)
        reportWrongAttributeType(node, key, typeWord<Value>());
    return typed;
}
