#include "NumericArrays.h"

#include <cmath>
#include <limits>

namespace lidshaper {

std::string pythonTypeName(py::handle object)
{
    return py::str(py::type::handle_of(object).attr("__name__")).cast<std::string>();
}

namespace {

bool kindAccepted(char kind, NumberKind accepted)
{
    switch (accepted) {
    case NumberKind::Boolean: return kind == 'b';
    case NumberKind::Integer: return kind == 'i' || kind == 'u';
    case NumberKind::Real: return kind == 'i' || kind == 'u' || kind == 'f';
    }
    return false;
}

const char* kindWords(NumberKind kind, bool single)
{
    switch (kind) {
    case NumberKind::Boolean: return single ? "a bool" : "booleans";
    case NumberKind::Integer: return single ? "an int" : "integers";
    case NumberKind::Real: return single ? "a real number" : "real numbers";
    }
    return "numbers";
}

// What the rejected input held, in words: "str", "a list of text", "an array of complex128".
std::string describeInput(py::handle object, const py::array& array)
{
    const std::string typeName = pythonTypeName(object);
    if (py::isinstance<py::array>(object)) {
        return "an array of " + py::str(array.dtype()).cast<std::string>();
    }
    if (array.ndim() == 0) {
        return typeName;
    }
    switch (array.dtype().kind()) {
    case 'b': return "a " + typeName + " of booleans";
    case 'i':
    case 'u': return "a " + typeName + " of integers";
    case 'f': return "a " + typeName + " of floats";
    case 'c': return "a " + typeName + " of complex numbers";
    case 'U':
    case 'S': return "a " + typeName + " of text";
    default: return "a " + typeName + " of mixed or other objects";
    }
}

std::string shapeText(const std::vector<py::ssize_t>& shape, bool expected)
{
    std::string text = "(";
    for (std::size_t axis = 0; axis < shape.size(); ++axis) {
        text += (axis > 0 ? ", " : "") + (expected && shape[axis] < 0 ? std::string("N") : std::to_string(shape[axis]));
    }
    return text + (shape.size() == 1 ? ",)" : ")");
}

std::string indexText(py::ssize_t flatIndex, const std::vector<py::ssize_t>& shape)
{
    if (shape.empty()) {
        return "";
    }
    std::vector<py::ssize_t> index(shape.size());
    for (std::size_t axis = shape.size(); axis-- > 0;) {
        index[axis] = flatIndex % shape[axis];
        flatIndex /= shape[axis];
    }
    std::string text = "[";
    for (std::size_t axis = 0; axis < index.size(); ++axis) {
        text += (axis > 0 ? ", " : "") + std::to_string(index[axis]);
    }
    return text + "]";
}

// The index of the first number that is not finite, or -1. Points are checked
// on every deform call, so the common case is one pass the compiler turns into
// vector code: x * 0 is 0 for a finite x and NaN otherwise, and the sums stay 0
// until one is NaN. Only then is the culprit searched for.
py::ssize_t firstNonFinite(const double* numbers, py::ssize_t count)
{
    constexpr py::ssize_t kLanes = 8;
    double sums[kLanes] = {};
    py::ssize_t i = 0;
    for (; i + kLanes <= count; i += kLanes) {
        for (py::ssize_t lane = 0; lane < kLanes; ++lane) {
            sums[lane] += numbers[i + lane] * 0.0;
        }
    }
    double total = 0.0;
    for (; i < count; ++i) {
        total += numbers[i] * 0.0;
    }
    for (const double sum : sums) {
        total += sum;
    }
    if (total == 0.0) {
        return -1;
    }
    for (i = 0; i < count; ++i) {
        if (!std::isfinite(numbers[i])) {
            return i;
        }
    }
    return -1;
}

} // namespace

template <typename Element>
NumericArray<Element> numericArray(py::handle object, const std::string& name, NumberKind kind, const Shape& shape)
{
    using Array = NumericArray<Element>;
    if constexpr (std::is_same_v<Element, float>) {
        // Narrowed here rather than by NumPy, so a number beyond the float range is named, not warned about.
        const NumericArray<double> wide = numericArray<double>(object, name, kind, shape);
        Array narrow(std::vector<py::ssize_t>(wide.shape(), wide.shape() + wide.ndim()));
        for (py::ssize_t i = 0; i < wide.size(); ++i) {
            if (std::fabs(wide.data()[i]) > std::numeric_limits<float>::max()) {
                throw py::value_error(name + indexText(i, {wide.shape(), wide.shape() + wide.ndim()}) +
                                      ": beyond the 32-bit float range: " + std::to_string(wide.data()[i]));
            }
            narrow.mutable_data()[i] = static_cast<float>(wide.data()[i]);
        }
        return narrow;
    }
    py::array array;
    if (py::isinstance<py::array>(object)) {
        array = py::reinterpret_borrow<py::array>(object);
    } else {
        try {
            array = py::module_::import("numpy").attr("asarray")(object);
        } catch (py::error_already_set& error) {
            throw py::value_error(name + ": cannot be read as an array: " + py::str(error.value()).cast<std::string>());
        }
    }
    const char arrayKind = array.dtype().kind();
    if (!kindAccepted(arrayKind, kind)) {
        throw py::type_error(name + ": expected " + kindWords(kind, shape && shape->empty()) + ", got " +
                             describeInput(object, array));
    }
    std::vector<py::ssize_t> actual(array.shape(), array.shape() + array.ndim());
    bool shapeFits = !shape || actual.size() == shape->size();
    for (std::size_t axis = 0; shape && shapeFits && axis < shape->size(); ++axis) {
        shapeFits = (*shape)[axis] < 0 || (*shape)[axis] == actual[axis];
    }
    if (!shapeFits) {
        throw py::value_error(name + ": expected shape " + shapeText(*shape, true) + ", got " +
                              shapeText(actual, false));
    }
    if constexpr (std::is_same_v<Element, std::int32_t>) {
        if (!py::isinstance<Array>(array) && array.size() > 0) {
            const auto limits = std::numeric_limits<std::int32_t>();
            if (py::int_(array.attr("min")()).cast<long long>() < limits.min() ||
                py::int_(array.attr("max")()).cast<long long>() > limits.max()) {
                throw py::value_error(name + ": integers must fit in 32 bits");
            }
        }
    }
    Array converted = Array::ensure(array);
    if (!converted) {
        throw py::error_already_set();
    }
    if constexpr (std::is_same_v<Element, double>) {
        const py::ssize_t bad = firstNonFinite(converted.data(), converted.size());
        if (bad >= 0) {
            throw py::value_error(name + indexText(bad, actual) + ": expected a finite number, got " +
                                  py::str(py::float_(converted.data()[bad])).cast<std::string>());
        }
    }
    return converted;
}

template NumericArray<bool> numericArray(py::handle, const std::string&, NumberKind, const Shape&);
template NumericArray<std::int32_t> numericArray(py::handle, const std::string&, NumberKind, const Shape&);
template NumericArray<float> numericArray(py::handle, const std::string&, NumberKind, const Shape&);
template NumericArray<double> numericArray(py::handle, const std::string&, NumberKind, const Shape&);

} // namespace lidshaper
