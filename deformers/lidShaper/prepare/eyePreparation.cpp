#include "prepare/eyePreparation.h"

#include <algorithm>

#include "kernels/minorCurve.h"
#include "lidShaper/rigContract.h"
#include "prepare/eyeChecks.h"
#include "geometry/lidGeometry.h"

using namespace rigContract;

namespace {

EyeCacheShape inputShape(const EyeInputs& eye, std::size_t pointCount)
{
    EyeCacheShape shape;
    shape.columnCount = eye.upperLidInnerIdxs->values.size();
    shape.upperInnerUVCount = eye.upperLidInnerUV->values.size();
    shape.lowerInnerUVCount = eye.lowerLidInnerUV->values.size();
    shape.upperCenterCount = eye.upperLidCenterIdxs->values.size();
    shape.upperBetweenCount = eye.upperLidBetweenIdxs->values.size();
    shape.pointsOffsetCount = eye.pointsOffset->values.size();
    shape.cornersCount = eye.cornersIdxs->values.size();
    shape.pointCount = pointCount;
    return shape;
}

// The close blend: both values move towards the point between them that
// closeLine picks, by closeEye.
void closeBlend(double& upper, double& lower, double closeEye, double closeLine)
{
    const double lineWeight = (closeLine + 1.0) * 0.5;
    const double meeting = lineWeight * upper + (1.0 - lineWeight) * lower;
    upper = (upper - meeting) * (1.0 - closeEye) + meeting;
    lower = (lower - meeting) * (1.0 - closeEye) + meeting;
}

double normalizeControl(double control, const EyeInputs& eye)
{
    return control > 0.0 ? control / eye.upperOpenEyeValue->value : -(control / eye.lowerOpenEyeValue->value);
}

void copyCurve(const NurbsCurveData& source, NurbsCurveData& copy)
{
    // assign keeps the copy's capacity, so steady-state calls do not allocate.
    copy.cvs.assign(source.cvs.begin(), source.cvs.end());
    copy.knots.assign(source.knots.begin(), source.knots.end());
    copy.degree = source.degree;
}

// The solve needs the move vector's length and unit copy on every call. They
// are always those of column.moveVector (a new column's zeros included), so a
// move vector with the same bits keeps them.
void setMoveVector(LidColumn& column, const V3d& moveVector)
{
    if (sameBits(column.moveVector, moveVector))
        return;
    column.moveVector = moveVector;
    column.moveLength = moveVector.length();
    column.moveDirection = moveVector.normalized();
}

// What the preparation of one eye reads: its inputs and the call's points,
// taken to rig space by the geometry matrix.
class EyePreparation {
public:
    EyePreparation(const DeformInputs& call, EyeSide side, EyeSolveState& state)
        : eye_(call.eye(side)), keys_(eyeAttributeKeys(side)), state_(state), points_(*call.points),
          geometryMatrix_(call.geometryMatrix), toWorld_(call.geometryMatrix),
          columnCount_(eye_.upperLidInnerIdxs->values.size())
    {
    }

