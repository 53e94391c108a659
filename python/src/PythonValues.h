#pragma once

#include <memory>
#include <string>

#include <pybind11/pybind11.h>

#include "ValueClasses.h"
#include "core/Rig.h"

namespace lidshaper {

namespace py = pybind11;

// Host values as Python sees them.

// The class name of a value ("RgDouble", ...), "unknown" for an empty pointer.
std::string typeNameOf(const std::shared_ptr<RgData>& data);

// The Python value of an entry: None, a Curve, a Surface (when `rig` records
// its description) or a Value.
py::object pythonValue(const std::shared_ptr<RgData>& data, const rghost::Rig* rig);

// A typed value's `value`: a number, a bool, an (x, y, z) tuple, a str or an
// address (None for a null one); the value itself for a curve or a surface;
// None for an empty surface or an unknown class.
py::object valueOf(const Value& value);

// A typed value's `values`: a NumPy array for numbers and vectors, a list for
// strs and addresses, an empty list for the NURBS classes.
py::object valuesOf(const Value& value);

} // namespace lidshaper
