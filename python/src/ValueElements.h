#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include <Imath/ImathVec.h>
#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include "NumericArrays.h"
#include "PointArrays.h"
#include "rg/RgData.h"

namespace lidshaper {

// How Python objects become the elements of a value class and back:
// `Elements<Data>` reads one element (`one`) or a list (`list`) of the class
// `Data`, naming `name` in its errors, and gives them back (`toPython`,
// `listToPython`). Numbers go through NumPy so that plain values, sequences
// and arrays are read alike.

template <typename Element, NumberKind kind>
struct NumberElements {
    static Element one(py::handle object, const std::string& name)
    {
        return *numericArray<Element>(object, name, kind, axes({})).data();
    }
    static std::vector<Element> list(py::handle object, const std::string& name)
    {
        const NumericArray<Element> array = numericArray<Element>(object, name, kind, axes({-1}));
        return std::vector<Element>(array.data(), array.data() + array.size());
    }
    static py::object toPython(Element element) { return py::cast(element); }
    static py::object listToPython(const std::vector<Element>& elements)
    {
        py::array_t<Element> array(static_cast<py::ssize_t>(elements.size()));
        std::copy(elements.begin(), elements.end(), array.mutable_data());
        return std::move(array);
    }
};

// Each item of `sequence` read by `one`, named `name[i]` in errors.
template <typename Element, typename ReadOne>
std::vector<Element> eachItem(py::handle sequence, const std::string& name, ReadOne one)
{
    std::vector<Element> items;
    for (const py::handle item : sequence) {
        items.push_back(one(item, name + "[" + std::to_string(items.size()) + "]"));
    }
    return items;
}

template <typename Data>
struct Elements;
template <>
struct Elements<RgBoolean> : NumberElements<bool, NumberKind::Boolean> {
};
template <>
struct Elements<RgInt> : NumberElements<std::int32_t, NumberKind::Integer> {
};
template <>
struct Elements<RgFloat> : NumberElements<float, NumberKind::Real> {
};
template <>
struct Elements<RgDouble> : NumberElements<double, NumberKind::Real> {
};

template <>
struct Elements<RgVector> {
    static Imath::V3d one(py::handle object, const std::string& name)
    {
        const NumericArray<double> array = numericArray<double>(object, name, NumberKind::Real, axes({3}));
        return Imath::V3d(array.data()[0], array.data()[1], array.data()[2]);
    }
    static std::vector<Imath::V3d> list(py::handle object, const std::string& name)
    {
        return pointList(numericArray<double>(object, name, NumberKind::Real, axes({-1, 3})));
    }
    static py::object toPython(const Imath::V3d& vector) { return py::make_tuple(vector.x, vector.y, vector.z); }
    static py::object listToPython(const std::vector<Imath::V3d>& vectors) { return pointArray(vectors); }
};

template <>
struct Elements<RgString> {
    static std::string one(py::handle object, const std::string& name)
    {
        if (!py::isinstance<py::str>(object)) {
            throw py::type_error(name + ": expected a str, got " + pythonTypeName(object));
        }
        return object.cast<std::string>();
    }
    static std::vector<std::string> list(py::handle object, const std::string& name)
    {
        // A str is a sequence too, of one-letter strs: refused rather than split.
        if (py::isinstance<py::str>(object) || !py::isinstance<py::sequence>(object)) {
            throw py::type_error(name + ": expected a sequence of str, got " + pythonTypeName(object));
        }
        return eachItem<std::string>(object, name, &one);
    }
    static py::object toPython(const std::string& text) { return py::str(text); }
    static py::object listToPython(const std::vector<std::string>& texts) { return py::cast(texts); }
};

template <>
struct Elements<RgPtr> {
    static void* one(py::handle object, const std::string& name)
    {
        if (object.is_none()) {
            return nullptr;
        }
        if (!py::isinstance<py::int_>(object) || py::isinstance<py::bool_>(object)) {
            throw py::type_error(name + ": expected None or an address (int), got " + pythonTypeName(object));
        }
        if (object.cast<py::int_>() < py::int_(0)) {
            throw py::value_error(name + ": an address cannot be negative");
        }
        return reinterpret_cast<void*>(object.cast<std::uintptr_t>());
    }
    static std::vector<void*> list(py::handle object, const std::string& name)
    {
        return eachItem<void*>(py::cast<py::sequence>(object), name, &one);
    }
    static py::object toPython(void* address)
    {
        return address == nullptr ? py::none() : py::object(py::int_(reinterpret_cast<std::uintptr_t>(address)));
    }
    static py::object listToPython(const std::vector<void*>& addresses)
    {
        py::list list;
        for (void* address : addresses) {
            list.append(toPython(address));
        }
        return std::move(list);
    }
};

// The value classes by type, for visiting: `Class<Data>::Type` is `Data`.
template <typename Data>
struct Class {
    using Type = Data;
};

// The classes that hold a `value` and a `values` list of Python-convertible
// elements; the two NURBS classes hold one object each and have Python classes
// of their own.
using ListClasses = std::tuple<Class<RgBoolean>, Class<RgInt>, Class<RgFloat>, Class<RgDouble>, Class<RgVector>,
                               Class<RgString>, Class<RgPtr>>;

// Calls `visit(Class<Data>{})` for the value class named `typeName`; false when
// no list-holding class has that name.
template <typename Visit>
bool visitListClass(const std::string& typeName, Visit&& visit)
{
    return std::apply(
        [&](auto... classes) {
            return ((typeName == typeWord<typename decltype(classes)::Type>() ? (visit(classes), true) : false) || ...);
        },
        ListClasses{});
}

// Calls `visit(typed)` with `data` downcast to its class; false for a class
// the module does not know.
template <typename Visit>
bool visitData(const std::shared_ptr<RgData>& data, Visit&& visit)
{
    return std::apply(
        [&](auto... classes) {
            const auto tryClass = [&](auto kind) {
                auto typed = std::dynamic_pointer_cast<typename decltype(kind)::Type>(data);
                return typed != nullptr && (visit(typed), true);
            };
            return (tryClass(classes) || ...);
        },
        std::tuple_cat(ListClasses{}, std::tuple<Class<RgNurbsCurve>, Class<RgNurbsSurface>>{}));
}

} // namespace lidshaper
