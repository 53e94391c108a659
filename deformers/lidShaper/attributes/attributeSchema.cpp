#include "attributes/attributeSchema.h"

#include "attributes/eyeFields.h"

using namespace rigContract;

namespace {

constexpr bool declaresNoFloat()
{
    for (const Field& field : kEyeFields) {
        if (field.valueClass == ValueClass::Float) {
            return false;
        }
    }
    return kSoftRegionField.valueClass != ValueClass::Float;
}
static_assert(declaresNoFloat(), "attributes have no type code for RgFloat; only host settings are floats");

AttributeType attributeTypeOf(ValueClass valueClass)
{
    switch (valueClass) {
    case ValueClass::Boolean: return AttributeType::Boolean;
    case ValueClass::Int: return AttributeType::Int;
    case ValueClass::Vector: return AttributeType::Vector;
    case ValueClass::NurbsCurve: return AttributeType::NurbsCurve;
    case ValueClass::NurbsSurface: return AttributeType::NurbsSurface;
    case ValueClass::Double:
    case ValueClass::Float: break;
    }
    return AttributeType::Double;
}

// Keyed fields get option1; fixed lists option2; every list option3 and option5.
AttributeDescriptor makeDescriptor(std::string shortName, std::string key, const Field& field)
{
    AttributeDescriptor descriptor(std::move(shortName), std::move(key), attributeTypeOf(field.valueClass), false);
    descriptor.defaultValue[0] = field.defaultValue;
    descriptor.option1 = field.keying != Keying::Fixed;
    descriptor.option2 = field.list && field.keying == Keying::Fixed;
    descriptor.option3 = field.list;
    descriptor.option5 = field.list;
    descriptor.limitAEnabled = field.keying == Keying::KeyedSize;
    return descriptor;
}

void appendEyeSchema(std::vector<AttributeDescriptor>& attributes, EyeSide side)
{
    const auto& keys = eyeAttributeKeys(side);
    for (std::size_t index = 0; index < kEyeFields.size(); ++index) {
        const Field& field = kEyeFields[index];
        attributes.push_back(
            makeDescriptor(std::string(eyeSideLetter(side)) + "__" + std::string(field.name), keys[index], field));
    }
}

} // namespace

void appendAttributeSchema(std::vector<AttributeDescriptor>& attributes)
{
    appendEyeSchema(attributes, EyeSide::Left);
    appendEyeSchema(attributes, EyeSide::Right);
    attributes.push_back(makeDescriptor(std::string(kSoftRegionField.name), kSoftRegionKey, kSoftRegionField));
}
