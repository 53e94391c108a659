#pragma once

#include <string>

#include "rg/RgNode.h"

// Where a node's messages go. Every message is one error line through Maya's
// error display that starts with the node's Maya name, fetched only when a
// message is built.

// Where a check sits in the source; assertion lines name it so every check can be
// told apart.
struct CheckSite {
    const char* file;
    int line;
};
#define LIDSHAPER_CHECK_SITE (CheckSite{__FILE__, __LINE__})

// The messages of one node, handed to the code that works for it.
class MessageSink {
public:
    explicit MessageSink(const RgNode& node) : node_(node) {}

    // "<node>: ASSERT error (<file>:<line>): <text>"
    void assertion(CheckSite site, const std::string& text) const;

    // "<node>: get attributes: cannot find '<key>' (<type>) attribute"
    void missingAttribute(const std::string& key, const char* typeWord) const;

    // "<node>: get attributes: invalid type of '<key>' (<type> expected)"
    void wrongAttributeType(const std::string& key, const char* typeWord) const;

private:
    std::string nodeName() const;

    const RgNode& node_;
};
