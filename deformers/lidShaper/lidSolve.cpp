#include "lidSolve.h"

#include <algorithm>

#include <maya/MFnNurbsSurface.h>
#include <maya/MPoint.h>

#include "lidGeometry.h"

namespace {

// The inputs one lid pass reads besides its LidState.
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

LidInputs upperLidInputs(const EyeInputs& eye)
{
    return {eye.upperLidOuterControl->value, eye.upperLidOuterUV->values,  eye.upperLidInnerUV->values,
            eye.upperLidInnerIdxs->values,   eye.upperLidOuterIdxs->values, eye.upperLidCenterIdxs->values,
            eye.upperLidBetweenIdxs->values, eye.upperMountSize->value};
}

LidInputs lowerLidInputs(const EyeInputs& eye)
{
    return {eye.lowerLidOuterControl->value, eye.lowerLidOuterUV->values,  eye.lowerLidInnerUV->values,
            eye.lowerLidInnerIdxs->values,   eye.lowerLidOuterIdxs->values, eye.lowerLidCenterIdxs->values,
            eye.lowerLidBetweenIdxs->values, eye.lowerMountSize->value};
}

// Clamp that lets NaN through, as the comparisons are written.
double clampOuterControl(double value)
{
    constexpr double kLowest = 0.0001;
    constexpr double kHighest = 2.0;
    return value < kLowest ? kLowest : (value > kHighest ? kHighest : value);
}

// Whether a row names one vertex twice, which only a degenerate rig does. Rows
// are a handful of vertices; longer ones are not searched and count as repeating.
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

class EyeSolver {
public:
    explicit EyeSolver(const EyeSolveTask& task)
        : task_(task), center_(task.eye.centerEye->value), points_(task.points), toWorld_(task.geometryMatrix),
          toRig_(task.geometryInverse)
    {
    }

    void solveLid(LidState& lid, const LidInputs& inputs)
    {
        computeColumnOffsets(lid, inputs);
        smoothOuterRow(lid, task_.eye.smoothOuter->value);
        placeColumns(lid, inputs);
    }

    void solveCorners()
    {
        const EyeSolveState& state = task_.state;
        const double closing =
            closeContribution(false, state.lower.control, task_.eye.lowerOpenEyeValue->value) +
            closeContribution(true, state.upper.control, task_.eye.upperOpenEyeValue->value);
        for (const CornerRecord& corner : state.corners)
            moveCorner(corner, closing);
    }

private:
    V3d world(std::int32_t index) const { return toWorld_(points_[index]); }
    void setWorld(std::int32_t index, const V3d& p) { points_[index] = toRig_(p); }

    // Stage 1: where each column's inner and outer vertices go, before smoothing.
    void computeColumnOffsets(LidState& lid, const LidInputs& inputs)
    {
        const std::vector<LidColumn>& upperColumns = task_.state.upper.columns;
        const std::vector<LidColumn>& lowerColumns = task_.state.lower.columns;
        const std::size_t columnCount = lid.columns.size();
        const double control = lid.normalizedControl;
        const double outerControl = clampOuterControl(inputs.outerControl);

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
            column.outerUV = lid.isUpper ? inputs.outerUV[i] - shift : inputs.outerUV[i] + shift;
            column.smoothedOuterUV = column.outerUV;

            if (i >= 1 && i + 1 < columnCount)
                column.outerSmoothRatio = ((inputs.outerUV[i + 1].y + inputs.outerUV[i - 1].y) * 0.5) /
                                          (inputs.outerUV[i].y + column.outerOffset.y);
        }
    }

