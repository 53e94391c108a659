#include "AttributeValues.h"

#include <cstring>
#include <tuple>

#include <maya/MFnNurbsSurface.h>
#include <maya/MPoint.h>
#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include "NumericArrays.h"
#include "PointArrays.h"
#include "rg/RgValueFactory.h"

namespace lidshaper {

namespace {

using Imath::V3d;

std::string pythonTypeName(py::handle object)
{
    return py::str(py::type::handle_of(object).attr("__name__")).cast<std::string>();
}

// How Python objects become the elements of a value class and back. Numbers go
// through NumPy so that plain values, sequences and arrays are read alike.
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
    static V3d one(py::handle object, const std::string& name)
    {
        const NumericArray<double> array = numericArray<double>(object, name, NumberKind::Real, axes({3}));
        return V3d(array.data()[0], array.data()[1], array.data()[2]);
    }
    static std::vector<V3d> list(py::handle object, const std::string& name)
    {
        return pointList(numericArray<double>(object, name, NumberKind::Real, axes({-1, 3})));
    }
    static py::object toPython(const V3d& vector) { return py::make_tuple(vector.x, vector.y, vector.z); }
    static py::object listToPython(const std::vector<V3d>& vectors) { return pointArray(vectors); }
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
        if (py::isinstance<py::str>(object) || !py::isinstance<py::sequence>(object)) {
            throw py::type_error(name + ": expected a sequence of str, got " + pythonTypeName(object));
        }
        std::vector<std::string> texts;
        for (const py::handle item : object) {
            texts.push_back(one(item, name + "[" + std::to_string(texts.size()) + "]"));
        }
        return texts;
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
        std::vector<void*> addresses;
        for (const py::handle item : py::cast<py::sequence>(object)) {
            addresses.push_back(one(item, name + "[" + std::to_string(addresses.size()) + "]"));
        }
        return addresses;
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

template <typename Data>
struct Class {
    using Type = Data;
};

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

// A value of the class named `typeName` from the Python `value` and `values`
// (None: the class's zero value, an empty list).
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
            throw py::type_error(name + ": make a " + typeName + " value with lidshaper." +
                                 (typeName == "RgNurbsCurve" ? "Curve" : "Surface") + "; Value(\"" + typeName +
                                 "\") is the empty one");
        }
        return typeName == "RgNurbsCurve" ? std::shared_ptr<RgData>(std::make_shared<RgNurbsCurve>())
                                          : std::shared_ptr<RgData>(std::make_shared<RgNurbsSurface>());
    }
    throw py::value_error(name + ": unknown type name '" + typeName +
                          "' (RgBoolean, RgInt, RgFloat, RgDouble, RgVector, RgString, RgPtr, RgNurbsCurve or "
                          "RgNurbsSurface)");
}

py::object valueOf(const Value& self)
{
    py::object result = py::none();
    visitData(self.data(), [&](const auto& typed) {
        using Data = typename std::decay_t<decltype(*typed)>;
        if constexpr (std::is_same_v<Data, RgNurbsCurve> || std::is_same_v<Data, RgNurbsSurface>) {
            if constexpr (std::is_same_v<Data, RgNurbsSurface>) {
                if (typed->value.isNull()) {
                    return;
                }
            }
            result = py::cast(self, py::return_value_policy::reference);
        } else {
            result = Elements<Data>::toPython(typed->value);
        }
    });
    return result;
}

py::object valuesOf(const Value& self)
{
    py::object result = py::list();
    visitData(self.data(), [&](const auto& typed) {
        using Data = typename std::decay_t<decltype(*typed)>;
        if constexpr (!std::is_same_v<Data, RgNurbsCurve> && !std::is_same_v<Data, RgNurbsSurface>) {
            result = Elements<Data>::listToPython(typed->values);
        }
    });
    return result;
}

const NurbsCurveData& curveData(const Curve& curve)
{
    return std::static_pointer_cast<RgNurbsCurve>(curve.data())->value;
}

std::shared_ptr<RgData> makeCurve(py::handle cvs, py::handle knots, py::handle degree)
{
    NurbsCurveData curve;
    curve.cvs = pointList(numericArray<double>(cvs, "cvs", NumberKind::Real, axes({-1, 3})));
    curve.knots = NumberElements<float, NumberKind::Real>::list(knots, "knots");
    curve.degree = NumberElements<std::int32_t, NumberKind::Integer>::one(degree, "degree");
    return makeRgValue<RgNurbsCurve>(std::move(curve));
}

bool periodicForm(const std::string& form, const std::string& name)
{
    if (form != "open" && form != "periodic") {
        throw py::value_error(name + ": expected 'open' or 'periodic', got '" + form + "'");
    }
    return form == "periodic";
}

