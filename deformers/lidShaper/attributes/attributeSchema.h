#pragma once

#include <vector>

#include "rg/AttributeDescriptor.h"

// Appends the node's 69 attribute descriptors: the left eye's 34, the right
// eye's 34, then the soft region.
void appendAttributeSchema(std::vector<AttributeDescriptor>& attributes);
