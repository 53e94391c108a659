#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "rg/RgExport.h"

// Value class of a declared attribute. The host knows further codes; these are
// the ones plug-ins of this kind declare.
enum class AttributeType : std::int32_t {
    Boolean = 0,
    Int = 1,
    Double = 3,
    Vector = 4,
    NurbsCurve = 7,
    NurbsSurface = 8,
};

// One attribute a node declares: its class, names, default, limits and the
// host's option flags (the node only fills the flags; the host interprets them).
struct RG_API AttributeDescriptor {
    AttributeDescriptor(std::string shortName_, std::string key_, AttributeType typeCode_, bool option0_)
        : typeCode(typeCode_), shortName(std::move(shortName_)), key(std::move(key_)), option0(option0_)
    {
    }

    AttributeType typeCode;
    std::string shortName;
    std::string key;
    bool option0;
    bool option1 = false;
    bool option2 = false;
    bool option3 = false;
    std::vector<AttributeDescriptor> nested;
    std::vector<std::string> textList;
    std::array<double, 4> defaultValue{};
    std::string text;
    bool limitAEnabled = false;
    bool limitBEnabled = false;
    std::array<double, 4> limitA{};
    std::array<double, 4> limitB{};
    bool option4 = false;
    bool option5 = false;
};
