#include "deformSafety.h"

#include <algorithm>

#include "curvePointKernel.h"

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

std::string findIndexOutsidePoints(const std::string& listKey, const std::vector<std::int32_t>& list,
                                   std::size_t count, std::size_t pointCount)
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
           " knots (a curve needs CVs + degree + 1 knots, degree at most " +
           std::to_string(kMaxCurveKernelDegree) + ")";
}
