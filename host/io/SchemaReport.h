#pragma once

#include <string>
#include <vector>

#include "rg/AttributeDescriptor.h"

namespace rghost {

// The value class a type code stands for ("RgDouble", ...), or "type <code>"
// for a code this host does not know.
std::string attributeTypeName(AttributeType type);

// The declared attributes as an aligned table, one per line under a header:
// key, short name, type, form ("value" or, when option3 is set, "values"),
// default, the flags that are set and what the control does (from the control
// reference; empty for keys it does not know). Nested attributes follow their
// parent, indented.
std::string formatSchemaTable(const std::vector<AttributeDescriptor>& attributes);

// The declared attributes as a JSON list holding every member of each
// descriptor, its eye side and group, and the control reference's description,
// unit, useful range and interactions (null for keys it does not know).
std::string formatSchemaJson(const std::vector<AttributeDescriptor>& attributes);

} // namespace rghost
