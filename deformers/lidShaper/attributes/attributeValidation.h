#pragma once

#include "attributes/messageSink.h"
#include "rg/AttributeMap.h"
#include "rg/RgStatus.h"

// Checks that the map holds every key the node reads, with its value class:
// "DEBUG_MODE", "CACHE_ATTRIBUTES", "ENVELOPE", the left eye's keys, the right
// eye's keys and the soft region, in that order. The first bad key is reported
// and ends the pass; values are not looked at.
RgStatus validateAttributeMap(const MessageSink& messages, const AttributeMap& attributes);
