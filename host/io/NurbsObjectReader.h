#pragma once

#include <mayastandin/StandIn.h>
#include <nlohmann/json.hpp>

#include "io/JsonPath.h"
#include "rg/NurbsCurveData.h"

namespace rghost {

// A curve object `{"cvs", "knots", "degree"}`. The lists are taken as they are:
// whether they form a valid curve is for the deformer to decide.
NurbsCurveData readCurveObject(const nlohmann::json& value, const JsonPath& path);

// A surface object of a rig file, checked to make a consistent surface.
mayastandin::NurbsSurfaceDescription readSurfaceObject(const nlohmann::json& value, const JsonPath& path);

} // namespace rghost
