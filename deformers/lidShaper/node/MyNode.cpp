#include "node/MyNode.h"

#include "attributes/attributeSchema.h"
#include "attributes/attributeValidation.h"
#include "attributes/deformInputs.h"
#include "attributes/messageSink.h"
#include "solve/deform.h"

void MyNode::declareAttributes(std::vector<AttributeDescriptor>& attributes)
{
    appendAttributeSchema(attributes);
}

RgStatus MyNode::validateAttributes(const AttributeMap& attributes)
{
    return validateAttributeMap(MessageSink(*this), attributes);
}

RgStatus MyNode::deform(AttributeMap& attributes, RgDeformData& data)
{
    const MessageSink messages(*this);
    DeformInputs inputs;
    switch (readDeformInputs(messages, attributes, data, inputs)) {
    case InputPhaseOutcome::LookupFailed: return RgStatus::Failure;
    case InputPhaseOutcome::EnvelopeOff: return RgStatus::Success;
    case InputPhaseOutcome::Continue: break;
    }
    DeformState state{leftEye, rightEye, softRegionState, vertexMarks};
    const RgStatus status = runDeform(inputs, rebuildCache || !inputs.cacheAttributes, state, messages);
    // A call that fails leaves the flag as it was, so the next one prepares again.
    if (status == RgStatus::Success)
        rebuildCache = false;
    return status;
}
