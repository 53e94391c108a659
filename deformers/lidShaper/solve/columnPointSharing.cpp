#include "solve/columnPointSharing.h"

#include <algorithm>

bool namesAVertexTwice(const std::int32_t* rows, std::uint32_t rowCount)
{
    constexpr std::uint32_t kLongestSearchedRow = 32;
    if (rowCount > kLongestSearchedRow)
        return true;
    for (std::uint32_t k = 1; k < rowCount; ++k)
        for (std::uint32_t j = 0; j < k; ++j)
            if (rows[j] == rows[k])
                return true;
    return false;
}

bool columnsNameEachPointOnce(EyeSolveState& state, std::size_t pointCount, const LidState& lid,
                              const LidInputs& inputs, std::size_t first, std::size_t count)
{
    std::vector<std::uint32_t>& marks = state.pointMarks;
    if (marks.size() < pointCount)
        marks.resize(pointCount, 0);
    if (++state.currentMark == 0) {
        std::fill(marks.begin(), marks.end(), 0);
        state.currentMark = 1;
    }
    const std::uint32_t mark = state.currentMark;
    const auto claim = [&](std::int32_t index) {
        if (marks[index] == mark)
            return false;
        marks[index] = mark;
        return true;
    };
    const auto claimRow = [&](const std::vector<std::int32_t>& rows, std::size_t column, std::uint32_t rowCount) {
        for (std::size_t k = column * rowCount; k < (column + 1) * rowCount; ++k)
            if (!claim(rows[k]))
                return false;
        return true;
    };
    for (std::size_t i = first; i < first + count; ++i) {
        if (!claim(inputs.innerIdxs[i]) || !claim(inputs.outerIdxs[i]) ||
            !claimRow(inputs.centerIdxs, i, lid.centerCount) || !claimRow(inputs.betweenIdxs, i, lid.betweenCount))
            return false;
    }
    return true;
}
