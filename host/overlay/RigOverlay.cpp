#include "overlay/RigOverlay.h"

#include <algorithm>

#include "core/AttributeValue.h"
#include "overlay/FailureMarks.h"
#include "overlay/LidProfile.h"
#include "overlay/OverlayInputs.h"
#include "rg/RgData.h"

using namespace rigContract;

namespace rghost {

namespace {

using Imath::V3d;

constexpr std::size_t kLabelledColumns = 6; // column numbers shown per lid, about
constexpr int kMoveVectorSteps = 8;         // a move vector bends over the eyeball
constexpr double kLabelLift = 1.12;         // corner names sit this far out from the eye center
constexpr double kColumnLabelReach = 0.2;   // column numbers beyond the outer row, in column lengths
constexpr double kLidLabelReach = 0.7;      // a lid's name beyond its column numbers

class OverlayBuilder {
public:
    explicit OverlayBuilder(Overlay& overlay) : overlay_(overlay) {}

    void line(OverlayCategory category, std::vector<V3d> points)
    {
        if (points.size() >= 2) {
            overlay_.lines.push_back({category, std::move(points)});
        }
    }
    void point(OverlayCategory category, const std::optional<V3d>& position, bool emphasized = false)
    {
        if (position) {
            overlay_.points.push_back({category, *position, emphasized});
        }
    }
    void label(OverlayCategory category, const std::optional<V3d>& position, std::string text)
    {
        if (position) {
            overlay_.labels.push_back({category, *position, std::move(text)});
        }
    }

private:
    Overlay& overlay_;
};

void append(std::vector<V3d>& line, const std::optional<V3d>& point)
{
    if (point) {
        line.push_back(*point);
    }
}

V3d lifted(const EyeOverlayInputs& eye, const V3d& point)
{
    return eye.center + (point - eye.center) * kLabelLift;
}

// Past the column's outer vertex, on the line from its inner one: away from
// the lid margin, where the lid's other marks are.
V3d beyondColumn(const V3d& inner, const V3d& outer, double reach)
{
    return outer + (outer - inner) * reach;
}

// Column i's move vector with its offset from the table: the upper lid's
// block 0, the lower lid's block 2.
std::vector<V3d> moveVectors(const EyeOverlayInputs& eye, const LidLists& lid)
{
    const std::size_t n = eye.columns();
    const auto block = lid.upper ? offsetTable::ColumnOffset::UpperMove : offsetTable::ColumnOffset::LowerMove;
    std::vector<V3d> moves;
    for (std::size_t i = 0; i < n && i < lid.moveVector.size(); ++i) {
        const std::size_t entry = offsetTable::columnEntry(n, block, i);
        moves.push_back(lid.moveVector[i] + (entry < eye.pointsOffset.size() ? eye.pointsOffset[entry] : V3d(0.0)));
    }
    return moves;
}

struct EyeMoves {
    std::vector<V3d> upper;
    std::vector<V3d> lower;
};

void addColumns(OverlayBuilder& marks, const EyeOverlayInputs& eye, const LidLists& lid, const WorldPoints& world)
{
    const std::size_t n = eye.columns();
    const std::size_t centerRows = eye.centerRows();
    const std::size_t betweenRows = eye.betweenRows();
    const std::size_t stride = std::max<std::size_t>(1, n / kLabelledColumns);
    for (std::size_t i = 0; i < n; ++i) {
        const auto inner = world.at(lid.inner, i);
        const auto outer = world.at(lid.outer, i);
        std::vector<V3d> rows;
        append(rows, inner);
        for (std::size_t k = 0; k < betweenRows; ++k) {
            append(rows, world.at(lid.between, i * betweenRows + k));
        }
        append(rows, outer);
        std::vector<V3d> socket;
        append(socket, inner);
        for (std::size_t k = 0; k < centerRows; ++k) {
            append(socket, world.at(lid.center, i * centerRows + k));
        }
        marks.line(OverlayCategory::Columns, std::move(rows));
        marks.line(OverlayCategory::Columns, std::move(socket));
        if (inner && outer && (i % stride == 0 || i + 1 == n)) {
            marks.label(OverlayCategory::Columns, beyondColumn(*inner, *outer, kColumnLabelReach), std::to_string(i));
        }
    }
    const auto middleInner = world.at(lid.inner, n / 2);
    const auto middleOuter = world.at(lid.outer, n / 2);
    if (middleInner && middleOuter) {
        marks.label(OverlayCategory::Columns, beyondColumn(*middleInner, *middleOuter, kLidLabelReach),
                    lid.upper ? "upper" : "lower");
    }
}

void addSurfaceParameters(OverlayBuilder& marks, const EyeOverlayInputs& eye, const LidLists& lid)
{
    for (std::size_t i = 0; i < eye.columns(); ++i) {
        if (i + 1 < lid.innerUV.size()) {
            marks.point(OverlayCategory::Surface, eye.spherePoint(lid.innerUV[i + 1].x, lid.innerUV[i + 1].y));
        }
        if (i < lid.outerUV.size()) {
            marks.point(OverlayCategory::Surface, eye.spherePoint(lid.outerUV[i].x, lid.outerUV[i].y));
        }
    }
}

// Each column's margin with a lid control of 0: the closing line shifted by
// the minor curve's height there, along the upper lid's move vector where the
// height is positive and the lower lid's where it is not.
void addMinorCurve(OverlayBuilder& marks, const EyeOverlayInputs& eye, const LidLists& lid, const NurbsCurveData& curve,
                   const EyeMoves& moves)
{
    const std::vector<double> positions = arcPositions(lid.innerUV, eye.upperLid.innerUV, eye.columns());
    std::vector<V3d> line;
    for (std::size_t i = 0; i < positions.size() && i < moves.upper.size() && i < moves.lower.size(); ++i) {
        const std::optional<double> height = curveHeight(curve, static_cast<float>(positions[i]));
        if (!height) {
            return;
        }
        const V3d& along = *height > 0.0 ? moves.upper[i] : moves.lower[i];
        line.push_back(eye.shiftedSpherePoint(lid.innerUV[i + 1], along.normalized() * *height));
    }
    marks.line(OverlayCategory::Curves, std::move(line));
}

void addClosingLine(OverlayBuilder& marks, const EyeOverlayInputs& eye)
{
    for (const LidLists* lid : {&eye.upperLid, &eye.lowerLid}) {
        if (!lid->upper && lid->innerUV == eye.upperLid.innerUV) {
            break; // one line where both lids close on the same one
        }
        std::vector<V3d> line;
        for (const V3d& uv : lid->innerUV) {
            line.push_back(eye.spherePoint(uv.x, uv.y));
        }
        marks.line(OverlayCategory::CloseLine, std::move(line));
    }
}

// A lid opens by its move vector: the upper lid by +1 of it, the lower by -1.
void addMoveVectors(OverlayBuilder& marks, const EyeOverlayInputs& eye, const LidLists& lid,
                    const std::vector<V3d>& moves)
{
    const double opening = lid.upper ? 1.0 : -1.0;
    for (std::size_t i = 0; i < moves.size() && i + 1 < lid.innerUV.size(); ++i) {
        std::vector<V3d> line;
        for (int step = 0; step <= kMoveVectorSteps; ++step) {
            line.push_back(eye.shiftedSpherePoint(lid.innerUV[i + 1], moves[i] * (opening * step / kMoveVectorSteps)));
        }
        marks.line(OverlayCategory::MoveVectors, std::move(line));
    }
}

void addCorners(OverlayBuilder& marks, const EyeOverlayInputs& eye, const WorldPoints& world)
{
    const std::vector<std::int32_t>& q = eye.corners;
    if (q.size() < cornerList::kMinimumSize) {
        return;
    }
    using cornerList::Ring;
    const auto vertex = [&](Ring ring, std::size_t corner, bool second) {
        return world.at(q, cornerList::pairEntry(q.size(), ring, corner, second));
    };
    const std::size_t centerRows = eye.centerRows();
    const std::size_t betweenRows = eye.betweenRows();
    for (std::size_t corner = 0; corner < 2; ++corner) {
        const auto a = vertex(Ring::Corner, corner, false);
        const auto b = vertex(Ring::Corner, corner, true);
        for (const bool second : {false, true}) {
            std::vector<V3d> smoothing;
            append(smoothing, vertex(Ring::FirstNeighbour, corner, second));
            append(smoothing, vertex(Ring::Corner, corner, second));
            append(smoothing, vertex(Ring::SecondNeighbour, corner, second));
            marks.line(OverlayCategory::Corners, std::move(smoothing));
            marks.point(OverlayCategory::Corners, vertex(Ring::FirstNeighbour, corner, second));
            marks.point(OverlayCategory::Corners, vertex(Ring::SecondNeighbour, corner, second));
        }
        const std::size_t start = cornerList::carriedStart(corner, centerRows, betweenRows);
        std::vector<V3d> around;
        append(around, a);
        for (std::size_t k = 0; k < centerRows; ++k) {
            append(around, world.at(q, start + k));
            marks.point(OverlayCategory::Corners, world.at(q, start + k));
        }
        std::vector<V3d> along;
        append(along, a);
        for (std::size_t k = 0; k < betweenRows; ++k) {
            append(along, world.at(q, start + centerRows + k));
            marks.point(OverlayCategory::Corners, world.at(q, start + centerRows + k));
        }
        append(along, b);
        marks.line(OverlayCategory::Corners, std::move(around));
        marks.line(OverlayCategory::Corners, std::move(along));
        marks.point(OverlayCategory::Corners, a, true);
        marks.point(OverlayCategory::Corners, b, true);
        if (a) {
            marks.label(OverlayCategory::Corners, lifted(eye, *a), "corner " + std::to_string(corner));
        }
    }
}

void addEye(OverlayBuilder& marks, const EyeOverlayInputs& eye, const WorldPoints& world)
{
    const EyeMoves moves{moveVectors(eye, eye.upperLid), moveVectors(eye, eye.lowerLid)};
    const auto curves =
        closeBlendedCurves(eye.upperLid.minorCurve, eye.lowerLid.minorCurve, eye.closeEye, eye.closeLine);
    for (const LidLists* lid : {&eye.upperLid, &eye.lowerLid}) {
        addColumns(marks, eye, *lid, world);
        addSurfaceParameters(marks, eye, *lid);
        addMinorCurve(marks, eye, *lid, lid->upper ? curves.first : curves.second, moves);
        addMoveVectors(marks, eye, *lid, lid->upper ? moves.upper : moves.lower);
    }
    addClosingLine(marks, eye); // over the move vectors and curves that start on it
    addCorners(marks, eye, world);
}

// The soft-region list read as the node reads it: pivot, aim, member count,
// members, with -1 skipped anywhere; a record cut short ends the list.
void addSoftRegion(OverlayBuilder& marks, const AttributeMap& attributes, const WorldPoints& world)
{
    const auto list = valueAs<RgInt>(attributes, kSoftRegionKey);
    if (!list) {
        return;
    }
    std::vector<std::int32_t> entries;
    std::copy_if(list->values.begin(), list->values.end(), std::back_inserter(entries),
                 [](std::int32_t entry) { return entry != -1; });
    std::size_t next = 0;
    while (next + 3 <= entries.size()) {
        const std::int32_t count = entries[next + 2];
        if (count < 1 || next + 3 + static_cast<std::size_t>(count) > entries.size()) {
            return;
        }
        const auto pivot = world.at(entries[next]);
        const auto aim = world.at(entries[next + 1]);
        if (pivot && aim) {
            marks.line(OverlayCategory::SoftRegion, {*pivot, *aim});
        }
        marks.point(OverlayCategory::SoftRegion, pivot);
        marks.point(OverlayCategory::SoftRegion, aim);
        for (std::int32_t k = 0; k < count; ++k) {
            marks.point(OverlayCategory::SoftRegion, world.at(entries[next + 3 + k]));
        }
        next += 3 + static_cast<std::size_t>(count);
    }
}

} // namespace

Overlay rigOverlay(const AttributeMap& attributes, const std::vector<V3d>& points, const Imath::M44d& geometryMatrix,
                   const std::vector<std::string>& errorLines)
{
    Overlay overlay;
    OverlayBuilder marks(overlay);
    const WorldPoints world(points, geometryMatrix);
    addSoftRegion(marks, attributes, world); // first: the face-wide links lie under the eyes' marks
    std::vector<EyeOverlayInputs> eyes;
    for (const EyeSide side : kEyeSides) {
        if (auto eye = readEyeOverlayInputs(attributes, side)) {
            addEye(marks, *eye, world);
            eyes.push_back(std::move(*eye));
        }
    }
    for (const std::string& line : errorLines) {
        addFailureMarks(overlay, eyes, world, line);
    }
    return overlay;
}

} // namespace rghost
