#include "attributes/eyeFields.h"

using rigContract::EyeSide;

namespace {

EyeAttributeKeys buildEyeAttributeKeys(EyeSide side)
{
    EyeAttributeKeys keys;
    for (std::size_t field = 0; field < keys.size(); ++field) {
        keys[field] = rigContract::eyeFieldKey(side, field);
    }
    return keys;
}

} // namespace

const EyeAttributeKeys& eyeAttributeKeys(EyeSide side)
{
    static const auto leftKeys = buildEyeAttributeKeys(EyeSide::Left);
    static const auto rightKeys = buildEyeAttributeKeys(EyeSide::Right);
    return side == EyeSide::Left ? leftKeys : rightKeys;
}
