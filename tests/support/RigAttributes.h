#pragma once

// Reading a rig's attributes in tests: a value of the class expected, an
// eye's index list.

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/Rig.h"
#include "lidShaper/rigContract.h"
#include "rg/RgData.h"

namespace rigattributes {

using namespace rigContract;

template <typename Data>
const Data& attribute(const AttributeMap& attributes, const std::string& key)
{
    const auto data = std::dynamic_pointer_cast<Data>(attributes.at(key));
    if (!data) {
        throw std::runtime_error(key + " has another class");
    }
    return *data;
}

// An eye's index list, by name ("upperLidInnerIdxs") or by position in
// kEyeFields (eyeField::upperLidInnerIdxs).
inline const std::vector<std::int32_t>& indices(const rghost::Rig& rig, EyeSide side, const std::string& field)
{
    return attribute<RgInt>(rig.attributes, eyeAttributeKey(side, field)).values;
}

inline const std::vector<std::int32_t>& indices(const rghost::Rig& rig, EyeSide side, std::size_t field)
{
    return indices(rig, side, std::string(kEyeFields[field].name));
}

} // namespace rigattributes
