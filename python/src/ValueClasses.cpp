#include "ValueClasses.h"

#include <cstring>

#include <maya/MFnNurbsSurface.h>
#include <maya/MPoint.h>
#include <pybind11/numpy.h>

#include "HostValues.h"
#include "NumericArrays.h"
#include "PointArrays.h"
#include "PythonValues.h"
#include "ValueElements.h"
#include "rg/RgValueFactory.h"

namespace lidshaper {

const MObject& Surface::surface() const
{
    return std::static_pointer_cast<RgNurbsSurface>(data())->value;
}

namespace {

using Ints = NumberElements<std::int32_t, NumberKind::Integer>;
using Floats = NumberElements<float, NumberKind::Real>;
using Doubles = NumberElements<double, NumberKind::Real>;

const NurbsCurveData& curveData(const Curve& curve)
{
    return std::static_pointer_cast<RgNurbsCurve>(curve.data())->value;
}

std::shared_ptr<RgData> makeCurve(py::handle cvs, py::handle knots, py::handle degree)
{
    NurbsCurveData curve;
    curve.cvs = pointList(numericArray<double>(cvs, "cvs", NumberKind::Real, axes({-1, 3})));
    curve.knots = Floats::list(knots, "knots");
    curve.degree = Ints::one(degree, "degree");
    return makeRgValue<RgNurbsCurve>(std::move(curve));
}

bool periodicForm(const std::string& form, const std::string& name)
{
    if (form != "open" && form != "periodic") {
        throw py::value_error(name + ": expected 'open' or 'periodic', got '" + form + "'");
    }
    return form == "periodic";
}

const char* formName(bool periodic)
{
    return periodic ? "periodic" : "open";
}

mayastandin::NurbsSurfaceDescription surfaceDescription(py::handle degreeU, py::handle degreeV, py::handle cvCountU,
                                                        py::handle cvCountV, py::handle knotsU, py::handle knotsV,
                                                        py::handle cvs, const std::string& formU,
                                                        const std::string& formV, py::handle worldMatrix)
{
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
        .def_property_readonly("knots", [](const Curve& self) { return Floats::listToPython(curveData(self).knots); })
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
                               [](const Surface& self) { return Doubles::listToPython(self.description().knotsU); })
        .def_property_readonly("knots_v",
                               [](const Surface& self) { return Doubles::listToPython(self.description().knotsV); })
        .def_property_readonly("cvs",
                               [](const Surface& self) {
                                   const auto& cvs = self.description().cvs;
                                   py::array_t<double> array({static_cast<py::ssize_t>(cvs.size()), py::ssize_t(4)});
                                   std::memcpy(array.mutable_data(), cvs.data(), cvs.size() * sizeof(Imath::V4d));
                                   return array;
                               })
        .def_property_readonly("form_u", [](const Surface& self) { return formName(self.description().periodicU); })
        .def_property_readonly("form_v", [](const Surface& self) { return formName(self.description().periodicV); })
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
