#include "solve/columnOffsets.h"

#include <algorithm>

namespace {

// Clamp that lets NaN through, as the comparisons are written.
double clampOuterControl(double value)
{
    constexpr double kLowest = 0.0001;
    constexpr double kHighest = 2.0;
    return value < kLowest ? kLowest : (value > kHighest ? kHighest : value);
}

} // namespace

void computeColumnOffsets(LidState& lid, const std::vector<LidColumn>& upperColumns,
                          const std::vector<LidColumn>& lowerColumns, double outerControlInput,
                          const std::vector<V3d>& outerUV)
{
    const std::size_t columnCount = lid.columns.size();
    const double control = lid.normalizedControl;
    const double outerControl = clampOuterControl(outerControlInput);

    for (std::size_t i = 0; i < columnCount; ++i) {
        LidColumn& column = lid.columns[i];
        const LidColumn& upperColumn = upperColumns[i];
        const LidColumn& lowerColumn = lowerColumns[i];
        const double profile = column.profileValue;

        const V3d base = control > 0.0 ? control * upperColumn.moveVector : control * lowerColumn.moveVector;
        const V3d off = profile > 0.0 ? profile * upperColumn.moveDirection : profile * lowerColumn.moveDirection;
        column.innerOffset = base + off;
        bool towardUpper;
        if (profile > 0.0 && control > 0.0) {
            towardUpper = true;
        } else if (profile <= 0.0 && control <= 0.0) {
            towardUpper = false;
        } else {
            double difference = base.length() - off.length();
            if (control <= 0.0)
                difference = -difference;
            towardUpper = difference > 0.0;
            column.innerOffset = difference * (towardUpper ? upperColumn : lowerColumn).moveDirection;
        }
        column.towardUpper = towardUpper;
        const double ratio = column.innerOffset.length() / (towardUpper ? upperColumn : lowerColumn).moveLength;
        column.moveWeight = ratio < 0.0001 ? 0.0001 : std::min(ratio, 1.0);
        column.restWeight = 1.0 - column.moveWeight;

        const bool followsLid = column.towardUpper == lid.isUpper;
        column.outerOffset = V3d(0.0);
        if (followsLid) {
            column.outerOffset = ratio * column.outerMove;
            if (ratio > 1.0) {
                column.innerOffset += (ratio - 1.0) * column.innerOvershoot;
                column.outerOffset += (ratio - 1.0) * column.outerOvershoot;
            }
        }

        const double moveLength = column.moveLength;
        double slide = moveLength - moveLength * outerControl;
        if (followsLid)
            slide = std::min(moveLength - column.innerOffset.length(), slide);
        const V3d shift = slide * column.moveDirection + column.outerOffset;
        column.outerUV = lid.isUpper ? outerUV[i] - shift : outerUV[i] + shift;
        column.smoothedOuterUV = column.outerUV;

        if (i >= 1 && i + 1 < columnCount)
            column.outerSmoothRatio =
                ((outerUV[i + 1].y + outerUV[i - 1].y) * 0.5) / (outerUV[i].y + column.outerOffset.y);
    }
}

// A pass that keeps no update leaves the row exactly as it was, and so would
// every pass after it: stopping there gives the same row, also for huge counts.
void smoothOuterRow(LidState& lid, std::int32_t passes)
{
    std::vector<LidColumn>& columns = lid.columns;
    bool rowChanged = true;
    for (std::int32_t pass = 0; pass < passes && rowChanged; ++pass) {
        rowChanged = false;
        for (std::size_t i = 1; i + 1 < columns.size(); ++i) {
            LidColumn& column = columns[i];
            const V3d before = column.smoothedOuterUV;
            column.smoothedOuterUV.y =
                ((columns[i + 1].smoothedOuterUV.y + columns[i - 1].smoothedOuterUV.y) * 0.5) / column.outerSmoothRatio;
            const double smoothedLength = column.smoothedOuterUV.length();
            const double currentLength = column.outerUV.length();
            const bool accepted = lid.isUpper ? smoothedLength > currentLength : currentLength > smoothedLength;
            if (accepted)
                column.outerUV = column.smoothedOuterUV;
            else
                column.smoothedOuterUV = before;
            rowChanged = rowChanged || accepted;
        }
    }
}
