#include "io/JsonFields.h"

#include <cmath>
#include <limits>

#include "io/RigFileError.h"

namespace rghost {

using nlohmann::json;

namespace {

[[noreturn]] void failExpected(const json& value, const JsonPath& path, const char* expected)
{
    failAt(path, std::string("expected ") + expected + ", got " + value.type_name());
}

} // namespace

void failAt(const JsonPath& path, const std::string& problem)
{
    throw RigFileError(path.str() + ": " + problem);
}

const json* findField(const json& object, std::string_view name)
{
    const auto found = object.find(name);
    return found == object.end() ? nullptr : &*found;
}

const json& requiredField(const json& object, const JsonPath& objectPath, std::string_view name)
{
    const json* field = findField(object, name);
    if (field == nullptr) {
        failAt(objectPath / name, "missing");
    }
    return *field;
}

void requireObject(const json& value, const JsonPath& path)
{
    if (!value.is_object()) {
        failExpected(value, path, "an object");
    }
}

const json::array_t& requireArray(const json& value, const JsonPath& path)
{
    if (!value.is_array()) {
        failExpected(value, path, "a list");
    }
    return value.get_ref<const json::array_t&>();
}

void rejectUnknownFields(const json& object, const JsonPath& path, std::initializer_list<std::string_view> knownFields)
{
    for (const auto& field : object.items()) {
        bool known = false;
        for (const std::string_view name : knownFields) {
            known = known || field.key() == name;
        }
        if (!known) {
            failAt(path / field.key(), "unknown field");
        }
    }
}

bool readBool(const json& value, const JsonPath& path)
{
    if (!value.is_boolean()) {
        failExpected(value, path, "true or false");
    }
    return value.get<bool>();
}

const std::string& readString(const json& value, const JsonPath& path)
{
    if (!value.is_string()) {
        failExpected(value, path, "a string");
    }
    return value.get_ref<const std::string&>();
}

double readNumber(const json& value, const JsonPath& path)
{
    if (!value.is_number()) {
        failExpected(value, path, "a number");
    }
    const double number = value.get<double>();
    if (!std::isfinite(number)) {
        failAt(path, "number is not finite");
    }
    return number;
}

float readFloat(const json& value, const JsonPath& path)
{
    const double number = readNumber(value, path);
    if (std::fabs(number) > std::numeric_limits<float>::max()) {
        failAt(path, value.dump() + " is outside the range of a 32-bit float");
    }
    return static_cast<float>(number);
}

std::int32_t readInt32(const json& value, const JsonPath& path)
{
    if (!value.is_number_integer()) {
        failExpected(value, path, "an integer");
    }
    const bool inRange =
        value.is_number_unsigned()
            ? value.get<std::uint64_t>() <= static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())
            : value.get<std::int64_t>() >= std::numeric_limits<std::int32_t>::min() &&
                  value.get<std::int64_t>() <= std::numeric_limits<std::int32_t>::max();
    if (!inRange) {
        failAt(path, value.dump() + " is outside the 32-bit signed integer range");
    }
    return static_cast<std::int32_t>(value.get<std::int64_t>());
}

std::uint64_t readUnsignedInteger(const json& value, const JsonPath& path)
{
    if (!value.is_number_integer()) {
        failExpected(value, path, "a non-negative integer");
    }
    if (!value.is_number_unsigned() && value.get<std::int64_t>() < 0) {
        failAt(path, value.dump() + " is negative");
    }
    return value.get<std::uint64_t>();
}

Imath::V3d readVector3(const json& value, const JsonPath& path)
{
    const auto& elements = requireArray(value, path);
    if (elements.size() != 3) {
        failAt(path, "expected [x, y, z], got a list of " + std::to_string(elements.size()) + " elements");
    }
    return Imath::V3d(readNumber(elements[0], path[0]), readNumber(elements[1], path[1]),
                      readNumber(elements[2], path[2]));
}

Imath::M44d readMatrix(const json& value, const JsonPath& path)
{
    const auto& elements = requireArray(value, path);
    if (elements.size() != 16) {
        failAt(path, "expected 16 numbers, got a list of " + std::to_string(elements.size()) + " elements");
    }
    Imath::M44d matrix;
    for (std::size_t i = 0; i < 16; ++i) {
        matrix[i / 4][i % 4] = readNumber(elements[i], path[i]);
    }
    return matrix;
}

} // namespace rghost
