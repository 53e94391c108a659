#pragma once

#include <memory>

#include <nlohmann/json.hpp>

#include "core/Rig.h"
#include "io/JsonPath.h"
#include "rg/RgData.h"

namespace rghost {

// One attribute value of a rig file: `{"type", "value", "values"}` becomes the
// RgData class named by "type"; JSON null becomes an empty pointer. Surfaces the
// value makes are recorded in `rig.surfaces`.
std::shared_ptr<RgData> readAttributeValue(const nlohmann::json& value, const JsonPath& path, Rig& rig);

} // namespace rghost
