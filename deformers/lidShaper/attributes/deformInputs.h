#pragma once

#include <memory>
#include <vector>

#include <Imath/ImathMatrix.h>
#include <Imath/ImathVec.h>

#include "attributes/eyeFields.h"
#include "attributes/messageSink.h"
#include "rg/AttributeMap.h"
#include "rg/RgDeformData.h"

// Below this envelope deform does nothing at all.
constexpr double kEnvelopeThreshold = 0.00001;

// Everything one deform call reads, as views of the host's data that live as
// long as the call.
struct DeformInputs {
    bool cacheAttributes = false;
    float envelope = 0.0f;
    bool geometry = false;
    std::vector<Imath::V3d>* points = nullptr;
    Imath::M44d geometryMatrix;
    const std::vector<float>* weights = nullptr;
    Imath::M44d geometryInverse;
    EyeInputs left;
    EyeInputs right;
    std::shared_ptr<const RgInt> softRegion;

    // Handles kept only so the settings stay alive and typed for the call.
    std::shared_ptr<const RgInt> debugMode;
    std::shared_ptr<const RgBoolean> cacheAttributesValue;
    std::shared_ptr<const RgFloat> envelopeValue;
    std::shared_ptr<const RgBoolean> soaEnabled;

    const EyeInputs& eye(rigContract::EyeSide side) const { return side == rigContract::EyeSide::Left ? left : right; }
};

// Fetches one eye's 34 attributes in field order into `eye`. The first missing
// or mistyped key shows its message and ends the fetch with false.
bool fetchEyeInputs(const MessageSink& messages, const AttributeMap& attributes, rigContract::EyeSide side,
                    EyeInputs& eye);

// What the input phase decided.
enum class InputPhaseOutcome {
    Continue,     // inputs complete: go on deforming
    EnvelopeOff,  // envelope negligible: succeed without doing anything
    LookupFailed, // a key was missing or mistyped; its message has been shown
};

// Reads the settings, the deform record and, unless the envelope switches the
// deformer off, both eyes' attributes and the soft-region list.
InputPhaseOutcome readDeformInputs(const MessageSink& messages, const AttributeMap& attributes, RgDeformData& data,
                                   DeformInputs& inputs);
