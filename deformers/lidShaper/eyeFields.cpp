#include "eyeFields.h"

const char* eyeSideName(EyeSide side) { return side == EyeSide::Left ? "L_eye" : "R_eye"; }

const char* eyeSideLetter(EyeSide side) { return side == EyeSide::Left ? "L" : "R"; }

namespace {

std::array<std::string, kEyeFieldCount> buildEyeAttributeKeys(EyeSide side)
{
    std::array<std::string, kEyeFieldCount> keys;
    const EyeInputs fieldTypes;
    visitEyeFields(fieldTypes, [&](std::size_t index, const char* field, const auto&, FieldKind, double) {
        keys[index] = std::string("lidShaper__eyes__") + eyeSideName(side) + "__" + field;
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