    // Stage 2: smooth the outer row's v in place, left to right, keeping only
    // updates that push the row outwards (away from the lid's margin). A pass
    // that keeps no update leaves the row exactly as it was, and so would every
    // pass after it: stopping there gives the same row, also for huge counts.
    static void smoothOuterRow(LidState& lid, std::int32_t passes)
    {
        std::vector<LidColumn>& columns = lid.columns;
        bool rowChanged = true;
        for (std::int32_t pass = 0; pass < passes && rowChanged; ++pass) {
            rowChanged = false;
            for (std::size_t i = 1; i + 1 < columns.size(); ++i) {
                LidColumn& column = columns[i];
                const V3d before = column.smoothedOuterUV;
                column.smoothedOuterUV.y =
                    ((columns[i + 1].smoothedOuterUV.y + columns[i - 1].smoothedOuterUV.y) * 0.5) /
                    column.outerSmoothRatio;
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

    // Path lengths from `start` through the rows' vertices, into pathLengths,
    // and the vertices' rig-space points, into rowPoints; returns the length of
    // the whole path.
    double measureRowPath(const V3d& start, const std::int32_t* rows, std::uint32_t rowCount)
    {
        std::vector<double>& lengths = task_.state.pathLengths;
        std::vector<V3d>& points = task_.state.rowPoints;
        if (lengths.size() < rowCount)
            lengths.resize(rowCount);
        if (points.size() < rowCount)
            points.resize(rowCount);
        V3d previous = start;
        double accumulated = 0.0;
        for (std::uint32_t k = 0; k < rowCount; ++k) {
            const V3d p = world(rows[k]);
            accumulated += (previous - p).length();
            lengths[k] = accumulated;
            points[k] = p;
            previous = p;
        }
        lastRowPoint_ = previous;
        return accumulated;
    }

    // Row vertex k as the placement reads it, just before moving it: the point
    // the path measure read, unless the row names that vertex earlier too and
    // has moved it since.
    V3d rowPointToPlace(const std::int32_t* rows, std::uint32_t k, bool rowRepeatsVertices) const
    {
        return rowRepeatsVertices ? world(rows[k]) : task_.state.rowPoints[k];
    }

    // For every column, the unit direction from the eye center to the sphere at
    // the inner and at the outer vertex's parameters. They depend on nothing
    // the placement writes, and computed back to back their divisions overlap.
    void findSphereDirections(const LidState& lid, const LidInputs& inputs)
    {
        const MFnNurbsSurface sphere(task_.eye.nurbsSphere->value);
        const auto directionTo = [&](double u, double v) {
            MPoint p;
            sphere.getPointAtParam(u, v, p, MSpace::kWorld);
            return (V3d(p.x, p.y, p.z) - center_).normalized();
        };
        std::vector<V3d>& innerDirections = task_.state.innerSphereDirections;
        std::vector<V3d>& outerDirections = task_.state.outerSphereDirections;
        innerDirections.resize(lid.columns.size());
        outerDirections.resize(lid.columns.size());
        for (std::size_t i = 0; i < lid.columns.size(); ++i) {
            const LidColumn& column = lid.columns[i];
            innerDirections[i] = directionTo(inputs.innerUV[i + 1].x + column.innerOffset.x,
                                             inputs.innerUV[i + 1].y + column.innerOffset.y);
            outerDirections[i] = directionTo(column.outerUV.x, column.outerUV.y);
        }
    }

    // Stage 3: put every column's vertices in place.
    void placeColumns(LidState& lid, const LidInputs& inputs)
    {
        findSphereDirections(lid, inputs);
        const M44d centerFrame = translationMatrix(center_);
        const M44d centerFrameInv = centerFrame.inverse(false);
        const std::vector<double>& pathLengths = task_.state.pathLengths;

        for (std::size_t i = 0; i < lid.columns.size(); ++i) {
            const LidColumn& column = lid.columns[i];

            // Inner vertex: onto the sphere's direction at its offset parameters,
            // keeping its distance from the eye center (plus the offset's z).
            const std::int32_t innerIndex = inputs.innerIdxs[i];
            const V3d innerRest = world(innerIndex);
            const V3d innerFromCenter = innerRest - center_;
            const double innerRestRadius = innerFromCenter.length();
            const V3d inner =
                center_ + task_.state.innerSphereDirections[i] * (innerRestRadius + column.innerOffset.z);
            setWorld(innerIndex, inner);

            // Outer vertex likewise, at the smoothed outer parameters.
            const std::int32_t outerIndex = inputs.outerIdxs[i];
            const V3d outerRest = world(outerIndex);
            const V3d outer = center_ + task_.state.outerSphereDirections[i] *
                                            ((outerRest - center_).length() + column.outerOffset.z);
            setWorld(outerIndex, outer);

            // Center rows: turned about the eye center with the inner vertex, and
            // blended towards a line from the inner vertex into the socket.
            const std::uint32_t centerCount = lid.centerCount;
            const std::int32_t* centerRows = inputs.centerIdxs.data() + i * centerCount;
            const M44d centerTurn = rotationBetween(innerFromCenter, inner - center_) * centerFrame;
            // |E - inner| is |inner - E| to the last bit: the squares do not see the sign.
            const double innerRadius = (inner - center_).length();
            const double innerRatio = innerRadius / innerRestRadius;
            const double centerPath = measureRowPath(innerRest, centerRows, centerCount);
            const double centerTotal = centerPath + (lastRowPoint_ - center_).length();
            const double centerScale = innerRestRadius / centerTotal * innerRatio;
            const V3d intoSocket = (center_ - inner).normalized();
            const bool centerRowRepeats = namesAVertexTwice(centerRows, centerCount);
            for (std::uint32_t k = 0; k < centerCount; ++k) {
                const V3d p = rowPointToPlace(centerRows, k, centerRowRepeats);
                V3d turned = transformPoint(transformPoint(p, centerFrameInv), centerTurn);
                turned = center_ + (turned - center_) * innerRatio;
                const V3d onLine = inner + intoSocket * (centerScale * pathLengths[k]);
                setWorld(centerRows[k], onLine * column.moveWeight + turned * column.restWeight);
            }

            placeBetweenRow(lid, inputs, i, inner, innerRest, outer, outerRest);
        }
    }

    // Between rows: carried by the map that takes the rest span onto the new
    // inner-to-outer span, and (from the second row on) blended towards that span.
    void placeBetweenRow(const LidState& lid, const LidInputs& inputs, std::size_t i, const V3d& inner,
                         const V3d& innerRest, const V3d& outer, const V3d& outerRest)
    {
        const LidColumn& column = lid.columns[i];
        const std::uint32_t betweenCount = lid.betweenCount;
        const std::int32_t* betweenRows = inputs.betweenIdxs.data() + i * betweenCount;
        const std::vector<double>& pathLengths = task_.state.pathLengths;

        const V3d span = outer - inner;
        const double restSpanLength = column.restSpanLength;
        const double spanLength = span.length();
        const double spanRatio = spanLength / restSpanLength;
        const V3d spanDirection = span.normalized();
        M44d frame = rotationBetween(column.restSpan, spanDirection) * column.restInnerFrame;
        setMatrixRow(frame, 3, inner);
        M44d carry = column.restInnerFrameInv * frame;

        const double betweenPath = measureRowPath(innerRest, betweenRows, betweenCount);
        const double betweenTotal = betweenPath + (lastRowPoint_ - outerRest).length();
        const V3d step = spanDirection * (restSpanLength / betweenTotal * spanRatio);
        const bool followsLid = column.towardUpper == lid.isUpper;

        const bool betweenRowRepeats = namesAVertexTwice(betweenRows, betweenCount);
        for (std::uint32_t k = 0; k < betweenCount; ++k) {
            const std::int32_t index = betweenRows[k];
            const V3d p = rowPointToPlace(betweenRows, k, betweenRowRepeats);
            const double radius = (center_ - p).length();
            const V3d carried = transformPoint(p, carry);
            if (k == 0) {
                // The first row keeps the unscaled map: it stays attached to the margin.
                setWorld(index, carried);
                scaleBasisRows(frame, V3d(spanRatio));
                carry = column.restInnerFrameInv * frame;
                continue;
            }
            V3d alongSpan = inner + step * pathLengths[k];
            const V3d alongDirection = (alongSpan - center_).normalized();
            V3d place = (center_ + alongDirection * radius) * column.moveWeight + carried * column.restWeight;
            if (followsLid) {
                const double weight = task_.weights[index];
                if (weight > 0.0)
                    alongSpan = alongSpan + alongDirection * (inputs.mountSize * 0.01 * weight);
                place = place * column.restWeight + alongSpan * column.moveWeight;
            }
            const V3d fromCenter = place - center_;
            const double distance = fromCenter.length();
            if (lid.minBetweenRadius > distance)
                place = center_ + fromCenter.normalized() * lid.minBetweenRadius;
            setWorld(index, place);
        }
    }

    void moveCorner(const CornerRecord& corner, double closing)
    {
        const double keeping = 1.0 - closing;
        const V3d cornerA = world(corner.cornerA);
        const V3d cornerB = world(corner.cornerB);
        const M44d cornerFrame = translationMatrix(cornerA);
        const M44d cornerFrameInv = cornerFrame.inverse(false);

        const V3d smoothedA = smoothThree(world(corner.cornerANeighbour1), cornerA, world(corner.cornerANeighbour2));
        const V3d newA = closedCornerPosition(smoothedA, corner.offsetA, (cornerA - center_).length()) * closing +
                         cornerA * keeping;
        setWorld(corner.cornerA, newA);

        const V3d smoothedB = smoothThree(world(corner.cornerBNeighbour1), cornerB, world(corner.cornerBNeighbour2));
        const V3d newB = closedCornerPosition(smoothedB, corner.offsetB, (cornerB - center_).length()) * closing +
                         cornerB * keeping;
        setWorld(corner.cornerB, newB);

        carryVertices(corner.alongSpanIdxs, spanMatchMatrix(newA, newB, cornerA, cornerB, cornerFrame, cornerFrameInv));
        carryVertices(corner.aroundCenterIdxs,
                      spanMatchMatrix(newA, center_, cornerA, center_, cornerFrame, cornerFrameInv));
    }

    // The fully closed corner: the smoothed position shifted by the offset's x and
    // y, at the corner's distance from the eye center plus the offset's z.
    V3d closedCornerPosition(const V3d& smoothed, const V3d& offset, double radius) const
    {
        const V3d direction =
            V3d(smoothed.x + offset.x - center_.x, smoothed.y + offset.y - center_.y, smoothed.z - center_.z)
                .normalized();
        return center_ + direction * (radius + offset.z);
    }

    void carryVertices(const std::vector<std::int32_t>& indices, const M44d& map)
    {
        for (const std::int32_t index : indices)
            setWorld(index, transformPoint(world(index), map));
    }

    const EyeSolveTask& task_;
    const V3d center_;
    std::vector<V3d>& points_;
    const PointTransform toWorld_;
    const PointTransform toRig_;
    V3d lastRowPoint_{0.0};
};

} // namespace

RgStatus solveEyeLids(const EyeSolveTask& task)
{
    if (task.eye.eyeCompute->value) {
        EyeSolver solver(task);
        solver.solveLid(task.state.upper, upperLidInputs(task.eye));
        solver.solveLid(task.state.lower, lowerLidInputs(task.eye));
        solver.solveCorners();
    }
    task.status = RgStatus::Success;
    return RgStatus::Success;
}
