#pragma once

#include <pybind11/pybind11.h>

namespace lidshaper {

namespace py = pybind11;

// Registers Rig, FrameResult, read_rig and sample_rig.
void bindRig(py::module_& module);

} // namespace lidshaper
