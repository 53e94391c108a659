#include "prepare/inputBounds.h"

#include <algorithm>
#include <tuple>

#include "kernels/curvePointKernel.h"
#include "kernels/minorCurve.h"
#include "lidShaper/rigContract.h"

using namespace rigContract;

namespace {

std::string entryText(const std::string& listKey, std::size_t position, std::int32_t value)
{
    return listKey + "[" + std::to_string(position) + "] = " + std::to_string(value);
}

} // namespace

void IndexSpan::include(const std::int32_t* indices, std::size_t count)
{
    // Kept in locals: through `this` every store could change the indices read
    // next, and the loop would run from memory.
    std::int32_t low = lowest;
    std::int32_t high = highest;
    for (std::size_t i = 0; i < count; ++i) {
        low = std::min(low, indices[i]);
        high = std::max(high, indices[i]);
    }
    lowest = low;
    highest = high;
}

void IndexSpan::include(std::int32_t index)
{
    lowest = std::min(lowest, index);
    highest = std::max(highest, index);
}

bool IndexSpan::overlaps(const IndexSpan& other) const
{
    return !empty() && !other.empty() && lowest <= other.highest && other.lowest <= highest;
}

std::string findIndexOutsidePoints(const std::string& listKey, const std::vector<std::int32_t>& list, std::size_t count,
                                   std::size_t pointCount)
{
    for (std::size_t position = 0; position < count; ++position) {
        const std::int32_t index = list[position];
        if (index < 0 || static_cast<std::size_t>(index) >= pointCount)
            return entryText(listKey, position, index) + " is outside points (" + std::to_string(pointCount) + ")";
    }
    return {};
}

std::string findListTooShort(const std::string& listKey, std::size_t size, std::size_t needed, const char* why)
{
    if (size >= needed)
        return {};
    return listKey + " holds " + std::to_string(size) + " entries but " + why + " need " + std::to_string(needed);
}

std::string findIndexWithoutWeight(const std::string& listKey, const std::vector<std::int32_t>& list,
                                   std::size_t position, std::size_t weightCount)
{
    const std::int32_t index = list[position];
    if (static_cast<std::size_t>(index) < weightCount)
        return {};
    return entryText(listKey, position, index) + " has no weight (weights hold " + std::to_string(weightCount) + ")";
}

std::string findCurveProblem(const std::string& curveKey, const NurbsCurveData& curve)
{
    if (curveFitsKernel(curve))
        return {};
    return curveKey + " cannot be evaluated: degree " + std::to_string(curve.degree) + " with " +
           std::to_string(curve.cvs.size()) + " CVs and " + std::to_string(curve.knots.size()) +
           " knots (a curve needs CVs + degree + 1 knots, degree at most " + std::to_string(kMaxCurveKernelDegree) +
           ")";
}

std::array<SolvedIndexList, 8> solvedIndexLists(const EyeInputs& eye, const LidState& upper)
{
    const std::size_t n = eye.upperLidInnerIdxs->values.size();
    const std::size_t centerRows = n * upper.centerCount;
    const std::size_t betweenRows = n * upper.betweenCount;
    const char* const center = "the columns' center rows";
    const char* const between = "the columns' between rows";
    return {{
        {eyeField::upperLidInnerIdxs, &eye.upperLidInnerIdxs->values, n, ""},
        {eyeField::upperLidOuterIdxs, &eye.upperLidOuterIdxs->values, n, ""},
        {eyeField::upperLidCenterIdxs, &eye.upperLidCenterIdxs->values, centerRows, center},
        {eyeField::upperLidBetweenIdxs, &eye.upperLidBetweenIdxs->values, betweenRows, between},
        {eyeField::lowerLidInnerIdxs, &eye.lowerLidInnerIdxs->values, n, ""},
        {eyeField::lowerLidOuterIdxs, &eye.lowerLidOuterIdxs->values, n, ""},
        {eyeField::lowerLidCenterIdxs, &eye.lowerLidCenterIdxs->values, centerRows, center},
        {eyeField::lowerLidBetweenIdxs, &eye.lowerLidBetweenIdxs->values, betweenRows, between},
    }};
}

