#pragma once

#include <map>
#include <memory>
#include <string>

#include <pybind11/pybind11.h>

#include "rg/AttributeMap.h"

namespace lidshaper {

namespace py = pybind11;

// Python values as host values: a plain Python value takes the class its key
// declares, a typed value (lidshaper.Value) is shared as it is.

// The value class a key declares ("RgDouble", ...) and whether its readers take
// the list `values` rather than the single `value`.
struct DeclaredValue {
    std::string typeName;
    bool list = false;
};

// Declared values by key: the node's schema and the host's own keys.
using Declarations = std::map<std::string, DeclaredValue, ByteWiseKeyLess>;

// A value of the class named `typeName` holding the Python `value` and
// `values` (None: the class's zero value, an empty list). The NURBS classes
// take neither: they are made by Curve and Surface. Throws TypeError or
// ValueError whose message starts with `name`.
std::shared_ptr<RgData> typedValue(const std::string& typeName, py::handle value, py::handle values,
                                   const std::string& name);

// The host value for `object`: typed values are shared as they are, None is an
// entry holding an empty pointer, and a plain Python value takes the class and
// form `declared` gives (null: the key is unknown and the value needs a type).
// Throws TypeError or ValueError whose message starts with `name`.
std::shared_ptr<RgData> hostValue(py::handle object, const std::string& name, const DeclaredValue* declared);

// The attribute map of a Python mapping of key -> value (see hostValue); `name`
// is the argument's name in messages, e.g. "attrs" gives "attrs['ENVELOPE']".
AttributeMap attributeMap(py::handle mapping, const std::string& name, const Declarations& declarations);

} // namespace lidshaper
