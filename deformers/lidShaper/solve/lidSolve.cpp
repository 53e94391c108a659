#include "solve/lidSolve.h"

#include <algorithm>

#include <maya/MFnNurbsSurface.h>
#include <maya/MPoint.h>

#include "kernels/rowPlacementLanes.h"
#include "kernels/rowVertexPlacement.h"
#include "solve/columnOffsets.h"
#include "solve/columnPointSharing.h"
#include "geometry/lidGeometry.h"
#include "solve/lidInputs.h"

namespace {

class EyeSolver {
public:
    explicit EyeSolver(const EyeSolveTask& task)
        : task_(task), center_(task.eye.centerEye->value), points_(task.points), toWorld_(task.geometryMatrix),
          toRig_(task.geometryInverse)
    {
    }

    void solveLid(LidState& lid, const LidInputs& inputs)
    {
        const std::vector<LidColumn>& upperColumns = task_.state.upper.columns;
        const std::vector<LidColumn>& lowerColumns = task_.state.lower.columns;
        computeColumnOffsets(lid, upperColumns, lowerColumns, inputs.outerControl, inputs.outerUV);
        smoothOuterRow(lid, task_.eye.smoothOuter->value);
        placeColumns(lid, inputs);
    }

    void solveCorners()
    {
        const EyeSolveState& state = task_.state;
        const double closing = closeContribution(false, state.lower.control, task_.eye.lowerOpenEyeValue->value) +
                               closeContribution(true, state.upper.control, task_.eye.upperOpenEyeValue->value);
        for (const CornerRecord& corner : state.corners)
            moveCorner(corner, closing);
    }

private:
    V3d world(std::int32_t index) const { return toWorld_(points_[index]); }
    void setWorld(std::int32_t index, const V3d& p) { points_[index] = toRig_(p); }

