#include "deformDriver.h"

#include <algorithm>
#include <array>
#include <sstream>
#include <tuple>

#include "attributeLookup.h"
#include "curvePointKernel.h"
#include "deformSafety.h"
#include "lidGeometry.h"
#include "lidSolve.h"
#include "parallelInvoke.h"
#include "softRegion.h"

namespace {

// The checks of one eye, in the order they run.
enum EyeCheck : std::size_t {
    kSphereCheck,
    kUpperCurveCheck,
    kLowerCurveCheck,
    kColumnCountCheck,
    kUpperOuterIdxsCheck,
    kUpperCenterIdxsCheck,
    kUpperBetweenIdxsCheck,
    kUpperInnerUVCheck,
    kUpperOuterUVCheck,
    kUpperMoveVectorCheck,
    kLowerInnerIdxsCheck,
    kLowerOuterIdxsCheck,
    kLowerCenterIdxsCheck,
    kLowerBetweenIdxsCheck,
    kLowerInnerUVCheck,
    kLowerOuterUVCheck,
    kLowerMoveVectorCheck,
    kCornersCheck,
    kCurveCvCountCheck,
    kCornerCountCheck,
    kEyeCheckCount,
};

constexpr std::array<const char*, kCornerCountCheck> kEyeCheckTexts{{
    "nurbsSphere is NULL",
    "upperLidMinorCurve is NULL",
    "lowerLidMinorCurve is NULL",
    "upperLidInnerIdxs",
    "upperLidOuterIdxs",
    "upperLidCenterIdxs",
    "upperLidBetweenIdxs",
    "upperLidInnerUV",
    "upperLidOuterUV",
    "upperLidMoveVector",
    "len(upperLidInnerIdxs) != len(lowerLidInnerIdxs)",
    "lowerLidOuterIdxs",
    "lowerLidCenterIdxs",
    "lowerLidBetweenIdxs",
    "lowerLidInnerUV",
    "lowerLidOuterUV",
    "lowerLidMoveVector",
    "cornersIdxs",
    "different number of minor curves' CVs",
}};

// Messages tell the eyes' checks apart by source location, so every check of
// every eye reports from a line of its own: one row per check, left eye first.
constexpr int kEyeCheckLines[kEyeCheckCount][2] = {
    {__LINE__,  // nurbsSphere is NULL: left eye
     __LINE__}, //   right eye
    {__LINE__,  // upperLidMinorCurve is NULL: left eye
     __LINE__}, //   right eye
    {__LINE__,  // lowerLidMinorCurve is NULL: left eye
     __LINE__}, //   right eye
    {__LINE__,  // upperLidInnerIdxs: left eye
     __LINE__}, //   right eye
    {__LINE__,  // upperLidOuterIdxs: left eye
     __LINE__}, //   right eye
    {__LINE__,  // upperLidCenterIdxs: left eye
     __LINE__}, //   right eye
    {__LINE__,  // upperLidBetweenIdxs: left eye
     __LINE__}, //   right eye
    {__LINE__,  // upperLidInnerUV: left eye
     __LINE__}, //   right eye
    {__LINE__,  // upperLidOuterUV: left eye
     __LINE__}, //   right eye
    {__LINE__,  // upperLidMoveVector: left eye
     __LINE__}, //   right eye
    {__LINE__,  // len(upperLidInnerIdxs) != len(lowerLidInnerIdxs): left eye
     __LINE__}, //   right eye
    {__LINE__,  // lowerLidOuterIdxs: left eye
     __LINE__}, //   right eye
    {__LINE__,  // lowerLidCenterIdxs: left eye
     __LINE__}, //   right eye
    {__LINE__,  // lowerLidBetweenIdxs: left eye
     __LINE__}, //   right eye
    {__LINE__,  // lowerLidInnerUV: left eye
     __LINE__}, //   right eye
    {__LINE__,  // lowerLidOuterUV: left eye
     __LINE__}, //   right eye
    {__LINE__,  // lowerLidMoveVector: left eye
     __LINE__}, //   right eye
    {__LINE__,  // cornersIdxs: left eye
     __LINE__}, //   right eye
    {__LINE__,  // different number of minor curves' CVs: left eye
     __LINE__}, //   right eye
    {__LINE__,  // corner count: left eye
     __LINE__}, //   right eye
};

void reportEyeCheck(const RgNode& node, EyeSide side, EyeCheck check, const std::string& text)
{
    reportAssertion(node, CheckSite{__FILE__, kEyeCheckLines[check][side == EyeSide::Left ? 0 : 1]}, text);
}

constexpr std::size_t kMinimumCornerEntries = 24;

// An input curve is there when it has control points, knots and a degree.
bool curvePresent(const NurbsCurveData& curve) { return !curve.cvs.empty() && !curve.knots.empty() && curve.degree != 0; }

// The first of checks 1 to 18 that the eye's inputs fail, or kEyeCheckCount.
EyeCheck firstFailedInputCheck(const EyeInputs& eye)
{
    // Sizes compare as unsigned 64-bit numbers against N widened from 32-bit signed.
    const std::int32_t columnCount = static_cast<std::int32_t>(eye.upperLidInnerIdxs->values.size());
    const std::uint64_t n = static_cast<std::uint64_t>(static_cast<std::int64_t>(columnCount));
    const std::uint64_t nPlusTwo = static_cast<std::uint64_t>(static_cast<std::int64_t>(columnCount) + 2);
    const auto atLeast = [](const auto& list, std::uint64_t needed) { return list.size() >= needed; };
    const auto wholeColumns = [n](const auto& list) { return list.size() % n == 0; };

    if (eye.nurbsSphere->value.isNull()) return kSphereCheck;
    if (!curvePresent(eye.upperLidMinorCurve->value)) return kUpperCurveCheck;
    if (!curvePresent(eye.lowerLidMinorCurve->value)) return kLowerCurveCheck;
    if (n == 0) return kColumnCountCheck;
    if (!atLeast(eye.upperLidOuterIdxs->values, n)) return kUpperOuterIdxsCheck;
    if (!wholeColumns(eye.upperLidCenterIdxs->values)) return kUpperCenterIdxsCheck;
    if (!wholeColumns(eye.upperLidBetweenIdxs->values)) return kUpperBetweenIdxsCheck;
    if (!atLeast(eye.upperLidInnerUV->values, nPlusTwo)) return kUpperInnerUVCheck;
    if (!atLeast(eye.upperLidOuterUV->values, n)) return kUpperOuterUVCheck;
    if (!atLeast(eye.upperLidMoveVector->values, n)) return kUpperMoveVectorCheck;
    if (eye.lowerLidInnerIdxs->values.size() != n) return kLowerInnerIdxsCheck;
    if (!atLeast(eye.lowerLidOuterIdxs->values, n)) return kLowerOuterIdxsCheck;
    if (!wholeColumns(eye.lowerLidCenterIdxs->values)) return kLowerCenterIdxsCheck;
    if (!wholeColumns(eye.lowerLidBetweenIdxs->values)) return kLowerBetweenIdxsCheck;
    if (!atLeast(eye.lowerLidInnerUV->values, nPlusTwo)) return kLowerInnerUVCheck;
    if (!atLeast(eye.lowerLidOuterUV->values, n)) return kLowerOuterUVCheck;
    if (!atLeast(eye.lowerLidMoveVector->values, n)) return kLowerMoveVectorCheck;
    if (eye.cornersIdxs->values.empty()) return kCornersCheck;
    return kEyeCheckCount;
}

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

// Prepares, checks and (through the solve) moves one eye. Problems that the
// documented checks do not cover are found early, the step they would make
// unsafe is skipped, and they are reported only after the documented checks, so
// that whenever a documented check fails its message is the one shown.
class EyeDriver {
public:
    EyeDriver(MyNode& node, const DeformInputs& inputs, EyeSide side)
        : node_(node),
          eye_(side == EyeSide::Left ? inputs.left : inputs.right),
          state_(side == EyeSide::Left ? node.leftEye : node.rightEye),
          side_(side),
          keys_(eyeAttributeKeys(side)),
          points_(*inputs.points),
          toWorld_(inputs.geometryMatrix),
          weightCount_(inputs.weights->size())
    {
    }

