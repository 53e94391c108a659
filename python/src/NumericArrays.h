#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <pybind11/numpy.h>

namespace lidshaper {

namespace py = pybind11;

// Which NumPy kinds an argument accepts: booleans only, integers only, or any
// real number (integers included).
enum class NumberKind { Boolean, Integer, Real };

template <typename Element>
using NumericArray = py::array_t<Element, py::array::c_style | py::array::forcecast>;

using Shape = std::optional<std::vector<py::ssize_t>>;
inline const Shape kAnyShape = std::nullopt;

// The shape with these axes; no axes: a single number.
inline Shape axes(std::initializer_list<py::ssize_t> lengths)
{
    return std::vector<py::ssize_t>(lengths);
}

// `object` as a C-contiguous array of `Element` (bool, std::int32_t, float or
// double) with the given shape (-1: any length on that axis). An array already of that
// type and layout is returned as it is, without a copy. Throws TypeError for
// another kind of element, ValueError for another shape, an integer beyond
// 32 bits or a number that is not finite (after conversion, so a double beyond
// the float range counts too); messages start with `name`.
template <typename Element>
NumericArray<Element> numericArray(py::handle object, const std::string& name, NumberKind kind, const Shape& shape);

// The name of `object`'s Python type ("str", "list"), for messages about a
// rejected argument.
std::string pythonTypeName(py::handle object);

} // namespace lidshaper
