#pragma once

#include "attributes/deformInputs.h"
#include "attributes/eyeFields.h"
#include "attributes/messageSink.h"
#include "prepare/inputBounds.h"
#include "prepare/workingState.h"

// Checks the eye on `side` of the call's inputs and prepares its working state
// for this call's solve: the documented checks, the cached preparation (when
// `rebuild` is set or the sizes of the eye's inputs changed since it was made),
// the per-call preparation, and the bounds checks that keep the solve inside
// the host's lists. False when a check failed; its message has been shown. On
// success `touched` spans every point index the solve will read or write.
//
// A problem the documented checks do not cover is found early, the step it
// would make unsafe is skipped, and it is reported only after the documented
// checks, so that whenever a documented check fails its message is the one
// shown.
bool prepareEye(const DeformInputs& call, rigContract::EyeSide side, EyeSolveState& state, bool rebuild,
                const MessageSink& messages, IndexSpan& touched);
