#pragma once

#include <cstddef>

#include "attributes/eyeFields.h"
#include "attributes/messageSink.h"

// The documented checks of one eye, in the order they run. Each check of each
// eye reports from a source line of its own, so a message tells them apart.
enum class EyeCheck {
    Sphere,
    UpperCurve,
    LowerCurve,
    ColumnCount,
    UpperOuterIdxs,
    UpperCenterIdxs,
    UpperBetweenIdxs,
    UpperInnerUV,
    UpperOuterUV,
    UpperMoveVector,
    LowerInnerIdxs,
    LowerOuterIdxs,
    LowerCenterIdxs,
    LowerBetweenIdxs,
    LowerInnerUV,
    LowerOuterUV,
    LowerMoveVector,
    Corners,
    CurveCvCount, // the two minor curves, after the inputs
    CornerCount,  // the corner list, after the per-call preparation
    None,         // no check failed
};

// The first of the checks on the inputs alone (Sphere to Corners) that the eye
// fails, or None.
EyeCheck firstFailedInputCheck(const EyeInputs& eye);

// Shows the message of a failed check other than CornerCount.
void reportEyeCheck(const MessageSink& messages, rigContract::EyeSide side, EyeCheck check);

// Shows the CornerCount message for a corner list of `cornerEntries` entries.
void reportCornerCount(const MessageSink& messages, rigContract::EyeSide side, std::size_t cornerEntries);
