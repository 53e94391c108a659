#include "io/RigFileWriter.h"

#include <cmath>
#include <cstdint>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "io/AtomicFile.h"
#include "io/JsonLayout.h"
#include "io/JsonPath.h"

namespace rghost {

namespace {

using nlohmann::ordered_json;

double finite(double number)
{
    if (!std::isfinite(number)) {
        throw std::invalid_argument("a number is not finite");
    }
    return number;
}

ordered_json vectorJson(const Imath::V3d& v)
{
    return ordered_json::array({finite(v.x), finite(v.y), finite(v.z)});
}

ordered_json matrixJson(const Imath::M44d& matrix)
{
    ordered_json numbers = ordered_json::array();
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            numbers.push_back(finite(matrix[row][column]));
        }
    }
    return numbers;
}

template <typename Element, typename WriteElement>
ordered_json listJson(const std::vector<Element>& elements, WriteElement write)
{
    ordered_json list = ordered_json::array();
    for (const auto& element : elements) {
        list.push_back(write(element));
    }
    return list;
}

ordered_json curveJson(const NurbsCurveData& curve)
{
    return {{"cvs", listJson(curve.cvs, vectorJson)},
            {"knots", listJson(curve.knots, [](float knot) { return finite(knot); })},
            {"degree", curve.degree}};
}

ordered_json surfaceJson(const MObject& surface, const Rig& rig)
{
    if (surface.isNull()) {
        return nullptr;
    }
    for (const RigSurface& known : rig.surfaces) {
        if (known.surface == surface) {
            const mayastandin::NurbsSurfaceDescription& d = known.description;
            const auto point = [](const Imath::V4d& p) {
                return ordered_json::array({finite(p.x), finite(p.y), finite(p.z), finite(p.w)});
            };
            return {{"degreeU", d.degreeU},
                    {"degreeV", d.degreeV},
                    {"cvCountU", d.cvCountU},
                    {"cvCountV", d.cvCountV},
                    {"knotsU", listJson(d.knotsU, finite)},
                    {"knotsV", listJson(d.knotsV, finite)},
                    {"cvs", listJson(d.cvs, point)},
                    {"formU", d.periodicU ? "periodic" : "open"},
                    {"formV", d.periodicV ? "periodic" : "open"},
                    {"worldMatrix", matrixJson(d.worldMatrix)}};
        }
    }
    throw std::invalid_argument("its surface is not recorded in the rig's surfaces");
}

// `{"type", "value", "values"}` when `data` is a `Data`; `values` only when not
// empty, and only for the classes whose rig-file form has a list.
template <typename Data, typename WriteElement>
bool writeTyped(const RgData& data, WriteElement write, ordered_json& out, bool listAllowed = true)
{
    const auto* typed = dynamic_cast<const Data*>(&data);
    if (typed == nullptr) {
        return false;
    }
    out = {{"type", typeWord<Data>()}, {"value", write(typed->value)}};
    if (!typed->values.empty()) {
        if (!listAllowed) {
            throw std::invalid_argument(std::string(typeWord<Data>()) + " values cannot hold a list");
        }
        out["values"] = listJson(typed->values, write);
    }
    return true;
}

ordered_json valueJson(const std::shared_ptr<RgData>& data, const Rig& rig)
{
    ordered_json out;
    if (data == nullptr) {
        return out;
    }
    const auto same = [](const auto& value) { return ordered_json(value); };
    const auto number = [](double value) { return finite(value); };
    const auto address = [](void* pointer) {
        return pointer == nullptr ? ordered_json(nullptr) : ordered_json(reinterpret_cast<std::uintptr_t>(pointer));
    };
    const auto surface = [&rig](const MObject& object) { return surfaceJson(object, rig); };
    const bool written = writeTyped<RgBoolean>(*data, same, out) || writeTyped<RgInt>(*data, same, out) ||
                         writeTyped<RgFloat>(*data, number, out) || writeTyped<RgDouble>(*data, number, out) ||
                         writeTyped<RgVector>(*data, vectorJson, out) || writeTyped<RgString>(*data, same, out) ||
                         writeTyped<RgPtr>(*data, address, out) ||
                         writeTyped<RgNurbsCurve>(*data, curveJson, out, false) ||
                         writeTyped<RgNurbsSurface>(*data, surface, out, false);
    if (!written) {
        throw std::invalid_argument("its value class has no rig-file type");
    }
    return out;
}

ordered_json attributesJson(const AttributeMap& attributes, const Rig& rig)
{
    ordered_json out = ordered_json::object();
    for (const auto& [key, data] : attributes) {
        try {
            out[key] = valueJson(data, rig);
        } catch (const std::invalid_argument& error) {
            throw std::invalid_argument("cannot write attribute " + quotedKey(key) + ": " + error.what());
        }
    }
    return out;
}

ordered_json geometryJson(const Rig& rig)
{
    const RgDeformData& geometry = rig.geometry;
    ordered_json out = {{"enabled", geometry.geometry},
                        {"points", listJson(geometry.points, vectorJson)},
                        {"matrix", matrixJson(geometry.geometryMatrix)},
                        {"weights", listJson(geometry.weights, [](float weight) { return finite(weight); })}};
    if (!rig.faces.empty()) {
        out["faces"] = rig.faces;
    }
    return out;
}

ordered_json frameJson(const RigFrame& frame, const Rig& rig)
{
    ordered_json attributes = ordered_json::object();
    for (const std::string& key : frame.removedKeys) {
        attributes[key] = nullptr;
    }
    // An override given for a removed key wins, as in frameAttributes.
    const ordered_json overrides = attributesJson(frame.overrides, rig);
    for (const auto& [key, value] : overrides.items()) {
        attributes[key] = value;
    }
    return {{"attributes", attributes}};
}

} // namespace

std::string formatRig(const Rig& rig)
{
    try {
        ordered_json document = {
            {"format", "rg-rig/1"}, {"node", rig.nodeName}, {"attributes", attributesJson(rig.attributes, rig)}};
        try {
            document["geometry"] = geometryJson(rig);
        } catch (const std::invalid_argument& error) {
            throw std::invalid_argument(std::string("cannot write the geometry: ") + error.what());
        }
        if (rig.startFrame != 0) {
            document["startFrame"] = rig.startFrame;
        }
        if (!rig.frames.empty()) {
            document["frames"] = listJson(rig.frames, [&rig](const RigFrame& frame) { return frameJson(frame, rig); });
        }
        return layOutJson(document, 2, ordered_json::error_handler_t::strict);
    } catch (const nlohmann::json::exception& error) {
        throw std::invalid_argument(std::string("cannot write the rig: ") + error.what());
    }
}

void writeRigFile(const Rig& rig, const std::string& path)
{
    writeFileAtomically(path, formatRig(rig));
}

} // namespace rghost
