#pragma once

#include <memory>

#include <mayastandin/StandIn.h>
#include <pybind11/pybind11.h>

#include "rg/RgData.h"

namespace lidshaper {

namespace py = pybind11;

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

// Registers Value, Curve and Surface as lidshaper.Value, .Curve and .Surface.
void bindValues(py::module_& module);

} // namespace lidshaper
