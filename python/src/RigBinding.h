#pragma once

#include <pybind11/pybind11.h>

#include "core/Rig.h"

namespace lidshaper {

namespace py = pybind11;

// The rig file at `path`; FileNotFoundError when there is none, ValueError
// naming the file and the JSON path of the fault when it cannot be read.
rghost::Rig readRig(const std::string& path);

// Registers Rig, FrameResult, read_rig and sample_rig.
void bindRig(py::module_& module);

} // namespace lidshaper
