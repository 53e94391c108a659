#include "eyeFields.h"

namespace {

std::array<std::string, kEyeFieldCount> buildEyeAttributeKeys(EyeSide side)
{
    std::array<std::string, kEyeFieldCount> keys;
    const EyeInputs fieldTypes;
    visitEyeFields(fieldTypes, [&](std::size_t index, const char* field, const auto&, FieldKind, double) {
        keys[index] = eyeAttributeKey(side, field);
    });
    return keys;
}

} // namespace

const std::array<std::string, kEyeFieldCount>& eyeAttributeKeys(EyeSide side)
{
    static const auto leftKeys = buildEyeAttributeKeys(EyeSide::Left);
    static const auto rightKeys = buildEyeAttributeKeys(EyeSide::Right);
    return side == EyeSide::Left ? leftKeys : rightKeys;
}
