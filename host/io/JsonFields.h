#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include <Imath/ImathMatrix.h>
#include <Imath/ImathVec.h>
#include <nlohmann/json.hpp>

#include "io/JsonPath.h"

namespace rghost {

// Typed reads of JSON values for the rig-file reader. Each one either returns
// the value or throws RigFileError whose message starts with `path`.

[[noreturn]] void failAt(const JsonPath& path, const std::string& problem);

// The field `name` of an object, or nullptr when the object has none.
const nlohmann::json* findField(const nlohmann::json& object, std::string_view name);

// The field `name` of the object at `objectPath`; throws when it is absent.
const nlohmann::json& requiredField(const nlohmann::json& object, const JsonPath& objectPath, std::string_view name);

void requireObject(const nlohmann::json& value, const JsonPath& path);
const nlohmann::json::array_t& requireArray(const nlohmann::json& value, const JsonPath& path);

// Outside the top level every field must be one the format knows, so that a
// misspelt field is reported instead of silently falling back to its default.
void rejectUnknownFields(const nlohmann::json& object, const JsonPath& path,
                         std::initializer_list<std::string_view> knownFields);

bool readBool(const nlohmann::json& value, const JsonPath& path);
const std::string& readString(const nlohmann::json& value, const JsonPath& path);
double readNumber(const nlohmann::json& value, const JsonPath& path); // finite
float readFloat(const nlohmann::json& value, const JsonPath& path);   // finite and within float range
std::int32_t readInt32(const nlohmann::json& value, const JsonPath& path);
std::uint64_t readUnsignedInteger(const nlohmann::json& value, const JsonPath& path);
Imath::V3d readVector3(const nlohmann::json& value, const JsonPath& path); // [x, y, z]
Imath::M44d readMatrix(const nlohmann::json& value, const JsonPath& path); // 16 numbers, row-major

// A list whose elements are read one by one with `readElement(element, path)`.
template <typename ReadElement>
auto readList(const nlohmann::json& value, const JsonPath& path, ReadElement readElement)
{
    const auto& elements = requireArray(value, path);
    std::vector<decltype(readElement(elements.front(), path))> result;
    result.reserve(elements.size());
    for (std::size_t i = 0; i < elements.size(); ++i) {
        result.push_back(readElement(elements[i], path[i]));
    }
    return result;
}

} // namespace rghost
