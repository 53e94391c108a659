#pragma once

#include <cstdint>
#include <vector>

#include "attributes/deformInputs.h"
#include "attributes/messageSink.h"
#include "prepare/workingState.h"
#include "rg/RgStatus.h"

// The working state one deform call works on, lent by its node for the call.
struct DeformState {
    EyeSolveState& leftEye;
    EyeSolveState& rightEye;
    SoftRegionState& softRegion;
    std::vector<std::uint8_t>& vertexMarks; // scratch for finding vertices both eyes name
};

// Everything deform does once its inputs are read: prepares both eyes and the
// soft region, solves the two eyes in parallel and moves the soft-region
// groups. `rebuild` asks for the cached preparation to be redone. Success when
// the call reached one of its normal ends; otherwise the failure's message has
// been shown.
RgStatus runDeform(const DeformInputs& inputs, bool rebuild, DeformState& state, const MessageSink& messages);