    // Path lengths from `start` through the rows' vertices, into lengths, and
    // the vertices' world points, into rowPoints; returns the length of the
    // whole path and leaves its last point in `last`.
    double measureRowPath(const V3d& start, const std::int32_t* rows, std::uint32_t rowCount, double* lengths,
                          V3d* rowPoints, V3d& last) const
    {
        V3d previous = start;
        double accumulated = 0.0;
        for (std::uint32_t k = 0; k < rowCount; ++k) {
            const V3d p = world(rows[k]);
            accumulated += (previous - p).length();
            lengths[k] = accumulated;
            rowPoints[k] = p;
            previous = p;
        }
        last = previous;
        return accumulated;
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

    // Put every column's vertices in place. A run of consecutive
    // columns as wide as the lane build that names every point once between
    // them has its rows placed in lanes; any other column is placed alone.
    void placeColumns(LidState& lid, const LidInputs& inputs)
    {
        findSphereDirections(lid, inputs);
        const M44d centerFrameInv = translationMatrix(center_).inverse(false);
        const RowPlacementContext context{
            points_.data(), task_.weights.data(), task_.geometryInverse, isAffine(task_.geometryInverse),
            center_,        centerFrameInv,       inputs.mountSize,      lid.minBetweenRadius};
        const bool inLanes = lanes_.centerRows != nullptr;
        prepareRowScratch(lid, inLanes ? kRowPlacementLanes : 1);
        const std::size_t columnCount = lid.columns.size();
        for (std::size_t i = 0; i < columnCount;) {
            if (inLanes && i + kRowPlacementLanes <= columnCount &&
                columnsNameEachPointOnce(task_.state, points_.size(), lid, inputs, i, kRowPlacementLanes)) {
                placeColumnsInLanes(lid, inputs, context, i);
                i += kRowPlacementLanes;
            } else {
                placeColumn(lid, inputs, context, i);
                ++i;
            }
        }
    }

    // Row scratch for `lanes` columns: each lane's center row, then its between row.
    void prepareRowScratch(const LidState& lid, std::size_t lanes)
    {
        EyeSolveState& state = task_.state;
        const std::size_t perLane = std::size_t{lid.centerCount} + lid.betweenCount;
        if (state.pathLengths.size() < lanes * perLane)
            state.pathLengths.resize(lanes * perLane);
        if (state.rowPoints.size() < lanes * perLane)
            state.rowPoints.resize(lanes * perLane);
        const std::size_t longestRow = std::max(lid.centerCount, lid.betweenCount);
        if (state.rowNeedsScalar.size() < longestRow)
            state.rowNeedsScalar.resize(longestRow);
    }

    // One column alone, in the order the rows depend on each other when they
    // share points: inner and outer vertex, center row, between row.
    void placeColumn(const LidState& lid, const LidInputs& inputs, const RowPlacementContext& context, std::size_t i)
    {
        const PlacedColumn placed = placeInnerAndOuter(lid, inputs, i);
        const CenterRowPlan center = planCenterRow(lid, inputs, i, placed, 0);
        const bool centerRowRepeats = namesAVertexTwice(center.rows, lid.centerCount);
        for (std::uint32_t k = 0; k < lid.centerCount; ++k)
            placeCenterRowVertex(context, center, k, centerRowRepeats ? world(center.rows[k]) : center.rowPoints[k]);

        const BetweenRowPlan between = planBetweenRow(lid, inputs, i, placed, 0);
        const bool betweenRowRepeats = namesAVertexTwice(between.rows, lid.betweenCount);
        for (std::uint32_t k = 0; k < lid.betweenCount; ++k)
            placeBetweenRowVertex(context, between, k,
                                  betweenRowRepeats ? world(between.rows[k]) : between.rowPoints[k]);
    }

    // Columns [first, first + kRowPlacementLanes) that name every point once: each
    // column's inner and outer vertex and row plans in turn, then their rows in
    // lanes. Vertices the lanes leave to the scalar code are placed from the
    // same plans.
    void placeColumnsInLanes(const LidState& lid, const LidInputs& inputs, const RowPlacementContext& context,
                             std::size_t first)
    {
        CenterRowPlan centerPlans[kRowPlacementLanes];
        BetweenRowPlan betweenPlans[kRowPlacementLanes];
        bool mapsAffine = context.toRigIsAffine && isAffine(context.centerFrameInv);
        for (std::size_t lane = 0; lane < kRowPlacementLanes; ++lane) {
            const PlacedColumn placed = placeInnerAndOuter(lid, inputs, first + lane);
            centerPlans[lane] = planCenterRow(lid, inputs, first + lane, placed, lane);
            betweenPlans[lane] = planBetweenRow(lid, inputs, first + lane, placed, lane);
            mapsAffine = mapsAffine && isAffine(centerPlans[lane].turn) && isAffine(betweenPlans[lane].firstCarry) &&
                         isAffine(betweenPlans[lane].carry);
        }

        std::uint8_t* needsScalar = task_.state.rowNeedsScalar.data();
        const auto placeLeftovers = [&](std::uint32_t rowCount, auto&& placeVertex) {
            for (std::uint32_t k = 0; k < rowCount; ++k)
                if (!mapsAffine || needsScalar[k] != 0)
                    for (std::size_t lane = 0; lane < kRowPlacementLanes; ++lane)
                        placeVertex(lane, k);
        };
        if (mapsAffine)
            lanes_.centerRows(context, centerPlans, lid.centerCount, needsScalar);
        placeLeftovers(lid.centerCount, [&](std::size_t lane, std::uint32_t k) {
            placeCenterRowVertex(context, centerPlans[lane], k, centerPlans[lane].rowPoints[k]);
        });
        if (mapsAffine)
            lanes_.betweenRows(context, betweenPlans, lid.betweenCount, needsScalar);
        placeLeftovers(lid.betweenCount, [&](std::size_t lane, std::uint32_t k) {
            placeBetweenRowVertex(context, betweenPlans[lane], k, betweenPlans[lane].rowPoints[k]);
        });
    }

    // A column's inner and outer vertex, placed, with what its rows need of them.
    struct PlacedColumn {
        V3d innerRest;
        V3d innerFromCenter; // rest inner vertex minus the eye center
        double innerRestRadius;
        V3d inner;
        V3d outerRest;
        V3d outer;
    };

    PlacedColumn placeInnerAndOuter(const LidState& lid, const LidInputs& inputs, std::size_t i)
    {
        const LidColumn& column = lid.columns[i];
        PlacedColumn placed;
        // Inner vertex: onto the sphere's direction at its offset parameters,
        // keeping its distance from the eye center (plus the offset's z).
        const std::int32_t innerIndex = inputs.innerIdxs[i];
        placed.innerRest = world(innerIndex);
        placed.innerFromCenter = placed.innerRest - center_;
        placed.innerRestRadius = placed.innerFromCenter.length();
        placed.inner = center_ + task_.state.innerSphereDirections[i] * (placed.innerRestRadius + column.innerOffset.z);
        setWorld(innerIndex, placed.inner);

        // Outer vertex likewise, at the smoothed outer parameters.
        const std::int32_t outerIndex = inputs.outerIdxs[i];
        placed.outerRest = world(outerIndex);
        placed.outer = center_ + task_.state.outerSphereDirections[i] *
                                     ((placed.outerRest - center_).length() + column.outerOffset.z);
        setWorld(outerIndex, placed.outer);
        return placed;
    }

    // Center rows: turned about the eye center with the inner vertex, and
    // blended towards a line from the inner vertex into the socket. Measures
    // the row into the scratch of `lane`.
    CenterRowPlan planCenterRow(const LidState& lid, const LidInputs& inputs, std::size_t i, const PlacedColumn& placed,
                                std::size_t lane)
    {
        const LidColumn& column = lid.columns[i];
        const std::uint32_t count = lid.centerCount;
        const std::size_t scratch = lane * (std::size_t{lid.centerCount} + lid.betweenCount);
        CenterRowPlan plan;
        plan.rows = inputs.centerIdxs.data() + i * count;
        plan.rowPoints = task_.state.rowPoints.data() + scratch;
        plan.pathLengths = task_.state.pathLengths.data() + scratch;
        plan.turn = rotationBetween(placed.innerFromCenter, placed.inner - center_) * translationMatrix(center_);
        // |E - inner| is |inner - E| to the last bit: the squares do not see the sign.
        const double innerRadius = (placed.inner - center_).length();
        plan.innerRatio = innerRadius / placed.innerRestRadius;
        V3d last;
        const double path = measureRowPath(placed.innerRest, plan.rows, count, task_.state.pathLengths.data() + scratch,
                                           task_.state.rowPoints.data() + scratch, last);
        const double total = path + (last - center_).length();
        plan.scale = placed.innerRestRadius / total * plan.innerRatio;
        plan.inner = placed.inner;
        plan.intoSocket = (center_ - placed.inner).normalized();
        plan.moveWeight = column.moveWeight;
        plan.restWeight = column.restWeight;
        return plan;
    }

    // Between rows: carried by the map that takes the rest span onto the new
    // inner-to-outer span, and (from the second row on) blended towards that
    // span. Measures the row into the scratch of `lane`.
    BetweenRowPlan planBetweenRow(const LidState& lid, const LidInputs& inputs, std::size_t i,
                                  const PlacedColumn& placed, std::size_t lane)
    {
        const LidColumn& column = lid.columns[i];
        const std::uint32_t count = lid.betweenCount;
        const std::size_t scratch = lane * (std::size_t{lid.centerCount} + lid.betweenCount) + lid.centerCount;
        BetweenRowPlan plan;
        plan.rows = inputs.betweenIdxs.data() + i * count;
        plan.rowPoints = task_.state.rowPoints.data() + scratch;
        plan.pathLengths = task_.state.pathLengths.data() + scratch;

        const V3d span = placed.outer - placed.inner;
        const double restSpanLength = column.restSpanLength;
        const double spanRatio = span.length() / restSpanLength;
        const V3d spanDirection = span.normalized();
        M44d frame = rotationBetween(column.restSpan, spanDirection) * column.restInnerFrame;
        setMatrixRow(frame, 3, placed.inner);
        plan.firstCarry = column.restInnerFrameInv * frame;
        if (count > 0) {
            scaleBasisRows(frame, V3d(spanRatio));
            plan.carry = column.restInnerFrameInv * frame;
        }

        V3d last;
        const double path = measureRowPath(placed.innerRest, plan.rows, count, task_.state.pathLengths.data() + scratch,
                                           task_.state.rowPoints.data() + scratch, last);
        const double total = path + (last - placed.outerRest).length();
        plan.inner = placed.inner;
        plan.step = spanDirection * (restSpanLength / total * spanRatio);
        plan.moveWeight = column.moveWeight;
        plan.restWeight = column.restWeight;
        plan.followsLid = column.towardUpper == lid.isUpper;
        return plan;
    }

    void moveCorner(const CornerRecord& corner, double closing)
    {
        const double keeping = 1.0 - closing;
        const V3d cornerA = world(corner.cornerA);
        const V3d cornerB = world(corner.cornerB);
        const M44d cornerFrame = translationMatrix(cornerA);
        const M44d cornerFrameInv = cornerFrame.inverse(false);

        const V3d smoothedA = smoothThree(world(corner.cornerANeighbour1), cornerA, world(corner.cornerANeighbour2));
        const V3d newA =
            closedCornerPosition(smoothedA, corner.offsetA, (cornerA - center_).length()) * closing + cornerA * keeping;
        setWorld(corner.cornerA, newA);

        const V3d smoothedB = smoothThree(world(corner.cornerBNeighbour1), cornerB, world(corner.cornerBNeighbour2));
        const V3d newB =
            closedCornerPosition(smoothedB, corner.offsetB, (cornerB - center_).length()) * closing + cornerB * keeping;
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
    const RowPlacementLanes lanes_ = rowPlacementLanes();
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
