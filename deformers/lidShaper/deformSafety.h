#pragma once

#include <cstdint>
#include <string>
#include <vector>

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
std::string findIndexOutsidePoints(const std::string& listKey, const std::vector<std::int32_t>& list,
                                   std::size_t count, std::size_t pointCount);

// `list` must hold at least `needed` entries; `why` says what needs them. Plain
// text, so that a check that passes builds no string.
std::string findListTooShort(const std::string& listKey, std::size_t size, std::size_t needed, const char* why);

// The point that entry `position` of `list` names must have a weight.
std::string findIndexWithoutWeight(const std::string& listKey, const std::vector<std::int32_t>& list,
                                   std::size_t position, std::size_t weightCount);

// The curve must be one the curve point kernel can evaluate without reading
// past its lists.
std::string findCurveProblem(const std::string& curveKey, const NurbsCurveData& curve);
