#include "attributeSchema.h"

#include <type_traits>

#include "eyeFields.h"

namespace {

template <typename Value>
constexpr AttributeType attributeTypeOf()
{
    if constexpr (std::is_same_v<Value, RgBoolean>)
        return AttributeType::Boolean;
    else if constexpr (std::is_same_v<Value, RgInt>)
        return AttributeType::Int;
    else if constexpr (std::is_same_v<Value, RgDouble>)
        return AttributeType::Double;
    else if constexpr (std::is_same_v<Value, RgVector>)
        return AttributeType::Vector;
    else if constexpr (std::is_same_v<Value, RgNurbsCurve>)
        return AttributeType::NurbsCurve;
    else {
        static_assert(std::is_same_v<Value, RgNurbsSurface>, "no type code for this value class");
        return AttributeType::NurbsSurface;
    }
}

AttributeDescriptor makeDescriptor(std::string shortName, std::string key, AttributeType type, FieldKind kind,
                                   double defaultValue)
{
    AttributeDescriptor descriptor(std::move(shortName), std::move(key), type, false);
    descriptor.defaultValue[0] = defaultValue;
    const bool isList = kind == FieldKind::List || kind == FieldKind::AnimatedList;
    descriptor.option1 =
        kind == FieldKind::Animated || kind == FieldKind::AnimatedSize || kind == FieldKind::AnimatedList;
    descriptor.option2 = kind == FieldKind::List;
    descriptor.option3 = isList;
    descriptor.option5 = isList;
    descriptor.limitAEnabled = kind == FieldKind::AnimatedSize;
    return descriptor;
}

void appendEyeSchema(std::vector<AttributeDescriptor>& attributes, EyeSide side)
{
    const auto& keys = eyeAttributeKeys(side);
    const EyeInputs fieldTypes;
    visitEyeFields(
        fieldTypes, [&](std::size_t index, const char* field, const auto& handle, FieldKind kind, double defaultValue) {
            using Value = typename std::decay_t<decltype(handle)>::element_type;
            attributes.push_back(makeDescriptor(std::string(eyeSideLetter(side)) + "__" + field, keys[index],
                                                attributeTypeOf<std::remove_const_t<Value>>(), kind, defaultValue));
        });
}

} // namespace

void appendAttributeSchema(std::vector<AttributeDescriptor>& attributes)
{
    appendEyeSchema(attributes, EyeSide::Left);
    appendEyeSchema(attributes, EyeSide::Right);
    attributes.push_back(makeDescriptor("softRegion", kSoftRegionKey, AttributeType::Int, FieldKind::List, 0.0));
}
