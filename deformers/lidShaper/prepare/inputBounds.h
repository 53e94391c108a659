#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "attributes/eyeFields.h"
#include "prepare/workingState.h"
#include "rg/NurbsCurveData.h"

// Checks that keep deform inside the host's lists whatever the inputs hold.
// Each gives "" when all is well, or one sentence naming the list, the position
// and the value, e.g. "...__upperLidBetweenIdxs[7] = 5012 is outside points (4800)".

// The smallest and largest index a set of index lists names.
struct IndexSpan {
    std::int32_t lowest = INT32_MAX;
    std::int32_t highest = INT32_MIN;

    void include(const std::int32_t* indices, std::size_t count);
    void include(std::int32_t index);
    bool empty() const { return lowest > highest; }
    bool overlaps(const IndexSpan& other) const;
};

// The first `count` entries of `list` must name points.
std::string findIndexOutsidePoints(const std::string& listKey, const std::vector<std::int32_t>& list, std::size_t count,
                                   std::size_t pointCount);

// `list` must hold at least `needed` entries; `why` says what needs them. Plain
// text, so that a check that passes builds no string.
std::string findListTooShort(const std::string& listKey, std::size_t size, std::size_t needed, const char* why);

// The point that entry `position` of `list` names must have a weight.
std::string findIndexWithoutWeight(const std::string& listKey, const std::vector<std::int32_t>& list,
                                   std::size_t position, std::size_t weightCount);

// The curve must be one the curve point kernel can evaluate without reading
// past its lists.
std::string findCurveProblem(const std::string& curveKey, const NurbsCurveData& curve);

// The point lists one eye's solve works on: its eight index lists, cut to the
// entries the prepared row counts make it read, and what those counts need
// ("" for the one-per-column lists).
struct SolvedIndexList {
    std::size_t field; // rigContract::eyeField position
    const std::vector<std::int32_t>* list;
    std::size_t count;
    const char* rowsText;
};
std::array<SolvedIndexList, 8> solvedIndexLists(const EyeInputs& eye, const LidState& upper);

// Calls visit(indices, count) for every run of point indices in the eye's
// corner records.
template <typename Visit>
void forEachCornerIndexRun(const EyeSolveState& state, Visit&& visit)
{
    for (const CornerRecord& corner : state.corners) {
        const std::int32_t cornerIndices[] = {corner.cornerA,           corner.cornerB,
                                              corner.cornerANeighbour1, corner.cornerBNeighbour1,
                                              corner.cornerANeighbour2, corner.cornerBNeighbour2};
        visit(cornerIndices, std::size_t{6});
        visit(corner.aroundCenterIdxs.data(), corner.aroundCenterIdxs.size());
        visit(corner.alongSpanIdxs.data(), corner.alongSpanIdxs.size());
    }
}

// Calls visit(indices, count) for every run of point indices the eye's solve
// reads or writes: its index lists and its corner records.
template <typename Visit>
void forEachSolvedIndexRun(const EyeInputs& eye, const EyeSolveState& state, Visit&& visit)
{
    for (const SolvedIndexList& entry : solvedIndexLists(eye, state.upper))
        visit(entry.list->data(), entry.count);
    forEachCornerIndexRun(state, visit);
}

// The checks of one eye beyond the documented ones, each before the step it
// keeps inside the host's lists. `side` names the eye's keys in the message.

// The cached preparation reads the rest inner and outer vertices of both lids
// and every upper between vertex.
std::string findCachedPreparationProblem(const EyeInputs& eye, rigContract::EyeSide side, std::size_t pointCount);

// The corner records read the corner pairs and, from entry 4 on, the carried
// vertices, as many as the prepared row counts of `upper` say.
std::string findCornerProblem(const EyeInputs& eye, rigContract::EyeSide side, const LidState& upper,
                              std::size_t pointCount);

// The solve reads the current index lists, cut by the prepared row counts, and
// the weights of between rows after the first. On success `touched` spans every
// point index the solve reads or writes.
std::string findSolveProblem(const EyeInputs& eye, rigContract::EyeSide side, const EyeSolveState& state,
                             std::size_t pointCount, std::size_t weightCount, IndexSpan& touched);

// Soft-region groups built on an earlier call must still fit this call's points
// and weights.
std::string findSoftRegionFitProblem(const SoftRegionState& state, std::size_t pointCount, std::size_t weightCount);
