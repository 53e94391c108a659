#pragma once

#include <pybind11/pybind11.h>

namespace lidshaper {

namespace py = pybind11;

// Registers overlay and overlay_categories: what the node works with, as
// lines, points and labels in world space, for viewers to draw.
void bindOverlay(py::module_& module);

} // namespace lidshaper
