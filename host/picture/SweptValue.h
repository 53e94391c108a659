#pragma once

#include <memory>
#include <string>

#include "core/Rig.h"

namespace rghost {

// `key` of `attributes` set to `value` in its own class: numbers as they are
// (integers rounded), booleans on from 0.5, and an eyeball surface turned by
// `value` degrees about the horizontal axis through its "...centerEye", as a
// look up (positive) or down; a turned surface is recorded in `rig`. Throws
// std::invalid_argument naming the key for any other class.
std::shared_ptr<RgData> sweptValue(Rig& rig, const AttributeMap& attributes, const std::string& key, double value);

} // namespace rghost
