#pragma once

#include "rg/AttributeMap.h"
#include "rg/RgStatus.h"

// The host's command protocol. "HELP", "NODE_NAME" and "RG_NODE_PTR" must be
// present (a missing one throws std::out_of_range); "RG_NODE_PTR" holds the node
// whose name prefixes messages. The three attribute pointers must be present,
// RgPtr and non-null. On success "OUTPUT" is replaced by the reply "Commands: ".
RgStatus answerHelp(AttributeMap& arguments);
