#include "solve/deform.h"

#include <array>
#include <functional>

#include "prepare/eyePreparation.h"
#include "prepare/inputBounds.h"
#include "geometry/lidGeometry.h"
#include "solve/lidSolve.h"
#include "solve/parallelInvoke.h"
#include "solve/softRegion.h"

using namespace rigContract;

namespace {

// Builds the groups again from this call's list when the cache is rebuilt or
// the list changed length. A rebuild on the list and the point and weight
// counts of the last build finds the list as well formed as that build did, and
// keeps what it can of that build (SoftRegionReuse).
bool prepareSoftRegion(SoftRegionState& state, const DeformInputs& inputs, bool rebuild, const MessageSink& messages)
{
    const std::vector<std::int32_t>& list = inputs.softRegion->values;
    if (!rebuild && list.size() == state.indices.size())
        return true;
    SoftRegionReuse reuse;
    reuse.sameList = list == state.indices && state.builtPointCount == inputs.points->size() &&
                     state.builtWeightCount == inputs.weights->size();
    if (!reuse.sameList) {
        const std::string problem = findSoftRegionProblem(list, inputs.points->size(), inputs.weights->size());
        if (!problem.empty()) {
            messages.assertion(LIDSHAPER_CHECK_SITE, problem);
            return false;
        }
        state.indices.assign(list.begin(), list.end());
        state.builtPointCount = inputs.points->size();
        state.builtWeightCount = inputs.weights->size();
    }
    reuse.sameMatrix = sameBits(state.geometryMatrix, inputs.geometryMatrix);
    state.geometryInverse = inputs.geometryInverse;
    state.geometryMatrix = inputs.geometryMatrix;
    buildSoftRegion(state, *inputs.points, reuse);
    return true;
}

// Whether the two eyes' solves name a common point. Cheap when their index
// spans do not meet, which is how rigs lay out their eyes.
bool eyesShareVertices(const DeformInputs& inputs, DeformState& state, const IndexSpan& leftTouched,
                       const IndexSpan& rightTouched)
{
    if (!leftTouched.overlaps(rightTouched))
        return false;
    std::vector<std::uint8_t>& marks = state.vertexMarks;
    marks.assign(inputs.points->size(), 0);
    forEachSolvedIndexRun(inputs.left, state.leftEye, [&marks](const std::int32_t* indices, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i)
            marks[indices[i]] = 1;
    });
    bool shared = false;
    forEachSolvedIndexRun(inputs.right, state.rightEye, [&](const std::int32_t* indices, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i)
            shared = shared || marks[indices[i]] != 0;
    });
    return shared;
}

// Both eyes' solves, at the same time unless they share a vertex; then one
// after the other, so that the result is deterministic.
RgStatus solveEyes(const DeformInputs& inputs, DeformState& state, bool sequential)
{
    std::array<RgStatus, 2> statuses{RgStatus::NotHandled, RgStatus::NotHandled};
    std::vector<V3d>& points = *inputs.points;
    const EyeSolveTask leftTask{inputs.left,     state.leftEye, points, inputs.geometryMatrix, inputs.geometryInverse,
                                *inputs.weights, statuses[0]};
    const EyeSolveTask rightTask{inputs.right,           state.rightEye,  points,     inputs.geometryMatrix,
                                 inputs.geometryInverse, *inputs.weights, statuses[1]};
    const std::function<void()> solveLeft = [&leftTask] { solveEyeLids(leftTask); };
    const std::function<void()> solveRight = [&rightTask] { solveEyeLids(rightTask); };
    if (sequential) {
        solveLeft();
        solveRight();
    } else {
        runInParallel(solveLeft, solveRight);
    }
    for (const RgStatus status : statuses)
        if (status != RgStatus::Success)
            return status;
    return RgStatus::Success;
}

} // namespace

RgStatus runDeform(const DeformInputs& inputs, bool rebuild, DeformState& state, const MessageSink& messages)
{
    if (!inputs.geometry)
        return RgStatus::Success;
    // The preparation below gives a worker time to wake for the parallel solve.
    wakeParallelWorker();

    const bool leftComputed = inputs.left.eyeCompute->value;
    const bool rightComputed = inputs.right.eyeCompute->value;
    IndexSpan leftTouched;
    IndexSpan rightTouched;
    if ((leftComputed && !prepareEye(inputs, EyeSide::Left, state.leftEye, rebuild, messages, leftTouched)) ||
        (rightComputed && !prepareEye(inputs, EyeSide::Right, state.rightEye, rebuild, messages, rightTouched)))
        return RgStatus::Failure;

    if (!inputs.softRegion->values.empty() && !prepareSoftRegion(state.softRegion, inputs, rebuild, messages))
        return RgStatus::Failure;
    // An empty list keeps the groups of the last build, which must fit this call's points.
    const std::string problem =
        findSoftRegionFitProblem(state.softRegion, inputs.points->size(), inputs.weights->size());
    if (!problem.empty()) {
        messages.assertion(LIDSHAPER_CHECK_SITE, problem);
        return RgStatus::Failure;
    }

    const bool sequential =
        leftComputed && rightComputed && eyesShareVertices(inputs, state, leftTouched, rightTouched);
    const RgStatus solved = solveEyes(inputs, state, sequential);
    if (solved != RgStatus::Success)
        return solved;

    applySoftRegion(state.softRegion, *inputs.points, *inputs.weights);
    return RgStatus::Success;
}