mayastandin::NurbsSurfaceDescription surfaceDescription(py::handle degreeU, py::handle degreeV, py::handle cvCountU,
                                                        py::handle cvCountV, py::handle knotsU, py::handle knotsV,
                                                        py::handle cvs, const std::string& formU,
                                                        const std::string& formV, py::handle worldMatrix)
{
    using Ints = NumberElements<std::int32_t, NumberKind::Integer>;
    using Doubles = NumberElements<double, NumberKind::Real>;
    mayastandin::NurbsSurfaceDescription description;
    description.degreeU = Ints::one(degreeU, "degree_u");
    description.degreeV = Ints::one(degreeV, "degree_v");
    description.cvCountU = Ints::one(cvCountU, "cv_count_u");
    description.cvCountV = Ints::one(cvCountV, "cv_count_v");
    description.knotsU = Doubles::list(knotsU, "knots_u");
    description.knotsV = Doubles::list(knotsV, "knots_v");
    const py::array points = numericArray<double>(cvs, "cvs", NumberKind::Real, axes({-1, -1}));
    const py::ssize_t width = points.shape(1);
    if (width != 3 && width != 4) {
        throw py::value_error("cvs: expected shape (N, 3) or (N, 4), got (" + std::to_string(points.shape(0)) + ", " +
                              std::to_string(width) + ")");
    }
    const double* numbers = static_cast<const double*>(points.data());
    for (py::ssize_t row = 0; row < points.shape(0); ++row, numbers += width) {
        description.cvs.emplace_back(numbers[0], numbers[1], numbers[2], width == 4 ? numbers[3] : 1.0);
    }
    description.periodicU = periodicForm(formU, "form_u");
    description.periodicV = periodicForm(formV, "form_v");
    if (!worldMatrix.is_none()) {
        description.worldMatrix = matrixFrom(worldMatrix, "world_matrix");
    }
    return description;
}

// Surface points at parameters u, v (numbers or arrays, broadcast): shape (..., 3).
py::array evaluateSurface(const Surface& surface, py::handle u, py::handle v)
{
    const py::tuple both = py::module_::import("numpy").attr("broadcast_arrays")(
        numericArray<double>(u, "u", NumberKind::Real, kAnyShape),
        numericArray<double>(v, "v", NumberKind::Real, kAnyShape));
    const auto us = NumericArray<double>::ensure(both[0]);
    const auto vs = NumericArray<double>::ensure(both[1]);
    std::vector<py::ssize_t> shape(us.shape(), us.shape() + us.ndim());
    shape.push_back(3);
    py::array_t<double> points(shape);
    const MFnNurbsSurface evaluator(surface.surface());
    double* out = points.mutable_data();
    for (py::ssize_t i = 0; i < us.size(); ++i, out += 3) {
        MPoint point;
        evaluator.getPointAtParam(us.data()[i], vs.data()[i], point, MSpace::kWorld);
        out[0] = point.x;
        out[1] = point.y;
        out[2] = point.z;
    }
    return std::move(points);
}

Surface makeSurface(const mayastandin::NurbsSurfaceDescription& description)
{
    const std::string problem = mayastandin::describeSurfaceProblem(description);
    if (!problem.empty()) {
        throw py::value_error("Surface: " + problem);
    }
    return Surface(makeRgValue<RgNurbsSurface>(mayastandin::makeNurbsSurface(description)), description);
}

} // namespace

const MObject& Surface::surface() const
{
    return std::static_pointer_cast<RgNurbsSurface>(data())->value;
}

std::string typeNameOf(const std::shared_ptr<RgData>& data)
{
    std::string name = "unknown";
    visitData(data, [&](const auto& typed) { name = typeWord<typename std::decay_t<decltype(*typed)>>(); });
    return name;
}