    // Rest frames, arc positions, offsets and row counts: what stays while the
    // cache is reused.
    void prepareCachedColumns()
    {
        const std::size_t n = columnCount_;
        LidState& upper = state_.upper;
        LidState& lower = state_.lower;
        upper.columns.resize(n);
        lower.columns.resize(n);

        std::vector<V3d>& offsets = state_.offsetTable;
        offsets.resize(offsetTable::size(n), V3d(0.0));
        const std::vector<V3d>& pointsOffset = eye_.pointsOffset->values;
        std::copy_n(pointsOffset.begin(), std::min(pointsOffset.size(), offsets.size()), offsets.begin());
        const auto offset = [&offsets, n](offsetTable::ColumnOffset block, std::size_t column) {
            return offsets[offsetTable::columnEntry(n, block, column)];
        };

        // Both lids' arc positions are measured against the upper polyline's length.
        const std::vector<V3d>& upperUV = eye_.upperLidInnerUV->values;
        const std::vector<V3d>& lowerUV = eye_.lowerLidInnerUV->values;
        double upperLength = 0.0;
        for (std::size_t k = 0; k + 1 < upperUV.size(); ++k)
            upperLength += (upperUV[k + 1] - upperUV[k]).length();

        // Rest frames made under this geometry matrix are kept where their rest
        // points have not moved since (an uncached call on the same rest pose).
        const std::size_t keptFrames =
            sameBits(state_.restFramesMatrix, geometryMatrix_) ? std::min(state_.restFramesColumns, n) : 0;
        state_.restFramesMatrix = geometryMatrix_;
        state_.restFramesColumns = n;

        using Block = offsetTable::ColumnOffset;
        double upperSum = 0.0;
        double lowerSum = 0.0;
        for (std::size_t i = 0; i < n; ++i) {
            LidColumn& upperColumn = upper.columns[i];
            LidColumn& lowerColumn = lower.columns[i];
            upperSum += (upperUV[i + 1] - upperUV[i]).length();
            lowerSum += (lowerUV[i + 1] - lowerUV[i]).length();
            upperColumn.arcPosition = upperSum / upperLength;
            lowerColumn.arcPosition = lowerSum / upperLength;
            const bool keep = i < keptFrames;
            prepareRestFrame(upperColumn, eye_.upperLidInnerIdxs->values[i], eye_.upperLidOuterIdxs->values[i], keep);
            prepareRestFrame(lowerColumn, eye_.lowerLidInnerIdxs->values[i], eye_.lowerLidOuterIdxs->values[i], keep);

            setMoveVector(upperColumn, offset(Block::UpperMove, i) + eye_.upperLidMoveVector->values[i]);
            upperColumn.outerMove = offset(Block::UpperOuterMove, i);
            setMoveVector(lowerColumn, offset(Block::LowerMove, i) + eye_.lowerLidMoveVector->values[i]);
            lowerColumn.outerMove = offset(Block::LowerOuterMove, i);
            upperColumn.innerOvershoot = offset(Block::UpperInnerOvershoot, i);
            upperColumn.outerOvershoot = offset(Block::UpperOuterOvershoot, i);
            lowerColumn.innerOvershoot = offset(Block::LowerInnerOvershoot, i);
            lowerColumn.outerOvershoot = offset(Block::LowerOuterOvershoot, i);
        }

        // The smallest rest radius of the upper between rows holds every between
        // vertex off the eyeball; it only ever shrinks over the node's life.
        const V3d& center = eye_.centerEye->value;
        for (const std::int32_t index : eye_.upperLidBetweenIdxs->values) {
            const double radius = (toWorld_(points_[index]) - center).length();
            if (upper.minBetweenRadius == 0.0 || upper.minBetweenRadius > radius)
                upper.minBetweenRadius = radius;
        }

        upper.centerCount = static_cast<std::uint32_t>(eye_.upperLidCenterIdxs->values.size() / n);
        upper.betweenCount = static_cast<std::uint32_t>(eye_.upperLidBetweenIdxs->values.size() / n);
        lower.centerCount = upper.centerCount;
        lower.betweenCount = upper.betweenCount;
        lower.minBetweenRadius = upper.minBetweenRadius;
        lower.isUpper = false;
    }

    // Curve copies, close blend, controls and profile values. `problem` (from
    // the cached preparation) or a curve the kernel cannot evaluate skips the
    // profile values; the caller reports it after the corner count check. False
    // when the two curves differ in CV count.
    bool preparePerCall(std::string& problem)
    {
        LidState& upper = state_.upper;
        LidState& lower = state_.lower;
        copyCurve(eye_.upperLidMinorCurve->value, upper.minorCurve);
        copyCurve(eye_.lowerLidMinorCurve->value, lower.minorCurve);

        const double closeEye = eye_.closeEye->value;
        const double closeLine = eye_.closeLine->value;
        upper.control = eye_.upperLidControl->value;
        lower.control = eye_.lowerLidControl->value;
        closeBlend(upper.control, lower.control, closeEye, closeLine);
        upper.normalizedControl = normalizeControl(upper.control, eye_);
        lower.normalizedControl = normalizeControl(lower.control, eye_);

        std::vector<V3d>& upperCvs = upper.minorCurve.cvs;
        std::vector<V3d>& lowerCvs = lower.minorCurve.cvs;
        if (upperCvs.size() != lowerCvs.size())
            return false;
        for (std::size_t k = 0; k < upperCvs.size(); ++k)
            for (int axis = 0; axis < 3; ++axis)
                closeBlend(upperCvs[k][axis], lowerCvs[k][axis], closeEye, closeLine);

        if (problem.empty())
            problem = findCurveProblem(keys_[eyeField::upperLidMinorCurve], upper.minorCurve);
        if (problem.empty())
            problem = findCurveProblem(keys_[eyeField::lowerLidMinorCurve], lower.minorCurve);
        if (!problem.empty())
            return true;
        for (std::size_t i = 0; i < columnCount_; ++i) {
            upper.columns[i].profileValue =
                evaluateMinorCurve(upper.minorCurve, static_cast<float>(upper.columns[i].arcPosition)).y;
            lower.columns[i].profileValue =
                evaluateMinorCurve(lower.minorCurve, static_cast<float>(lower.columns[i].arcPosition)).y;
        }
        return true;
    }

