#include "attributes/attributeValidation.h"

#include "attributes/attributeLookup.h"
#include "attributes/deformInputs.h"

using namespace rigContract;

RgStatus validateAttributeMap(const MessageSink& messages, const AttributeMap& attributes)
{
    EyeInputs left;
    EyeInputs right;
    const bool valid = getTypedAttribute<RgInt>(messages, attributes, kDebugModeKey) &&
                       getTypedAttribute<RgBoolean>(messages, attributes, kCacheAttributesKey) &&
                       getTypedAttribute<RgFloat>(messages, attributes, kEnvelopeKey) &&
                       fetchEyeInputs(messages, attributes, EyeSide::Left, left) &&
                       fetchEyeInputs(messages, attributes, EyeSide::Right, right) &&
                       getTypedAttribute<RgInt>(messages, attributes, kSoftRegionKey);
    return valid ? RgStatus::Success : RgStatus::Failure;
}
