#include "PointArrays.h"

#include <cstring>
#include <type_traits>

namespace lidshaper {

static_assert(sizeof(Imath::V3d) == 3 * sizeof(double) && std::is_standard_layout_v<Imath::V3d>,
              "a point list must have the layout of an (N, 3) float64 array");
static_assert(sizeof(Imath::M44d) == 16 * sizeof(double) && std::is_standard_layout_v<Imath::M44d>,
              "a matrix must have the layout of a (4, 4) float64 array");

std::vector<Imath::V3d> pointList(const NumericArray<double>& points)
{
    std::vector<Imath::V3d> list(static_cast<std::size_t>(points.size() / 3));
    std::memcpy(static_cast<void*>(list.data()), points.data(), list.size() * sizeof(Imath::V3d));
    return list;
}

py::array_t<double> pointArray(const std::vector<Imath::V3d>& points)
{
    py::array_t<double> array({static_cast<py::ssize_t>(points.size()), py::ssize_t(3)});
    std::memcpy(array.mutable_data(), points.data(), points.size() * sizeof(Imath::V3d));
    return array;
}

namespace {

// Arrays made from point lists keep them in a capsule of this name, by which they are told apart.
constexpr const char* kPointListCapsule = "lidshaper.pointList";

void deletePointList(PyObject* capsule)
{
    delete static_cast<std::vector<Imath::V3d>*>(PyCapsule_GetPointer(capsule, kPointListCapsule));
}

} // namespace

py::array_t<double> adoptPointArray(std::vector<Imath::V3d>&& points)
{
    auto* owned = new std::vector<Imath::V3d>(std::move(points));
    const auto owner = py::reinterpret_steal<py::object>(PyCapsule_New(owned, kPointListCapsule, &deletePointList));
    if (!owner) {
        delete owned;
        throw py::error_already_set();
    }
    return py::array_t<double>({static_cast<py::ssize_t>(owned->size()), py::ssize_t(3)},
                               reinterpret_cast<const double*>(owned->data()), owner);
}

std::vector<Imath::V3d>* adoptedPointList(const py::array& array)
{
    const py::object base = array.base();
    if (!PyCapsule_IsValid(base.ptr(), kPointListCapsule)) {
        return nullptr;
    }
    auto* list = static_cast<std::vector<Imath::V3d>*>(PyCapsule_GetPointer(base.ptr(), kPointListCapsule));
    const bool whole = array.ndim() == 2 && array.shape(1) == 3 &&
                       array.shape(0) == static_cast<py::ssize_t>(list->size()) &&
                       array.data() == static_cast<const void*>(list->data()) && array.writeable() &&
                       (array.flags() & py::array::c_style) != 0;
    return whole ? list : nullptr;
}

Imath::M44d matrixFrom(py::handle object, const std::string& name)
{
    const NumericArray<double> numbers = numericArray<double>(object, name, NumberKind::Real, axes({4, 4}));
    Imath::M44d matrix;
    std::memcpy(static_cast<void*>(&matrix), numbers.data(), sizeof matrix);
    return matrix;
}

py::array_t<double> matrixArray(const Imath::M44d& matrix)
{
    py::array_t<double> array({py::ssize_t(4), py::ssize_t(4)});
    std::memcpy(array.mutable_data(), &matrix, sizeof matrix);
    return array;
}

} // namespace lidshaper
