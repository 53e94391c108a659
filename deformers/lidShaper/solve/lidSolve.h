#pragma once

#include <vector>

#include "attributes/eyeFields.h"
#include "prepare/workingState.h"
#include "rg/RgStatus.h"

// What one eye's solve task works on: the eye's inputs and prepared state, and
// the host's points, matrices and weights shared with the other eye's task.
struct EyeSolveTask {
    const EyeInputs& eye;
    EyeSolveState& state;
    std::vector<V3d>& points;
    const M44d& geometryMatrix;
    const M44d& geometryInverse;
    const std::vector<float>& weights;
    RgStatus& status; // the task's slot, written when it finishes
};

// Moves one eye's lid vertices over its eyeball: the upper lid, the lower lid,
// then the corners and the vertices that hang on them. Writes only the points its
// own index lists and corner records name, and stores Success in its slot.
RgStatus solveEyeLids(const EyeSolveTask& task);
