#include "PythonValues.h"

#include <type_traits>

#include "ValueElements.h"

namespace lidshaper {

namespace {

template <typename Data>
constexpr bool isNurbsClass = std::is_same_v<Data, RgNurbsCurve> || std::is_same_v<Data, RgNurbsSurface>;

} // namespace

std::string typeNameOf(const std::shared_ptr<RgData>& data)
{
    std::string name = "unknown";
    visitData(data, [&](const auto& typed) { name = typeWord<typename std::decay_t<decltype(*typed)>>(); });
    return name;
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

py::object valueOf(const Value& value)
{
    py::object result = py::none();
    visitData(value.data(), [&](const auto& typed) {
        using Data = typename std::decay_t<decltype(*typed)>;
        if constexpr (isNurbsClass<Data>) {
            if constexpr (std::is_same_v<Data, RgNurbsSurface>) {
                if (typed->value.isNull()) {
                    return;
                }
            }
            result = py::cast(value, py::return_value_policy::reference);
        } else {
            result = Elements<Data>::toPython(typed->value);
        }
    });
    return result;
}

py::object valuesOf(const Value& value)
{
    py::object result = py::list();
    visitData(value.data(), [&](const auto& typed) {
        using Data = typename std::decay_t<decltype(*typed)>;
        if constexpr (!isNurbsClass<Data>) {
            result = Elements<Data>::listToPython(typed->values);
        }
    });
    return result;
}

} // namespace lidshaper
