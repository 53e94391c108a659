#pragma once

#include <vector>

#include <Imath/ImathMatrix.h>
#include <Imath/ImathVec.h>
#include <pybind11/numpy.h>

#include "NumericArrays.h"

namespace lidshaper {

// Points and matrices between NumPy and the host's Imath types. A point list
// is laid out as an (N, 3) float64 array, so the two copy into each other
// with one memcpy.

std::vector<Imath::V3d> pointList(const NumericArray<double>& points);

// An (N, 3) float64 array holding a copy of `points`.
py::array_t<double> pointArray(const std::vector<Imath::V3d>& points);

// An (N, 3) float64 array that takes over `points` without copying them.
py::array_t<double> adoptPointArray(std::vector<Imath::V3d>&& points);

// The point list an array made by adoptPointArray holds, when `array` is
// still that whole array; null for every other array.
std::vector<Imath::V3d>* adoptedPointList(const py::array& array);

// A 4x4 matrix (row-major, row-vector convention) from a (4, 4) array-like;
// throws naming `name` as numericArray does.
Imath::M44d matrixFrom(py::handle object, const std::string& name);

py::array_t<double> matrixArray(const Imath::M44d& matrix);

} // namespace lidshaper
