#include "MyNode.h"

#include "attributeSchema.h"
#include "attributeValidation.h"
#include "deformDriver.h"

void MyNode::declareAttributes(std::vector<AttributeDescriptor>& attributes) { appendAttributeSchema(attributes); }

RgStatus MyNode::validateAttributes(const AttributeMap& attributes) { return validateAttributeMap(*this, attributes); }

bool EyeCacheShape::operator==(const EyeCacheShape& other) const
{
    return columnCount == other.columnCount && upperInnerUVCount == other.upperInnerUVCount &&
           lowerInnerUVCount == other.lowerInnerUVCount && upperCenterCount == other.upperCenterCount &&
           upperBetweenCount == other.upperBetweenCount && pointsOffsetCount == other.pointsOffsetCount &&
           cornersCount == other.cornersCount && pointCount == other.pointCount;
}

RgStatus MyNode::deform(AttributeMap& attributes, RgDeformData& data)
{
    DeformInputs inputs;
    switch (readDeformInputs(*this, attributes, data, inputs)) {
    case InputPhaseOutcome::LookupFailed: return RgStatus::Failure;
    case InputPhaseOutcome::EnvelopeOff: return RgStatus::Success;
    case InputPhaseOutcome::Continue: break;
    }
    return runDeformDriver(*this, inputs);
}
