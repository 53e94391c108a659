#include "io/AttributeValueReader.h"

#include <cstdint>
#include <stdexcept>
#include <string>

#include "io/JsonFields.h"
#include "io/NurbsObjectReader.h"

namespace rghost {

using nlohmann::json;

namespace {

void* readAddress(const json& value, const JsonPath& path)
{
    if (value.is_null()) {
        return nullptr;
    }
    // The number is an opaque handle, never dereferenced by the host.
    return reinterpret_cast<void*>(static_cast<std::uintptr_t>(readUnsignedInteger(value, path)));
}

// A copy, since lists hold strings rather than references into the document.
std::string readText(const json& value, const JsonPath& path)
{
    return readString(value, path);
}

// `value` and `values` of a typed class whose elements all read the same way.
template <typename Data, typename ReadElement>
std::shared_ptr<RgData> readTypedValue(const json& object, const JsonPath& path, ReadElement readElement,
                                       typename Data::ElementType zero)
{
    auto data = std::make_shared<Data>();
    data->value = zero;
    if (const json* value = findField(object, "value")) {
        data->value = readElement(*value, path / "value");
    }
    if (const json* values = findField(object, "values")) {
        data->values = readList(*values, path / "values", readElement);
    }
    return data;
}

void rejectValueList(const json& object, const JsonPath& path, const std::string& type)
{
    if (findField(object, "values") != nullptr) {
        failAt(path / "values", "not supported for " + type);
    }
}

std::shared_ptr<RgData> readCurveValue(const json& object, const JsonPath& path)
{
    auto data = std::make_shared<RgNurbsCurve>();
    if (const json* value = findField(object, "value")) {
        data->value = readCurveObject(*value, path / "value");
    }
    return data;
}

std::shared_ptr<RgData> readSurfaceValue(const json& object, const JsonPath& path, Rig& rig)
{
    auto data = std::make_shared<RgNurbsSurface>();
    const json* value = findField(object, "value");
    if (value != nullptr && !value->is_null()) {
        const JsonPath valuePath = path / "value";
        try {
            data->value = addSurface(rig, readSurfaceObject(*value, valuePath));
        } catch (const std::invalid_argument& problem) {
            // readSurfaceObject has checked the description; this only guards
            // against a check the stand-in makes on top of those.
            failAt(valuePath, problem.what());
        }
    }
    return data;
}

} // namespace

std::shared_ptr<RgData> readAttributeValue(const json& value, const JsonPath& path, Rig& rig)
{
    if (value.is_null()) {
        return nullptr;
    }
    requireObject(value, path);
    rejectUnknownFields(value, path, {"type", "value", "values"});
    const std::string& type = readString(requiredField(value, path, "type"), path / "type");

    if (type == "RgBoolean") {
        return readTypedValue<RgBoolean>(value, path, readBool, false);
    }
    if (type == "RgInt") {
        return readTypedValue<RgInt>(value, path, readInt32, 0);
    }
    if (type == "RgFloat") {
        return readTypedValue<RgFloat>(value, path, readFloat, 0.0f);
    }
    if (type == "RgDouble") {
        return readTypedValue<RgDouble>(value, path, readNumber, 0.0);
    }
    if (type == "RgVector") {
        return readTypedValue<RgVector>(value, path, readVector3, Imath::V3d(0.0));
    }
    if (type == "RgString") {
        return readTypedValue<RgString>(value, path, readText, std::string());
    }
    if (type == "RgPtr") {
        return readTypedValue<RgPtr>(value, path, readAddress, nullptr);
    }
    if (type == "RgNurbsCurve") {
        rejectValueList(value, path, type);
        return readCurveValue(value, path);
    }
    if (type == "RgNurbsSurface") {
        rejectValueList(value, path, type);
        return readSurfaceValue(value, path, rig);
    }
    failAt(path / "type", "unknown value type " + quotedKey(type));
}

} // namespace rghost
