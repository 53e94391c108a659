#pragma once

#include <map>
#include <memory>
#include <string>

#include <mayastandin/StandIn.h>
#include <pybind11/pybind11.h>

#include "core/Rig.h"
#include "rg/AttributeMap.h"

namespace lidshaper {

namespace py = pybind11;

// The value class a key declares ("RgDouble", ...) and whether its readers take
// the list `values` rather than the single `value`.
struct DeclaredValue {
    std::string typeName;
    bool list = false;
};

// Declared values by key: the node's schema and the host's own keys.
using Declarations = std::map<std::string, DeclaredValue, ByteWiseKeyLess>;

// A typed value as Python holds it: it shares the host value, so handing it to
// a node again costs no conversion. Curve and Surface are its kinds for the two
// NURBS classes.
class Value {
public:
    explicit Value(std::shared_ptr<RgData> data) : data_(std::move(data)) {}
    virtual ~Value() = default;

    const std::shared_ptr<RgData>& data() const { return data_; }

private:
    std::shared_ptr<RgData> data_;
};

class Curve : public Value {
public:
    using Value::Value;
};

// A surface keeps the description it was made from: an MObject cannot be read
// back, and a rig file needs it.
class Surface : public Value {
public:
    Surface(std::shared_ptr<RgData> data, mayastandin::NurbsSurfaceDescription description)
        : Value(std::move(data)), description_(std::move(description))
    {
    }

    const mayastandin::NurbsSurfaceDescription& description() const { return description_; }
    const MObject& surface() const;

private:
    mayastandin::NurbsSurfaceDescription description_;
};

// The class name of a value ("RgDouble", ...), "unknown" for an empty pointer.
std::string typeNameOf(const std::shared_ptr<RgData>& data);

// The host value for `object`: typed values are shared as they are, None is an
// entry holding an empty pointer, and a plain Python value takes the class and
// form `declared` gives (null: the key is unknown and the value needs a type).
// Throws TypeError or ValueError whose message starts with `name`.
std::shared_ptr<RgData> hostValue(py::handle object, const std::string& name, const DeclaredValue* declared);

// The attribute map of a Python mapping of key -> value (see hostValue); `name`
// is the argument's name in messages, e.g. "attrs" gives "attrs['ENVELOPE']".
AttributeMap attributeMap(py::handle mapping, const std::string& name, const Declarations& declarations);

// The Python value of an entry: None, a Curve, a Surface (when `rig` records
// its description) or a Value.
py::object pythonValue(const std::shared_ptr<RgData>& data, const rghost::Rig* rig);

// Registers Value, Curve and Surface.
void bindValues(py::module_& module);

} // namespace lidshaper
