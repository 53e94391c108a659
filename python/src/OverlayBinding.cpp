#include "OverlayBinding.h"

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include "HostValues.h"
#include "PluginBinding.h"
#include "PointArrays.h"
#include "overlay/RigOverlay.h"

namespace lidshaper {

namespace {

// {category name: {"lines": [(K, 3) arrays], "points": (M, 3) array,
// "emphasized": (M,) bool array, "labels": [(text, (3,) array)]}}, every
// category present, empty where it has no marks.
py::dict overlay(py::handle attrs, py::handle points, py::handle matrix, const std::vector<std::string>& errors)
{
    const AttributeMap attributes = attributeMap(attrs, "attrs", defaultPlugin()->declarations());
    const NumericArray<double> deformed = numericArray<double>(points, "points", NumberKind::Real, axes({-1, 3}));
    const Imath::M44d geometryMatrix = matrix.is_none() ? Imath::M44d() : matrixFrom(matrix, "matrix");
    const rghost::Overlay marks = rghost::rigOverlay(attributes, pointList(deformed), geometryMatrix, errors);

    py::dict categories;
    for (const rghost::OverlayCategory category : rghost::kOverlayCategories) {
        const rghost::Overlay only = rghost::overlayOf(marks, {category});
        py::list lines;
        for (const rghost::OverlayLine& line : only.lines) {
            lines.append(pointArray(line.points));
        }
        std::vector<Imath::V3d> positions;
        py::array_t<bool> emphasized(static_cast<py::ssize_t>(only.points.size()));
        for (std::size_t k = 0; k < only.points.size(); ++k) {
            positions.push_back(only.points[k].position);
            emphasized.mutable_at(k) = only.points[k].emphasized;
        }
        py::list labels;
        for (const rghost::OverlayLabel& label : only.labels) {
            labels.append(py::make_tuple(label.text, pointArray({label.position}).attr("reshape")(3)));
        }
        py::dict entry;
        entry["lines"] = lines;
        entry["points"] = pointArray(positions);
        entry["emphasized"] = emphasized;
        entry["labels"] = labels;
        categories[rghost::overlayCategoryName(category)] = entry;
    }
    return categories;
}

py::list overlayCategories()
{
    py::list categories;
    for (const rghost::OverlayCategory category : rghost::kOverlayCategories) {
        const Imath::V3d color = rghost::overlayCategoryColor(category);
        categories.append(py::make_tuple(rghost::overlayCategoryName(category),
                                         rghost::overlayCategoryMeaning(category),
                                         py::make_tuple(color.x, color.y, color.z)));
    }
    return categories;
}

} // namespace

void bindOverlay(py::module_& module)
{
    module.def("overlay", &overlay, py::arg("attrs"), py::arg("points"), py::arg("matrix") = py::none(),
               py::arg("errors") = std::vector<std::string>{},
               "What the node works with at one frame, as marks in world space for a viewer to draw: `attrs` the "
               "frame's attributes, `points` the deformed (N, 3) points, `matrix` the geometry matrix (row-vector "
               "convention; default identity), `errors` the node's error lines (marks of the 'failure' category). "
               "Returns {category: {'lines': [(K, 3) arrays], 'points': (M, 3) array, 'emphasized': (M,) bools, "
               "'labels': [(text, (3,) array)]}} with every category of overlay_categories().");
    module.def("overlay_categories", &overlayCategories,
               "The overlay's categories in drawing order: (name, meaning, (r, g, b) colour in 0..1).");
}

} // namespace lidshaper
