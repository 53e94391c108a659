#pragma once

#include <pybind11/pybind11.h>

namespace lidshaper {

namespace py = pybind11;

// Registers bake_rig, the bake of one rig file that lidshaper.bake hands its
// workers, and merge, which joins the result files of chunks of one bake.
void bindBake(py::module_& module);

} // namespace lidshaper
