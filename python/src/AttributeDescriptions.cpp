#include "AttributeDescriptions.h"

#include <cmath>

#include <pybind11/stl.h>

#include "core/ControlGroup.h"
#include "core/ControlReference.h"
#include "io/SchemaReport.h"

namespace lidshaper {

namespace {

py::object defaultOf(const AttributeDescriptor& attribute)
{
    const auto& d = attribute.defaultValue;
    switch (attribute.typeCode) {
    case AttributeType::Boolean: return py::bool_(d[0] != 0.0);
    case AttributeType::Int: return py::int_(static_cast<long long>(d[0]));
    case AttributeType::Double: return py::float_(d[0]);
    case AttributeType::Vector: return py::make_tuple(d[0], d[1], d[2]);
    default: return py::none();
    }
}

// A bound as a number, or None where the range is open or scales with another control.
py::object boundOf(double value, std::string_view scale)
{
    return std::isinf(value) || !scale.empty() ? py::none() : py::object(py::float_(value));
}

void addGroupAndReference(Attribute& described)
{
    const rghost::ControlGroup placement = rghost::controlGroupOf(described.key);
    described.side = placement.side;
    described.group = placement.group;
    const rghost::ControlReference* reference = rghost::findControl(described.key);
    if (reference == nullptr) {
        return;
    }
    described.description = reference->summary;
    described.unit = reference->unit;
    described.interactions = reference->interactions;
    if (reference->range != nullptr) {
        const rghost::UsefulRange& range = *reference->range;
        described.range = py::make_tuple(boundOf(range.low, range.lowScale), boundOf(range.high, range.highScale));
        described.rangeText = rghost::describeRange(range);
    }
}

Attribute describe(const AttributeDescriptor& attribute)
{
    Attribute described;
    described.key = attribute.key;
    described.shortName = attribute.shortName;
    described.typeName = rghost::attributeTypeName(attribute.typeCode);
    described.form = attribute.option3 ? "values" : "value";
    described.defaultValue = defaultOf(attribute);
    described.range = py::none();
    addGroupAndReference(described);
    return described;
}

// A host setting, which no node declares: all it has is its reference entry.
Attribute describeHostSetting(const rghost::ControlReference& reference)
{
    Attribute described;
    described.key = reference.name;
    described.shortName = reference.name;
    described.typeName = reference.typeName;
    described.form = reference.list ? "values" : "value";
    const std::string defaultText(reference.defaultText);
    if (reference.typeName == "RgBoolean") {
        described.defaultValue = py::bool_(defaultText == "true");
    } else {
        described.defaultValue =
            py::module_::import("builtins").attr(reference.typeName == "RgInt" ? "int" : "float")(defaultText);
    }
    described.range = py::none();
    addGroupAndReference(described);
    return described;
}

} // namespace

std::vector<Attribute> describeAttributes(const std::vector<AttributeDescriptor>& schema, bool hostSettings)
{
    std::vector<Attribute> attributes;
    for (const rghost::ControlReference& reference : rghost::controlReferences()) {
        if (hostSettings && reference.scope == rghost::ControlScope::Host) {
            attributes.push_back(describeHostSetting(reference));
        }
    }
    for (const AttributeDescriptor& attribute : schema) {
        attributes.push_back(describe(attribute));
    }
    return attributes;
}

void bindAttributeDescriptions(py::module_& module)
{
    py::class_<Attribute>(module, "Attribute", "One attribute a node declares.")
        .def_readonly("key", &Attribute::key)
        .def_readonly("short_name", &Attribute::shortName)
        .def_readonly("side", &Attribute::side, "\"left\", \"right\" or \"\" for attributes outside the eyes")
        .def_readonly("group", &Attribute::group,
                      "\"Left eye\", \"Right eye\", \"Soft region\" or \"Host settings\": where a panel shows it")
        .def_readonly("type_name", &Attribute::typeName)
        .def_readonly("form", &Attribute::form, "\"value\" or \"values\": which of the two the node reads")
        .def_readonly("default", &Attribute::defaultValue)
        .def_readonly("description", &Attribute::description)
        .def_readonly("unit", &Attribute::unit)
        .def_readonly("range", &Attribute::range,
                      "(low, high) of useful values; a bound is None where it is open or scales with another control")
        .def_readonly("range_text", &Attribute::rangeText, "the useful range in words, e.g. \"0 to 1\"")
        .def_readonly("interactions", &Attribute::interactions, "how it works with other controls")
        .def("__repr__", [](const Attribute& self) { return "<Attribute " + self.key + " " + self.typeName + ">"; });
}

} // namespace lidshaper