    // Checks and prepares the eye; false when a check failed (its message shown).
    bool prepare(bool rebuildRequested)
    {
        const EyeCheck failed = firstFailedInputCheck(eye_);
        if (failed != kEyeCheckCount) {
            reportEyeCheck(node_, side_, failed, kEyeCheckTexts[failed]);
            return false;
        }
        columnCount_ = eye_.upperLidInnerIdxs->values.size();

        const EyeCacheShape shape = inputShape(eye_, points_.size());
        const bool rebuild = rebuildRequested || shape != state_.preparedShape;
        std::string problem;
        if (rebuild) {
            // Until the corners are prepared too, the cache counts as made for no inputs.
            state_.preparedShape = EyeCacheShape{};
            problem = findCachedPreparationProblem();
            if (problem.empty())
                prepareCachedColumns();
        }

        if (!preparePerCall(problem))
            return false;

        const std::size_t cornerEntries = eye_.cornersIdxs->values.size();
        if (cornerEntries < kMinimumCornerEntries) {
            std::ostringstream text;
            text << "please add corners indices to cornersIdxs (minimum 24). But now - " << cornerEntries;
            reportEyeCheck(node_, side_, kCornerCountCheck, text.str());
            return false;
        }
        if (!problem.empty()) {
            reportAssertion(node_, LIDSHAPER_CHECK_SITE, problem);
            return false;
        }

        if (rebuild) {
            problem = findCornerProblem();
            if (!problem.empty()) {
                reportAssertion(node_, LIDSHAPER_CHECK_SITE, problem);
                return false;
            }
            prepareCorners();
            state_.preparedShape = shape;
        }

        problem = findSolveProblem();
        if (!problem.empty()) {
            reportAssertion(node_, LIDSHAPER_CHECK_SITE, problem);
            return false;
        }
        return true;
    }

