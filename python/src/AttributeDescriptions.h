#pragma once

#include <string>
#include <vector>

#include <pybind11/pybind11.h>

#include "rg/AttributeDescriptor.h"

namespace lidshaper {

namespace py = pybind11;

// One attribute as Python sees it: what the node declares, with what the
// control reference says about it.
struct Attribute {
    std::string key;
    std::string shortName;
    std::string side;
    std::string group;
    std::string typeName;
    std::string form;
    py::object defaultValue;
    std::string description;
    std::string unit;
    py::object range;
    std::string rangeText;
    std::string interactions;
};

// The attributes `schema` declares, each with what the control reference says
// about it; with `hostSettings`, the host's own settings come first.
std::vector<Attribute> describeAttributes(const std::vector<AttributeDescriptor>& schema, bool hostSettings);

// Registers Attribute.
void bindAttributeDescriptions(py::module_& module);

} // namespace lidshaper
