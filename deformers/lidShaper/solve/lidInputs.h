#pragma once

#include <cstdint>
#include <vector>

#include "attributes/eyeFields.h"
#include "prepare/workingState.h"

// The inputs one lid's solve reads besides its LidState: the upper or the
// lower lid's share of an eye's inputs.
struct LidInputs {
    double outerControl;
    const std::vector<V3d>& outerUV;
    const std::vector<V3d>& innerUV;
    const std::vector<std::int32_t>& innerIdxs;
    const std::vector<std::int32_t>& outerIdxs;
    const std::vector<std::int32_t>& centerIdxs;
    const std::vector<std::int32_t>& betweenIdxs;
    double mountSize;
};

LidInputs upperLidInputs(const EyeInputs& eye);
LidInputs lowerLidInputs(const EyeInputs& eye);
