#pragma once

#include <cstdint>
#include <vector>

#include <Imath/ImathMatrix.h>
#include <Imath/ImathVec.h>

#include "rg/NurbsCurveData.h"

// The node's working state: what the deform driver prepares from the inputs and
// keeps between calls, and what the per-eye solve writes per column.

using V3d = Imath::V3d;
using M44d = Imath::M44d;

// One lid column: an inner (lid margin) vertex, an outer vertex and the rows
// between them.
struct LidColumn {
    double profileValue = 0.0;     // y of the lid's minor curve at arcPosition (every call)
    double arcPosition = 0.0;      // normalised arc-length position of the column
    bool towardUpper = true;       // whether the inner offset follows the upper lid's move vector
    double moveWeight = 1.0;       // blend weight of the moved position
    double restWeight = 0.0;       // 1 - moveWeight once solved
    V3d innerOffset{0.0};          // x, y add to the sphere parameters; z to the distance from the eye center
    V3d smoothedOuterUV{0.0};      // working copy of outerUV for the smoothing passes
    V3d outerUV{0.0};              // sphere parameters of the outer vertex in x, y
    double outerSmoothRatio = 1.0; // smoothing ratio of an interior column
    V3d restSpan{0.0};             // rest outer minus rest inner vertex, in rig space
    double restSpanLength = 0.0;   // |restSpan|, prepared with it
    M44d restInnerFrame;           // translation to the rest inner vertex in rig space
    M44d restInnerFrameInv;
    V3d restInnerPoint{0.0}; // the rest inner and outer vertex (rig space) the rest frame was made from
    V3d restOuterPoint{0.0};
    V3d moveVector{0.0};     // the column's move vector plus its offset
    V3d moveDirection{0.0};  // moveVector's unit copy, prepared with it
    double moveLength = 0.0; // |moveVector|, prepared with it
    V3d outerMove{0.0};      // outer vertex offset per unit of move
    V3d innerOvershoot{0.0}; // extra inner offset per unit of move beyond 1
    V3d outerOvershoot{0.0}; // extra outer offset per unit of move beyond 1
    V3d outerOffset{0.0};    // offset of the outer vertex, read like innerOffset
};

struct LidState {
    std::vector<LidColumn> columns;
    NurbsCurveData minorCurve;      // copy of the lid's minor curve, closed by the close blend
    double control = 0.0;           // the lid control after the close blend
    double normalizedControl = 0.0; // control scaled by an open value
    bool isUpper = true;
    double minBetweenRadius = 0.0; // smallest rest distance of an upper between vertex from the eye center; never reset
    std::uint32_t centerCount = 0; // center-row vertices per column
    std::uint32_t betweenCount = 0; // between-row vertices per column
};

// An eye corner pair and the vertices that follow it.
struct CornerRecord {
    std::int32_t cornerA = -1;
    std::int32_t cornerB = -1;
    std::int32_t cornerANeighbour1 = -1;
    std::int32_t cornerBNeighbour1 = -1;
    std::int32_t cornerANeighbour2 = -1;
    std::int32_t cornerBNeighbour2 = -1;
    std::vector<std::int32_t> aroundCenterIdxs; // carried around the eye center
    std::vector<std::int32_t> alongSpanIdxs;    // carried along the corner span
    V3d offsetA{0.0};                           // x, y add to a smoothed position, z to a distance from the eye center
    V3d offsetB{0.0};
};

// Sizes of the inputs an eye's cached preparation was built from. While the
// cache is reused, a change in any of them makes the eye prepare again instead
// of working on records sized for other inputs.
struct EyeCacheShape {
    std::size_t columnCount = 0;
    std::size_t upperInnerUVCount = 0;
    std::size_t lowerInnerUVCount = 0;
    std::size_t upperCenterCount = 0;
    std::size_t upperBetweenCount = 0;
    std::size_t pointsOffsetCount = 0;
    std::size_t cornersCount = 0;
    std::size_t pointCount = 0;

    bool operator==(const EyeCacheShape& other) const
    {
        return columnCount == other.columnCount && upperInnerUVCount == other.upperInnerUVCount &&
               lowerInnerUVCount == other.lowerInnerUVCount && upperCenterCount == other.upperCenterCount &&
               upperBetweenCount == other.upperBetweenCount && pointsOffsetCount == other.pointsOffsetCount &&
               cornersCount == other.cornersCount && pointCount == other.pointCount;
    }
    bool operator!=(const EyeCacheShape& other) const { return !(*this == other); }
};

struct EyeSolveState {
    LidState upper;
    LidState lower;
    std::vector<V3d> offsetTable; // pointsOffset widened to offsetTable::size(N) entries (rig contract)
    std::vector<CornerRecord> corners = std::vector<CornerRecord>(2);

    EyeCacheShape preparedShape;              // the input sizes the cached preparation was made for
    M44d restFramesMatrix;                    // the geometry matrix of the columns' last rest frames
    std::size_t restFramesColumns = 0;        // columns whose rest frames were made under restFramesMatrix
    std::vector<double> pathLengths;          // scratch: path lengths of the rows being placed, per lane
    std::vector<V3d> rowPoints;               // scratch: world points of the rows being placed, per lane
    std::vector<std::uint8_t> rowNeedsScalar; // scratch: row vertices the lanes left to the scalar code
    std::vector<std::uint32_t> pointMarks;    // scratch: per point, the last mark that claimed it
    std::uint32_t currentMark = 0;            // the mark of the last run of columns checked
    std::vector<V3d> innerSphereDirections;   // scratch: per column, from the eye center to the sphere
    std::vector<V3d> outerSphereDirections;
};

// Soft-region groups: vertices that follow a pivot and an aim vertex.
struct SoftRegionState {
    std::vector<std::int32_t> indices; // copy of the soft-region list
    std::vector<std::int32_t> pivotIdxs;
    std::vector<std::int32_t> aimIdxs;
    std::vector<std::vector<std::int32_t>> groups;
    M44d geometryMatrix;
    M44d geometryInverse;
    double currentRatio = 0.0;
    std::vector<V3d> restAims;
    std::vector<double> restLengths;
    std::vector<M44d> restFrames;
    std::vector<M44d> restFramesInv;
    std::vector<V3d> restPivotPoints; // each group's pivot and aim as its rest frame was made from them
    std::vector<V3d> restAimPoints;
    std::size_t builtPointCount = 0; // the point and weight counts the list was last checked against
    std::size_t builtWeightCount = 0;

    std::int32_t largestIndex = -1; // largest point index the groups name, checked before each apply

    // Runs of consecutive groups that neither read nor move a vertex another
    // group of the run moves: a run's groups can be applied in any order. Each
    // entry is the group one past a run's end.
    std::vector<std::size_t> runEnds;
    std::vector<M44d> groupMaps;             // scratch: each group's map in this apply
    std::vector<std::size_t> memberRunMarks; // scratch of the build: per point, the last run it is a member of
    std::vector<std::size_t> anchorRunMarks; // scratch of the build: per point, the last run it is a pivot or aim of
};
