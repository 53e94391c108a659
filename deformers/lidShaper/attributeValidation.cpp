#include "attributeValidation.h"

#include "attributeLookup.h"
#include "deformInputs.h"

RgStatus validateAttributeMap(const RgNode& node, const AttributeMap& attributes)
{
    EyeInputs left;
    EyeInputs right;
    const bool valid = getTypedAttribute<RgInt>(node, attributes, kDebugModeKey) &&
                       getTypedAttribute<RgBoolean>(node, attributes, kCacheAttributesKey) &&
                       getTypedAttribute<RgFloat>(node, attributes, kEnvelopeKey) &&
                       fetchEyeInputs(node, attributes, EyeSide::Left, left) &&
                       fetchEyeInputs(node, attributes, EyeSide::Right, right) &&
                       getTypedAttribute<RgInt>(node, attributes, kSoftRegionKey);
    return valid ? RgStatus::Success : RgStatus::Failure;
}