    // Every point index the eye's solve reads or writes lies in this span.
    const IndexSpan& touchedIndices() const { return touched_; }

    // Marks (or, with `mark` false, tests) every point the solve touches;
    // true when a point was already marked.
    bool markTouchedPoints(std::vector<std::uint8_t>& marks, bool mark) const
    {
        bool shared = false;
        forEachTouchedList([&](const std::int32_t* indices, std::size_t count) {
            for (std::size_t i = 0; i < count; ++i) {
                if (mark)
                    marks[indices[i]] = 1;
                else
                    shared = shared || marks[indices[i]] != 0;
            }
        });
        return shared;
    }

private:
    const std::string& key(std::size_t field) const { return keys_[field]; }

    // Inputs the cached preparation reads by index: the rest inner and outer
    // vertices of both lids and every upper between vertex.
    std::string findCachedPreparationProblem() const
    {
        const std::size_t pointCount = points_.size();
        const std::pair<std::size_t, std::size_t> lists[] = {
            {eyeField::upperLidInnerIdxs, columnCount_},
            {eyeField::upperLidOuterIdxs, columnCount_},
            {eyeField::lowerLidInnerIdxs, columnCount_},
            {eyeField::lowerLidOuterIdxs, columnCount_},
            {eyeField::upperLidBetweenIdxs, eye_.upperLidBetweenIdxs->values.size()},
        };
        for (const auto& [field, count] : lists) {
            std::string problem = findIndexOutsidePoints(key(field), indexList(field), count, pointCount);
            if (!problem.empty())
                return problem;
        }
        return {};
    }

    const std::vector<std::int32_t>& indexList(std::size_t field) const
    {
        switch (field) {
        case eyeField::upperLidInnerIdxs: return eye_.upperLidInnerIdxs->values;
        case eyeField::upperLidOuterIdxs: return eye_.upperLidOuterIdxs->values;
        case eyeField::upperLidCenterIdxs: return eye_.upperLidCenterIdxs->values;
        case eyeField::upperLidBetweenIdxs: return eye_.upperLidBetweenIdxs->values;
        case eyeField::lowerLidInnerIdxs: return eye_.lowerLidInnerIdxs->values;
        case eyeField::lowerLidOuterIdxs: return eye_.lowerLidOuterIdxs->values;
        case eyeField::lowerLidCenterIdxs: return eye_.lowerLidCenterIdxs->values;
        case eyeField::lowerLidBetweenIdxs: return eye_.lowerLidBetweenIdxs->values;
        default: return eye_.cornersIdxs->values;
        }
    }

