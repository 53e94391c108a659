#pragma once

#include <pybind11/pybind11.h>

namespace lidshaper {

namespace py = pybind11;

// Registers build_rig: a rig built from a head mesh and its eyeballs.
void bindBuild(py::module_& module);

} // namespace lidshaper