namespace {

bool isValue(py::handle object)
{
    static const py::handle valueClass = py::type::of<Value>();
    return PyObject_IsInstance(object.ptr(), valueClass.ptr()) == 1;
}

} // namespace

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
        const bool curve = declared->typeName == "RgNurbsCurve";
        throw py::type_error(name + ": expected a lidshaper." + (curve ? "Curve" : "Surface") + " (" +
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

py::object pythonValue(const std::shared_ptr<RgData>& data, const rghost::Rig* rig)
{
    if (data == nullptr) {
        return py::none();
    }
    if (std::dynamic_pointer_cast<RgNurbsCurve>(data) != nullptr) {
        return py::cast(Curve(data));
    }
    if (const auto surface = std::dynamic_pointer_cast<RgNurbsSurface>(data); surface != nullptr && rig != nullptr) {
        for (const rghost::RigSurface& known : rig->surfaces) {
            if (known.surface == surface->value && !surface->value.isNull()) {
                return py::cast(Surface(data, known.description));
            }
        }
    }
    return py::cast(Value(data));
}

void bindValues(py::module_& module)
{
    py::class_<Value>(module, "Value",
                      "A value of one host class (type_name), for keys the schema does not declare or to force a "
                      "class: Value(\"RgFloat\", 0.5), Value(\"RgInt\", values=[1, 2]).")
        .def(py::init([](const std::string& typeName, py::object value, py::object values) {
                 return Value(typedValue(typeName, value, values, "Value"));
             }),
             py::arg("type_name"), py::arg("value") = py::none(), py::arg("values") = py::none())
        .def_property_readonly("type_name", [](const Value& self) { return typeNameOf(self.data()); })
        .def_property_readonly("value", &valueOf)
        .def_property_readonly("values", &valuesOf)
        .def("__float__", [](const Value& self) { return py::float_(valueOf(self)); })
        .def("__int__", [](const Value& self) { return py::int_(valueOf(self)); })
        .def("__repr__", [](const Value& self) {
            return "lidshaper.Value(\"" + typeNameOf(self.data()) + "\", " +
                   py::repr(valueOf(self)).cast<std::string>() +
                   ", values=" + py::repr(valuesOf(self)).cast<std::string>() + ")";
        });

    py::class_<Curve, Value>(module, "Curve", "A NURBS curve (RgNurbsCurve): CVs (N, 3), full knot vector, degree.")
        .def(py::init([](py::object cvs, py::object knots, py::object degree) {
                 return Curve(makeCurve(cvs, knots, degree));
             }),
             py::arg("cvs"), py::arg("knots"), py::arg("degree"))
        .def_property_readonly("cvs", [](const Curve& self) { return pointArray(curveData(self).cvs); })
        .def_property_readonly("knots",
                               [](const Curve& self) {
                                   return NumberElements<float, NumberKind::Real>::listToPython(curveData(self).knots);
                               })
        .def_property_readonly("degree", [](const Curve& self) { return curveData(self).degree; })
        .def("__repr__", [](const Curve& self) {
            return "lidshaper.Curve(" + std::to_string(curveData(self).cvs.size()) + " CVs, degree " +
                   std::to_string(curveData(self).degree) + ")";
        });

    py::class_<Surface, Value>(module, "Surface",
                               "A NURBS surface (RgNurbsSurface) held by an MObject, laid out as in rig files.")
        .def(py::init([](py::object degreeU, py::object degreeV, py::object cvCountU, py::object cvCountV,
                         py::object knotsU, py::object knotsV, py::object cvs, const std::string& formU,
                         const std::string& formV, py::object worldMatrix) {
                 return makeSurface(surfaceDescription(degreeU, degreeV, cvCountU, cvCountV, knotsU, knotsV, cvs, formU,
                                                       formV, worldMatrix));
             }),
             py::arg("degree_u"), py::arg("degree_v"), py::arg("cv_count_u"), py::arg("cv_count_v"), py::arg("knots_u"),
             py::arg("knots_v"), py::arg("cvs"), py::arg("form_u") = "open", py::arg("form_v") = "open",
             py::arg("world_matrix") = py::none())
        .def_property_readonly("degree_u", [](const Surface& self) { return self.description().degreeU; })
        .def_property_readonly("degree_v", [](const Surface& self) { return self.description().degreeV; })
        .def_property_readonly("cv_count_u", [](const Surface& self) { return self.description().cvCountU; })
        .def_property_readonly("cv_count_v", [](const Surface& self) { return self.description().cvCountV; })
        .def_property_readonly("knots_u",
                               [](const Surface& self) {
                                   return NumberElements<double, NumberKind::Real>::listToPython(
                                       self.description().knotsU);
                               })
        .def_property_readonly("knots_v",
                               [](const Surface& self) {
                                   return NumberElements<double, NumberKind::Real>::listToPython(
                                       self.description().knotsV);
                               })
        .def_property_readonly("cvs",
                               [](const Surface& self) {
                                   const auto& cvs = self.description().cvs;
                                   py::array_t<double> array({static_cast<py::ssize_t>(cvs.size()), py::ssize_t(4)});
                                   std::memcpy(array.mutable_data(), cvs.data(), cvs.size() * sizeof(Imath::V4d));
                                   return array;
                               })
        .def_property_readonly("form_u",
                               [](const Surface& self) { return self.description().periodicU ? "periodic" : "open"; })
        .def_property_readonly("form_v",
                               [](const Surface& self) { return self.description().periodicV ? "periodic" : "open"; })
        .def_property_readonly("world_matrix",
                               [](const Surface& self) { return matrixArray(self.description().worldMatrix); })
        .def(
            "with_world_matrix",
            [](const Surface& self, py::object matrix) {
                mayastandin::NurbsSurfaceDescription description = self.description();
                description.worldMatrix = matrixFrom(matrix, "world_matrix");
                return makeSurface(description);
            },
            py::arg("world_matrix"), "The same surface under another world matrix.")
        .def("evaluate", &evaluateSurface, py::arg("u"), py::arg("v"),
             "World-space points at parameters u, v (numbers or arrays, broadcast): shape (..., 3).")
        .def("__repr__", [](const Surface& self) {
            return "lidshaper.Surface(" + std::to_string(self.description().cvCountU) + " x " +
                   std::to_string(self.description().cvCountV) + " CVs)";
        });
}

} // namespace lidshaper