    // The two corner records, from the corner list and the offset table.
    void prepareCorners()
    {
        const std::vector<std::int32_t>& q = eye_.cornersIdxs->values;
        const std::vector<V3d>& offsets = state_.offsetTable;
        const std::size_t n = columnCount_;
        const std::size_t centerRows = state_.upper.centerCount;
        const std::size_t betweenRows = state_.upper.betweenCount;
        using cornerList::Ring;
        const auto pair = [&q](Ring ring, std::size_t c, bool second) {
            return q[cornerList::pairEntry(q.size(), ring, c, second)];
        };
        auto run = q.begin() + cornerList::carriedStart(0, centerRows, betweenRows);
        for (std::size_t c = 0; c < 2; ++c) {
            CornerRecord& corner = state_.corners[c];
            corner.cornerA = pair(Ring::Corner, c, false);
            corner.cornerB = pair(Ring::Corner, c, true);
            corner.cornerANeighbour1 = pair(Ring::FirstNeighbour, c, false);
            corner.cornerBNeighbour1 = pair(Ring::FirstNeighbour, c, true);
            corner.cornerANeighbour2 = pair(Ring::SecondNeighbour, c, false);
            corner.cornerBNeighbour2 = pair(Ring::SecondNeighbour, c, true);
            corner.offsetA = offsets[offsetTable::cornerEntry(n, c, false)];
            corner.offsetB = offsets[offsetTable::cornerEntry(n, c, true)];
            corner.aroundCenterIdxs.assign(run, run + centerRows);
            run += centerRows;
            corner.alongSpanIdxs.assign(run, run + betweenRows);
            run += betweenRows;
        }
    }

private:
    // The column's rest span and inner frame, from its rest inner and outer
    // vertex; with `keep`, left as they are when made from the same two points.
    void prepareRestFrame(LidColumn& column, std::int32_t innerIndex, std::int32_t outerIndex, bool keep) const
    {
        const V3d& inner = points_[innerIndex];
        const V3d& outer = points_[outerIndex];
        if (keep && sameBits(inner, column.restInnerPoint) && sameBits(outer, column.restOuterPoint))
            return;
        column.restInnerPoint = inner;
        column.restOuterPoint = outer;
        column.restSpan = toWorld_(outer - inner);
        column.restSpanLength = column.restSpan.length();
        setMatrixRow(column.restInnerFrame, 3, toWorld_(inner));
        column.restInnerFrameInv = column.restInnerFrame.inverse(false);
    }

    const EyeInputs& eye_;
    const EyeAttributeKeys& keys_;
    EyeSolveState& state_;
    const std::vector<V3d>& points_;
    const M44d& geometryMatrix_;
    const PointTransform toWorld_;
    const std::size_t columnCount_;
};

} // namespace

bool prepareEye(const DeformInputs& call, EyeSide side, EyeSolveState& state, bool rebuild, const MessageSink& messages,
                IndexSpan& touched)
{
    const EyeInputs& eye = call.eye(side);
    const EyeCheck failed = firstFailedInputCheck(eye);
    if (failed != EyeCheck::None) {
        reportEyeCheck(messages, side, failed);
        return false;
    }

    const std::size_t pointCount = call.points->size();
    EyePreparation preparation(call, side, state);
    const EyeCacheShape shape = inputShape(eye, pointCount);
    const bool rebuildCache = rebuild || shape != state.preparedShape;
    std::string problem;
    if (rebuildCache) {
        // Until the corners are prepared too, the cache counts as made for no inputs.
        state.preparedShape = EyeCacheShape{};
        problem = findCachedPreparationProblem(eye, side, pointCount);
        if (problem.empty())
            preparation.prepareCachedColumns();
    }

    if (!preparation.preparePerCall(problem)) {
        reportEyeCheck(messages, side, EyeCheck::CurveCvCount);
        return false;
    }

    const std::size_t cornerEntries = eye.cornersIdxs->values.size();
    if (cornerEntries < cornerList::kMinimumSize) {
        reportCornerCount(messages, side, cornerEntries);
        return false;
    }
    if (!problem.empty()) {
        messages.assertion(LIDSHAPER_CHECK_SITE, problem);
        return false;
    }

    if (rebuildCache) {
        problem = findCornerProblem(eye, side, state.upper, pointCount);
        if (!problem.empty()) {
            messages.assertion(LIDSHAPER_CHECK_SITE, problem);
            return false;
        }
        preparation.prepareCorners();
        state.preparedShape = shape;
    }

    problem = findSolveProblem(eye, side, state, pointCount, call.weights->size(), touched);
    if (!problem.empty()) {
        messages.assertion(LIDSHAPER_CHECK_SITE, problem);
        return false;
    }
    return true;
}
