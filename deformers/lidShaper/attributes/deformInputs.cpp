#include "attributes/deformInputs.h"

#include "attributes/attributeLookup.h"

using namespace rigContract;

bool fetchEyeInputs(const MessageSink& messages, const AttributeMap& attributes, EyeSide side, EyeInputs& eye)
{
    const auto& keys = eyeAttributeKeys(side);
    bool complete = true;
    visitEyeFields(eye, [&](std::size_t index, auto& handle) {
        using Value = typename std::decay_t<decltype(handle)>::element_type;
        if (complete) {
            handle = getTypedAttribute<std::remove_const_t<Value>>(messages, attributes, keys[index]);
            complete = handle != nullptr;
        }
    });
    return complete;
}

InputPhaseOutcome readDeformInputs(const MessageSink& messages, const AttributeMap& attributes, RgDeformData& data,
                                   DeformInputs& inputs)
{
    if (!(inputs.debugMode = getTypedAttribute<RgInt>(messages, attributes, kDebugModeKey)) ||
        !(inputs.cacheAttributesValue = getTypedAttribute<RgBoolean>(messages, attributes, kCacheAttributesKey)) ||
        !(inputs.envelopeValue = getTypedAttribute<RgFloat>(messages, attributes, kEnvelopeKey)) ||
        !(inputs.soaEnabled = getTypedAttribute<RgBoolean>(messages, attributes, kSoaEnabledKey)))
        return InputPhaseOutcome::LookupFailed;
    inputs.cacheAttributes = inputs.cacheAttributesValue->value;
    inputs.envelope = inputs.envelopeValue->value;

    inputs.geometry = data.geometry;
    inputs.points = &data.points;
    inputs.geometryMatrix = data.geometryMatrix;
    inputs.weights = &data.weights;
    inputs.geometryInverse = data.geometryMatrix.inverse(false);

    // Compared in double: the float nearest 0.00001 lies just below the threshold
    // and still switches the deformer off. A NaN envelope does not.
    if (static_cast<double>(inputs.envelope) < kEnvelopeThreshold)
        return InputPhaseOutcome::EnvelopeOff;

    if (!fetchEyeInputs(messages, attributes, EyeSide::Left, inputs.left) ||
        !fetchEyeInputs(messages, attributes, EyeSide::Right, inputs.right) ||
        !(inputs.softRegion = getTypedAttribute<RgInt>(messages, attributes, kSoftRegionKey)))
        return InputPhaseOutcome::LookupFailed;
    return InputPhaseOutcome::Continue;
}