std::string findCachedPreparationProblem(const EyeInputs& eye, EyeSide side, std::size_t pointCount)
{
    const auto& keys = eyeAttributeKeys(side);
    const std::size_t n = eye.upperLidInnerIdxs->values.size();
    const std::tuple<std::size_t, const std::vector<std::int32_t>&, std::size_t> lists[] = {
        {eyeField::upperLidInnerIdxs, eye.upperLidInnerIdxs->values, n},
        {eyeField::upperLidOuterIdxs, eye.upperLidOuterIdxs->values, n},
        {eyeField::lowerLidInnerIdxs, eye.lowerLidInnerIdxs->values, n},
        {eyeField::lowerLidOuterIdxs, eye.lowerLidOuterIdxs->values, n},
        {eyeField::upperLidBetweenIdxs, eye.upperLidBetweenIdxs->values, eye.upperLidBetweenIdxs->values.size()},
    };
    for (const auto& [field, list, count] : lists) {
        std::string problem = findIndexOutsidePoints(keys[field], list, count, pointCount);
        if (!problem.empty())
            return problem;
    }
    return {};
}

std::string findCornerProblem(const EyeInputs& eye, EyeSide side, const LidState& upper, std::size_t pointCount)
{
    const std::string& key = eyeAttributeKeys(side)[eyeField::cornersIdxs];
    const std::vector<std::int32_t>& corners = eye.cornersIdxs->values;
    const std::size_t carriedEnd = cornerList::carriedEnd(upper.centerCount, upper.betweenCount);
    std::string problem = findListTooShort(key, corners.size(), carriedEnd, "4 corners and their carried lists");
    if (!problem.empty())
        return problem;
    using cornerList::Ring;
    for (const Ring ring : {Ring::Corner, Ring::FirstNeighbour, Ring::SecondNeighbour}) {
        const std::size_t start = cornerList::pairEntry(corners.size(), ring, 0, false);
        for (std::size_t position = start; position < start + 4; ++position) {
            if (corners[position] < 0 || static_cast<std::size_t>(corners[position]) >= pointCount)
                return findIndexOutsidePoints(key, corners, position + 1, pointCount);
        }
    }
    return findIndexOutsidePoints(key, corners, carriedEnd, pointCount);
}

namespace {

// Between rows after the first read their vertex's weight; nothing to look at
// while every index so far has one.
std::string findBetweenWeightProblem(const std::string& key, const std::vector<std::int32_t>& list,
                                     std::size_t columnCount, std::size_t betweenRows, const IndexSpan& touched,
                                     std::size_t weightCount)
{
    if (static_cast<std::size_t>(touched.highest) < weightCount)
        return {};
    for (std::size_t column = 0; column < columnCount; ++column) {
        for (std::size_t row = 1; row < betweenRows; ++row) {
            std::string problem = findIndexWithoutWeight(key, list, column * betweenRows + row, weightCount);
            if (!problem.empty())
                return problem;
        }
    }
    return {};
}

} // namespace

std::string findSolveProblem(const EyeInputs& eye, EyeSide side, const EyeSolveState& state, std::size_t pointCount,
                             std::size_t weightCount, IndexSpan& touched)
{
    const auto& keys = eyeAttributeKeys(side);
    touched = IndexSpan{};
    for (const SolvedIndexList& entry : solvedIndexLists(eye, state.upper)) {
        const std::string& key = keys[entry.field];
        std::string problem = findListTooShort(key, entry.list->size(), entry.count, entry.rowsText);
        if (problem.empty()) {
            touched.include(entry.list->data(), entry.count);
            if (touched.lowest < 0 || static_cast<std::size_t>(touched.highest) >= pointCount)
                problem = findIndexOutsidePoints(key, *entry.list, entry.count, pointCount);
        }
        if (problem.empty() &&
            (entry.field == eyeField::upperLidBetweenIdxs || entry.field == eyeField::lowerLidBetweenIdxs))
            problem = findBetweenWeightProblem(key, *entry.list, eye.upperLidInnerIdxs->values.size(),
                                               state.upper.betweenCount, touched, weightCount);
        if (!problem.empty())
            return problem;
    }
    forEachCornerIndexRun(
        state, [&touched](const std::int32_t* indices, std::size_t count) { touched.include(indices, count); });
    return {};
}

std::string findSoftRegionFitProblem(const SoftRegionState& state, std::size_t pointCount, std::size_t weightCount)
{
    if (state.groups.empty())
        return {};
    const std::size_t needed = static_cast<std::size_t>(state.largestIndex) + 1;
    if (needed <= pointCount && needed <= weightCount)
        return {};
    return "softRegion names point " + std::to_string(state.largestIndex) + " but points hold " +
           std::to_string(pointCount) + " and weights " + std::to_string(weightCount);
}