    V3d world(std::int32_t index) const { return toWorld_(points_[index]); }

    void prepareCachedColumns()
    {
        const std::size_t n = columnCount_;
        LidState& upper = state_.upper;
        LidState& lower = state_.lower;
        upper.columns.resize(n);
        lower.columns.resize(n);

        std::vector<V3d>& offsets = state_.offsetTable;
        offsets.resize(8 * n + 8, V3d(0.0));
        const std::vector<V3d>& pointsOffset = eye_.pointsOffset->values;
        std::copy_n(pointsOffset.begin(), std::min(pointsOffset.size(), offsets.size()), offsets.begin());

        // Both lids' arc positions are measured against the upper polyline's length.
        const std::vector<V3d>& upperUV = eye_.upperLidInnerUV->values;
        const std::vector<V3d>& lowerUV = eye_.lowerLidInnerUV->values;
        double upperLength = 0.0;
        for (std::size_t k = 0; k + 1 < upperUV.size(); ++k)
            upperLength += (upperUV[k + 1] - upperUV[k]).length();

        double upperSum = 0.0;
        double lowerSum = 0.0;
        for (std::size_t i = 0; i < n; ++i) {
            upperSum += (upperUV[i + 1] - upperUV[i]).length();
            lowerSum += (lowerUV[i + 1] - lowerUV[i]).length();
            upper.columns[i].arcPosition = upperSum / upperLength;
            lower.columns[i].arcPosition = lowerSum / upperLength;
            prepareRestFrame(upper.columns[i], eye_.upperLidInnerIdxs->values[i], eye_.upperLidOuterIdxs->values[i]);
            prepareRestFrame(lower.columns[i], eye_.lowerLidInnerIdxs->values[i], eye_.lowerLidOuterIdxs->values[i]);

            setMoveVector(upper.columns[i], offsets[i] + eye_.upperLidMoveVector->values[i]);
            upper.columns[i].outerMove = offsets[n + i];
            setMoveVector(lower.columns[i], offsets[2 * n + i] + eye_.lowerLidMoveVector->values[i]);
            lower.columns[i].outerMove = offsets[3 * n + i];
            upper.columns[i].innerOvershoot = offsets[4 * n + 4 + i];
            upper.columns[i].outerOvershoot = offsets[5 * n + 4 + i];
            lower.columns[i].innerOvershoot = offsets[6 * n + 4 + i];
            lower.columns[i].outerOvershoot = offsets[7 * n + 4 + i];
        }

        // The smallest rest radius of the upper between rows holds every between
        // vertex off the eyeball; it only ever shrinks over the node's life.
        const V3d& center = eye_.centerEye->value;
        for (const std::int32_t index : eye_.upperLidBetweenIdxs->values) {
            const double radius = (world(index) - center).length();
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

    // The solve needs the move vector's length and unit copy on every call.
    static void setMoveVector(LidColumn& column, const V3d& moveVector)
    {
        column.moveVector = moveVector;
        column.moveLength = moveVector.length();
        column.moveDirection = moveVector.normalized();
    }

    void prepareRestFrame(LidColumn& column, std::int32_t innerIndex, std::int32_t outerIndex) const
    {
        column.restSpan = toWorld_(points_[outerIndex] - points_[innerIndex]);
        column.restSpanLength = column.restSpan.length();
        setMatrixRow(column.restInnerFrame, 3, world(innerIndex));
        column.restInnerFrameInv = column.restInnerFrame.inverse(false);
    }

    // The per-call part: curve copies, close blend, controls and profile values.
    // `problem` (from the cached preparation) or a bad curve skips the profile
    // evaluation; the caller reports it after the corner count check.
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
        if (upperCvs.size() != lowerCvs.size()) {
            reportEyeCheck(node_, side_, kCurveCvCountCheck, kEyeCheckTexts[kCurveCvCountCheck]);
            return false;
        }
        for (std::size_t k = 0; k < upperCvs.size(); ++k)
            for (int axis = 0; axis < 3; ++axis)
                closeBlend(upperCvs[k][axis], lowerCvs[k][axis], closeEye, closeLine);

        if (problem.empty())
            problem = findCurveProblem(key(eyeField::upperLidMinorCurve), upper.minorCurve);
        if (problem.empty())
            problem = findCurveProblem(key(eyeField::lowerLidMinorCurve), lower.minorCurve);
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

    // The corner records read the corner entries, their neighbours and, from
    // entry 4 on, the two carried lists of each corner.
    std::string findCornerProblem() const
    {
        const std::vector<std::int32_t>& corners = eye_.cornersIdxs->values;
        const std::size_t rows = 2 * std::size_t{state_.upper.centerCount} + 2 * std::size_t{state_.upper.betweenCount};
        std::string problem = findListTooShort(key(eyeField::cornersIdxs), corners.size(), 4 + rows,
                                               "4 corners and their carried lists");
        if (!problem.empty())
            return problem;
        const std::size_t third = corners.size() / 3;
        for (const std::size_t start : {std::size_t{0}, third, 2 * third}) {
            for (std::size_t position = start; position < start + 4; ++position) {
                if (corners[position] < 0 || static_cast<std::size_t>(corners[position]) >= points_.size())
                    return findIndexOutsidePoints(key(eyeField::cornersIdxs), corners, position + 1, points_.size());
            }
        }
        return findIndexOutsidePoints(key(eyeField::cornersIdxs), corners, 4 + rows, points_.size());
    }

    void prepareCorners()
    {
        const std::vector<std::int32_t>& q = eye_.cornersIdxs->values;
        const std::vector<V3d>& offsets = state_.offsetTable;
        const std::size_t n = columnCount_;
        const std::size_t third = q.size() / 3;
        const std::size_t centerRows = state_.upper.centerCount;
        const std::size_t betweenRows = state_.upper.betweenCount;
        auto run = q.begin() + 4;
        for (std::size_t c = 0; c < 2; ++c) {
            CornerRecord& corner = state_.corners[c];
            corner.cornerA = q[2 * c];
            corner.cornerB = q[2 * c + 1];
            corner.cornerANeighbour1 = q[third + 2 * c];
            corner.cornerBNeighbour1 = q[third + 2 * c + 1];
            corner.cornerANeighbour2 = q[2 * third + 2 * c];
            corner.cornerBNeighbour2 = q[2 * third + 2 * c + 1];
            corner.offsetA = offsets[4 * n + 2 * c];
            corner.offsetB = offsets[4 * n + 2 * c + 1];
            corner.aroundCenterIdxs.assign(run, run + centerRows);
            run += centerRows;
            corner.alongSpanIdxs.assign(run, run + betweenRows);
            run += betweenRows;
        }
    }

    // What the solve reads by index on this call: the current index lists, rows
    // sized by the prepared row counts, and the weights of between rows.
    std::string findSolveProblem()
    {
        touched_ = IndexSpan{};
        const std::size_t pointCount = points_.size();
        const std::size_t n = columnCount_;
        const std::size_t centerRows = state_.upper.centerCount;
        const std::size_t betweenRows = state_.upper.betweenCount;
        const std::tuple<std::size_t, std::size_t, const char*> lists[] = {
            {eyeField::upperLidInnerIdxs, n, ""},
            {eyeField::upperLidOuterIdxs, n, ""},
            {eyeField::upperLidCenterIdxs, n * centerRows, "the columns' center rows"},
            {eyeField::upperLidBetweenIdxs, n * betweenRows, "the columns' between rows"},
            {eyeField::lowerLidInnerIdxs, n, ""},
            {eyeField::lowerLidOuterIdxs, n, ""},
            {eyeField::lowerLidCenterIdxs, n * centerRows, "the columns' center rows"},
            {eyeField::lowerLidBetweenIdxs, n * betweenRows, "the columns' between rows"},
        };
        for (const auto& [field, count, rowsText] : lists) {
            const std::vector<std::int32_t>& list = indexList(field);
            std::string problem = findListTooShort(key(field), list.size(), count, rowsText);
            if (problem.empty()) {
                touched_.include(list.data(), count);
                if (touched_.lowest < 0 || static_cast<std::size_t>(touched_.highest) >= pointCount)
                    problem = findIndexOutsidePoints(key(field), list, count, pointCount);
            }
            if (problem.empty() && (field == eyeField::upperLidBetweenIdxs || field == eyeField::lowerLidBetweenIdxs))
                problem = findBetweenWeightProblem(field, list, n, betweenRows);
            if (!problem.empty())
                return problem;
        }
        for (const CornerRecord& corner : state_.corners) {
            touched_.include(corner.cornerA);
            touched_.include(corner.cornerB);
            touched_.include(corner.cornerANeighbour1);
            touched_.include(corner.cornerBNeighbour1);
            touched_.include(corner.cornerANeighbour2);
            touched_.include(corner.cornerBNeighbour2);
            touched_.include(corner.aroundCenterIdxs.data(), corner.aroundCenterIdxs.size());
            touched_.include(corner.alongSpanIdxs.data(), corner.alongSpanIdxs.size());
        }
        return {};
    }

    // Between rows after the first read their vertex's weight.
    std::string findBetweenWeightProblem(std::size_t field, const std::vector<std::int32_t>& list, std::size_t n,
                                         std::size_t betweenRows) const
    {
        if (static_cast<std::size_t>(touched_.highest) < weightCount_)
            return {};
        for (std::size_t column = 0; column < n; ++column) {
            for (std::size_t row = 1; row < betweenRows; ++row) {
                std::string problem = findIndexWithoutWeight(key(field), list, column * betweenRows + row, weightCount_);
                if (!problem.empty())
                    return problem;
            }
        }
        return {};
    }

    template <typename Visit>
    void forEachTouchedList(Visit&& visit) const
    {
        const std::size_t n = columnCount_;
        const std::size_t centerRows = state_.upper.centerCount;
        const std::size_t betweenRows = state_.upper.betweenCount;
        const std::pair<std::size_t, std::size_t> lists[] = {
            {eyeField::upperLidInnerIdxs, n},           {eyeField::upperLidOuterIdxs, n},
            {eyeField::upperLidCenterIdxs, n * centerRows}, {eyeField::upperLidBetweenIdxs, n * betweenRows},
            {eyeField::lowerLidInnerIdxs, n},           {eyeField::lowerLidOuterIdxs, n},
            {eyeField::lowerLidCenterIdxs, n * centerRows}, {eyeField::lowerLidBetweenIdxs, n * betweenRows},
        };
        for (const auto& [field, count] : lists)
            visit(indexList(field).data(), count);
        for (const CornerRecord& corner : state_.corners) {
            const std::int32_t cornerIndices[] = {corner.cornerA,           corner.cornerB,
                                                  corner.cornerANeighbour1, corner.cornerBNeighbour1,
                                                  corner.cornerANeighbour2, corner.cornerBNeighbour2};
            visit(cornerIndices, 6);
            visit(corner.aroundCenterIdxs.data(), corner.aroundCenterIdxs.size());
            visit(corner.alongSpanIdxs.data(), corner.alongSpanIdxs.size());
        }
    }

    MyNode& node_;
    const EyeInputs& eye_;
    EyeSolveState& state_;
    const EyeSide side_;
    const std::array<std::string, kEyeFieldCount>& keys_;
    const std::vector<V3d>& points_;
    const PointTransform toWorld_;
    const std::size_t weightCount_;
    std::size_t columnCount_ = 0;
    IndexSpan touched_;
};

// Whether the two eyes' solves name a common point. Cheap when their index
// spans do not meet, which is how rigs lay out their eyes.
bool eyesShareVertices(MyNode& node, const EyeDriver& left, const EyeDriver& right, std::size_t pointCount)
{
    if (!left.touchedIndices().overlaps(right.touchedIndices()))
        return false;
    node.vertexOwners.assign(pointCount, 0);
    left.markTouchedPoints(node.vertexOwners, true);
    return right.markTouchedPoints(node.vertexOwners, false);
}

bool prepareSoftRegion(MyNode& node, const DeformInputs& inputs, bool rebuild)
{
    SoftRegionState& state = node.softRegionState;
    const std::vector<std::int32_t>& list = inputs.softRegion->values;
    state.points = inputs.points;
    state.weights = inputs.weights;
    if (!rebuild && list.size() == state.indices.size())
        return true;
    const std::string problem = findSoftRegionProblem(list, inputs.points->size(), inputs.weights->size());
    if (!problem.empty()) {
        reportAssertion(node, LIDSHAPER_CHECK_SITE, problem);
        return false;
    }
    state.indices.assign(list.begin(), list.end());
    state.geometryInverse = inputs.geometryInverse;
    state.geometryMatrix = inputs.geometryMatrix;
    buildSoftRegion(state);
    return true;
}

// The groups built earlier must still fit the points of this call.
bool softRegionFitsPoints(const RgNode& node, const SoftRegionState& state, const DeformInputs& inputs)
{
    if (state.groups.empty())
        return true;
    const std::size_t needed = static_cast<std::size_t>(state.largestIndex) + 1;
    if (needed <= inputs.points->size() && needed <= inputs.weights->size())
        return true;
    reportAssertion(node, LIDSHAPER_CHECK_SITE,
                    "softRegion names point " + std::to_string(state.largestIndex) + " but points hold " +
                        std::to_string(inputs.points->size()) + " and weights " +
                        std::to_string(inputs.weights->size()));
    return false;
}

} // namespace

RgStatus runDeformDriver(MyNode& node, const DeformInputs& inputs)
{
    if (!inputs.geometry) {
        node.rebuildCache = false;
        return RgStatus::Success;
    }
    const bool rebuild = node.rebuildCache || !inputs.cacheAttributes;
    // The preparation below gives a worker time to wake for the parallel solve.
    wakeParallelWorker();

    EyeDriver left(node, inputs, EyeSide::Left);
    EyeDriver right(node, inputs, EyeSide::Right);
    const bool leftComputed = inputs.left.eyeCompute->value;
    const bool rightComputed = inputs.right.eyeCompute->value;
    if ((leftComputed && !left.prepare(rebuild)) || (rightComputed && !right.prepare(rebuild)))
        return RgStatus::Failure;

    if (!inputs.softRegion->values.empty() && !prepareSoftRegion(node, inputs, rebuild))
        return RgStatus::Failure;
    // The soft region keeps working on the last groups when this call's list is
    // empty; it must do so on this call's points.
    node.softRegionState.points = inputs.points;
    node.softRegionState.weights = inputs.weights;
    if (!softRegionFitsPoints(node, node.softRegionState, inputs))
        return RgStatus::Failure;

    std::array<RgStatus, 2> taskStatuses{RgStatus::NotHandled, RgStatus::NotHandled};
    std::vector<V3d>& points = *inputs.points;
    const EyeSolveTask leftTask{inputs.left,           node.leftEye,     points, inputs.geometryMatrix,
                                inputs.geometryInverse, *inputs.weights, taskStatuses[0]};
    const EyeSolveTask rightTask{inputs.right,          node.rightEye,    points, inputs.geometryMatrix,
                                 inputs.geometryInverse, *inputs.weights, taskStatuses[1]};
    const std::function<void()> solveLeft = [&leftTask] { solveEyeLids(leftTask); };
    const std::function<void()> solveRight = [&rightTask] { solveEyeLids(rightTask); };
    if (leftComputed && rightComputed && eyesShareVertices(node, left, right, points.size())) {
        solveLeft();
        solveRight();
    } else {
        runInParallel(solveLeft, solveRight);
    }
    for (const RgStatus status : taskStatuses)
        if (status != RgStatus::Success)
            return status;

    applySoftRegion(node.softRegionState);
    node.rebuildCache = false;
    return RgStatus::Success;
}
