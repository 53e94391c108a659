#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <Imath/ImathVec.h>
#include <maya/MObject.h>

#include "rg/NurbsCurveData.h"
#include "rg/RgExport.h"

// Base of every attribute value. Values are told apart only by checked downcasts
// of shared pointers, which is why the class is polymorphic. There is no virtual
// destructor: values are always owned by shared pointers made from the concrete
// class, which destroy them as that class.
class RG_API RgData {
public:
    virtual void touch() {}

    std::uint64_t hostWord = 0;         // the host's own word; plug-ins never read it
    std::vector<std::uint32_t> auxList; // the host's own list; plug-ins never use it

protected:
    RgData() = default;
    RgData(const RgData&) = default;
    RgData& operator=(const RgData&) = default;
    ~RgData() = default;
};

// A typed value: a single `value` and a list `values` of the same element type.
// Which one a reader takes depends on the attribute.
template <typename Element>
class RG_API RgTypedData : public RgData {
public:
    using ElementType = Element;

    Element value{};
    std::vector<Element> values;
};

class RG_API RgBoolean final : public RgTypedData<bool> {};
class RG_API RgInt final : public RgTypedData<std::int32_t> {};
class RG_API RgFloat final : public RgTypedData<float> {};
class RG_API RgDouble final : public RgTypedData<double> {};
// Imath leaves a default-constructed vector unset; a new value starts at zero.
class RG_API RgVector final : public RgTypedData<Imath::V3d> {
public:
    RgVector() { value = Imath::V3d(0.0); }
};
class RG_API RgPtr final : public RgTypedData<void*> {};
class RG_API RgNurbsCurve final : public RgTypedData<NurbsCurveData> {};
class RG_API RgNurbsSurface final : public RgTypedData<MObject> {};

class RG_API RgString final : public RgTypedData<std::string> {
public:
    RgString() = default;
    explicit RgString(const char* text) { value = text; }
};

// The word that lookup messages print for an expected class.
template <typename T>
constexpr const char* typeWord();
template <>
constexpr const char* typeWord<RgBoolean>()
{
    return "RgBoolean";
}
template <>
constexpr const char* typeWord<RgInt>()
{
    return "RgInt";
}
template <>
constexpr const char* typeWord<RgFloat>()
{
    return "RgFloat";
}
template <>
constexpr const char* typeWord<RgDouble>()
{
    return "RgDouble";
}
template <>
constexpr const char* typeWord<RgVector>()
{
    return "RgVector";
}
template <>
constexpr const char* typeWord<RgPtr>()
{
    return "RgPtr";
}
template <>
constexpr const char* typeWord<RgNurbsCurve>()
{
    return "RgNurbsCurve";
}
template <>
constexpr const char* typeWord<RgNurbsSurface>()
{
    return "RgNurbsSurface";
}
template <>
constexpr const char* typeWord<RgString>()
{
    return "RgString";
}
