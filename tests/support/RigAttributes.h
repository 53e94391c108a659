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

template <typename Data>
const Data& attribute(const AttributeMap& attributes, const std::string& key)
{
    const auto data = std::dynamic_pointer_cast<Data>(attributes.at(key));
    if (!data) {
        throw std::runtime_error(key + " has another class");
    }
    return *data;
}

inline const std::vector<std::int32_t>& indices(const rghost::Rig& rig, EyeSide side, const std::string& field)
{
    return attribute<RgInt>(rig.attributes, eyeAttributeKey(side, field)).values;
}

} // namespace rigattributes
