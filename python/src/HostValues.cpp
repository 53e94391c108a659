#include "HostValues.h"

#include "ValueClasses.h"
#include "ValueElements.h"

namespace lidshaper {

namespace {

bool isValue(py::handle object)
{
    static const py::handle valueClass = py::type::of<Value>();
    return PyObject_IsInstance(object.ptr(), valueClass.ptr()) == 1;
}

// The Python class that makes values of the NURBS class `typeName`.
std::string nurbsClassName(const std::string& typeName)
{
    return typeName == "RgNurbsCurve" ? "Curve" : "Surface";
}

} // namespace

std::shared_ptr<RgData> typedValue(const std::string& typeName, py::handle value, py::handle values,
                                   const std::string& name)
{
    std::shared_ptr<RgData> made;
    const bool known = visitListClass(typeName, [&](auto kind) {
        using Data = typename decltype(kind)::Type;
        auto typed = std::make_shared<Data>();
        if (!value.is_none()) {
            typed->value = Elements<Data>::one(value, name + ".value");
        }
        if (!values.is_none()) {
            typed->values = Elements<Data>::list(values, name + ".values");
        }
        made = typed;
    });
    if (known) {
        return made;
    }
    if (typeName == "RgNurbsCurve" || typeName == "RgNurbsSurface") {
        if (!value.is_none() || !values.is_none()) {
            throw py::type_error(name + ": make a " + typeName + " value with lidshaper." + nurbsClassName(typeName) +
                                 "; Value(\"" + typeName + "\") is the empty one");
        }
        return typeName == "RgNurbsCurve" ? std::shared_ptr<RgData>(std::make_shared<RgNurbsCurve>())
                                          : std::shared_ptr<RgData>(std::make_shared<RgNurbsSurface>());
    }
    throw py::value_error(name + ": unknown type name '" + typeName +
                          "' (RgBoolean, RgInt, RgFloat, RgDouble, RgVector, RgString, RgPtr, RgNurbsCurve or "
                          "RgNurbsSurface)");
}

std::shared_ptr<RgData> hostValue(py::handle object, const std::string& name, const DeclaredValue* declared)
{
    if (isValue(object)) {
        return object.cast<const Value&>().data();
    }
    if (object.is_none()) {
        return nullptr;
    }
    if (declared == nullptr) {
        throw py::type_error(
            name + ": the key is not declared, so its value needs a type, e.g. lidshaper.Value(\"RgDouble\", " +
            py::repr(object).cast<std::string>() + ")");
    }
    std::shared_ptr<RgData> made;
    const bool plain = visitListClass(declared->typeName, [&](auto kind) {
        using Data = typename decltype(kind)::Type;
        auto typed = std::make_shared<Data>();
        if (declared->list) {
            typed->values = Elements<Data>::list(object, name);
        } else {
            typed->value = Elements<Data>::one(object, name);
        }
        made = typed;
    });
    if (!plain) {
        throw py::type_error(name + ": expected a lidshaper." + nurbsClassName(declared->typeName) + " (" +
                             declared->typeName + "), got " + pythonTypeName(object));
    }
    return made;
}

AttributeMap attributeMap(py::handle mapping, const std::string& name, const Declarations& declarations)
{
    if (!py::isinstance<py::dict>(mapping)) {
        throw py::type_error(name + ": expected a dict of key -> value, got " + pythonTypeName(mapping));
    }
    AttributeMap attributes;
    for (const auto& [keyObject, object] : py::reinterpret_borrow<py::dict>(mapping)) {
        if (!py::isinstance<py::str>(keyObject)) {
            throw py::type_error(name + ": keys must be str, got " + py::repr(keyObject).cast<std::string>());
        }
        std::string key = keyObject.cast<std::string>();
        // Typed values, the common case (a rig's frame attributes), go in as they are.
        if (isValue(object)) {
            attributes.emplace(std::move(key), object.cast<const Value&>().data());
            continue;
        }
        const auto declared = declarations.find(key);
        std::shared_ptr<RgData> value =
            hostValue(object, name + "['" + key + "']", declared == declarations.end() ? nullptr : &declared->second);
        attributes.emplace(std::move(key), std::move(value));
    }
    return attributes;
}

} // namespace lidshaper
