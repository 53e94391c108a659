#include "sample/sampleRigEye.h"

#include <algorithm>
#include <cmath>

#include <maya/MFnNurbsSurface.h>
#include <maya/MPoint.h>
#include <mayastandin/StandIn.h>

namespace rghost {

namespace {

using Imath::V3d;

constexpr double kPi = 3.14159265358979323846;

constexpr double kEyeballRadius = 1.4;
constexpr double kEyeCenterX = 3.2;

// Distances from the eye center. The lid margin rests just off the eyeball,
// its front lip and the skin above stand further out, the crease furthest
// (the upper one more than the lower one, which lies flatter on the cheek).
constexpr double kSocketRadius = kEyeballRadius + 0.004;
constexpr double kMarginRadius = kEyeballRadius + 0.025;
constexpr double kLipRadius = kMarginRadius + 0.045;
constexpr double kUpperCreaseRadius = kEyeballRadius + 0.15;
constexpr double kLowerCreaseRadius = kEyeballRadius + 0.09;
constexpr double kCornerCreaseRadius = kEyeballRadius + 0.12;
constexpr double kLipFraction = 0.04; // how far along the lid skin its first row sits

// The lids are drawn in the eyeball's surface parameters: u runs from the
// inner (nose) corner towards the temple, v upwards, (0.5, 0.5) looks straight
// ahead. s is the position along the eye, 0 at the inner corner, 1 at the outer.
constexpr double kInnerCornerU = 0.36;
constexpr double kOuterCornerU = 0.645;
constexpr double kCreaseWidening = 0.03; // the crease reaches past the corners

// Height of the lids' minor curves, in v: the upper margin arches up, the
// lower one down, by as much in the middle of the eye.
constexpr double kProfileHeight = 0.036;
// How far the crease follows its lid opening, in v, for a fully open lid.
constexpr double kUpperCreaseFollow = 0.012;
constexpr double kLowerCreaseFollow = 0.008;

// A smooth rise from 0 at both corners to 1 at `peak` (0 < peak < 1).
double bump(double s, double peak)
{
    const double skew = std::log(0.5) / std::log(peak);
    return std::pow(std::max(0.0, std::sin(kPi * std::pow(s, skew))), 0.8);
}

// Where the lids meet when the eye closes: slightly tilted up towards the temple.
double closedLineV(double s)
{
    return 0.488 + 0.016 * s - 0.012 * std::sin(kPi * s);
}

double marginU(double s)
{
    return kInnerCornerU + s * (kOuterCornerU - kInnerCornerU);
}

double creaseU(double s)
{
    return kInnerCornerU - kCreaseWidening + s * (kOuterCornerU - kInnerCornerU + 2.0 * kCreaseWidening);
}

// The open eye: upper margin highest towards the nose, lower margin lowest towards the temple.
double upperMarginV(double s)
{
    return closedLineV(s) + 0.13 * bump(s, 0.42);
}

double lowerMarginV(double s)
{
    return closedLineV(s) - 0.07 * bump(s, 0.58);
}

double upperCreaseV(double s)
{
    return closedLineV(s) + 0.23 * bump(s, 0.45);
}

double lowerCreaseV(double s)
{
    return closedLineV(s) - 0.16 * bump(s, 0.55);
}

// The minor curve's height at arc position t: a quadratic arch, 0 at the
// corners and `height` / 2 in the middle.
double profileAt(double t, double height)
{
    return 2.0 * t * (1.0 - t) * height;
}

NurbsCurveData minorCurve(double height)
{
    NurbsCurveData curve;
    curve.cvs = {V3d(0.0, 0.0, 0.0), V3d(0.5, height, 0.0), V3d(1.0, 0.0, 0.0)};
    curve.knots = {0.0f, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f};
    curve.degree = 2;
    return curve;
}

// A rational quadratic unit sphere (poles on its local z axis) scaled to the
// eyeball, turned so its poles point down and up and u = 0.5 looks forward
// (+z), and placed at `center`. The right eye's sphere is the mirror image of
// the left one's, so one set of surface parameters serves both.
mayastandin::NurbsSurfaceDescription eyeballDescription(const V3d& center, double side)
{
    const double diagonalWeight = std::sqrt(0.5);
    const double circle[9][2] = {{1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}, {1, 0}};
    const double meridian[5][2] = {{0, -1}, {1, -1}, {1, 0}, {1, 1}, {0, 1}}; // distance from the axis, height

    mayastandin::NurbsSurfaceDescription sphere;
    sphere.degreeU = 2;
    sphere.degreeV = 2;
    sphere.cvCountU = 9;
    sphere.cvCountV = 5;
    sphere.knotsU = {0, 0, 0, 0.25, 0.25, 0.5, 0.5, 0.75, 0.75, 1, 1, 1};
    sphere.knotsV = {0, 0, 0, 0.5, 0.5, 1, 1, 1};
    for (int iu = 0; iu < 9; ++iu) {
        for (int iv = 0; iv < 5; ++iv) {
            const double weight = (iu % 2 ? diagonalWeight : 1.0) * (iv % 2 ? diagonalWeight : 1.0);
            sphere.cvs.emplace_back(circle[iu][0] * meridian[iv][0], circle[iu][1] * meridian[iv][0], meridian[iv][1],
                                    weight);
        }
    }
    const double r = kEyeballRadius;
    sphere.worldMatrix = Imath::M44d(0, 0, -r, 0, -side * r, 0, 0, 0, 0, r, 0, 0, center.x, center.y, center.z, 1);
    return sphere;
}

// The eye's own frame: X towards the temple, Y up, Z forward.
struct EyeFrame {
    V3d center;
    double side; // +1 left eye (+x), -1 right eye

    V3d toWorld(const V3d& local) const { return center + V3d(side * local.x, local.y, local.z); }
    V3d toLocal(const V3d& world) const
    {
        const V3d d = world - center;
        return V3d(side * d.x, d.y, d.z);
    }
};

// Height of the face around the eye (Z in the eye's frame): a brow ridge
// above, a cheek below, falling away towards the temple and the nose.
double faceHeight(double x, double y)
{
    const double across = x > 0.0 ? 0.055 * x * x : 0.03 * x * x;
    const double brow = 0.32 * std::exp(-std::pow((y - 1.7) / 0.5, 2.0)) * std::max(0.0, 1.0 - 0.08 * x * x);
    const double cheek = 0.15 * std::exp(-std::pow((y + 1.7) / 0.6, 2.0));
    return kEyeballRadius - 0.18 - across - 0.03 * y * y + brow + cheek;
}

// The border of the eye's patch of face: a rounded rectangle around the eye,
// reaching higher (to the brow) than low (to the cheek).
V3d borderPoint(double x, double y)
{
    constexpr double kMiddleY = 0.1;
    constexpr double kHalfWidth = 2.6;
    constexpr double kExponent = 4.0;
    const double angle = std::atan2(y - kMiddleY, x);
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    const double halfHeight = s > 0.0 ? 2.35 : 2.0;
    const double reach = std::pow(std::pow(std::abs(c) / kHalfWidth, kExponent) + std::pow(std::abs(s) / halfHeight, kExponent),
                                  -1.0 / kExponent);
    const double bx = reach * c;
    const double by = kMiddleY + reach * s;
    return V3d(bx, by, faceHeight(bx, by));
}

EyeFrame eyeFrame(EyeSide side)
{
    const double sign = side == EyeSide::Left ? 1.0 : -1.0;
    return {V3d(sign * kEyeCenterX, 0.0, 0.0), sign};
}

// One column of the loop of vertices around the eye, in the open pose.
struct ColumnDesign {
    V3d margin;  // on the eyeball, where the lid ends
    V3d crease;
    double skinBulge = 0.0; // how far the lid skin rises over its straight span
};

class EyeBuilder {
public:
    EyeBuilder(Rig& rig, EyeSide side, const SampleRigOptions& options)
        : rig_(rig),
          options_(options),
          frame_(eyeFrame(side)),
          columns_(options.columns),
          centerRows_(options.centerRows),
          betweenRows_(options.betweenRows),
          ringCount_(centerRows_ + 1 + betweenRows_ + 1 + kFaceRings),
          loopSize_(2 * columns_ + 2),
          firstVertex_(static_cast<std::int32_t>(rig.geometry.points.size()))
    {
        eye_.center = frame_.center;
        eye_.eyeball = addSurface(rig_, eyeballDescription(frame_.center, frame_.side));
        surface_ = MFnNurbsSurface(eye_.eyeball);
    }

    SampleEye build()
    {
        rig_.geometry.points.resize(firstVertex_ + loopSize_ * ringCount_);
        rig_.geometry.weights.resize(rig_.geometry.points.size(), 1.0f);
        designLids();
        placeColumn(innerCornerColumn(), cornerDesign(0.0, -1.0), false);
        placeColumn(outerCornerColumn(), cornerDesign(1.0, 1.0), false);
        for (int i = 0; i < columns_; ++i) {
            placeColumn(upperColumn(i), upperDesigns_[i], true);
            placeColumn(lowerColumn(i), lowerDesigns_[i], true);
        }
        listLidVertices(eye_.upper, [this](int i) { return upperColumn(i); });
        listLidVertices(eye_.lower, [this](int i) { return lowerColumn(i); });
        listCorners();
        offsetCorners();
        if (options_.softRegion) {
            groupFaceRings();
        }
        addFaces();
        return eye_;
    }

private:
    static constexpr int kFaceRings = 4;

    // Loop columns run around the eye: inner corner, upper lid from the inner
    // to the outer corner, outer corner, lower lid back to the inner corner.
    int innerCornerColumn() const { return 0; }
    int upperColumn(int i) const { return 1 + i; }
    int outerCornerColumn() const { return columns_ + 1; }
    int lowerColumn(int i) const { return 2 * columns_ + 1 - i; }

    // Rings run outwards: the socket rows (deepest first), the margin, the
    // lid skin rows, the crease, then the face rings.
    int socketRing(int row) const { return centerRows_ - 1 - row; }
    int marginRing() const { return centerRows_; }
    int skinRing(int row) const { return centerRows_ + 1 + row; }
    int creaseRing() const { return centerRows_ + 1 + betweenRows_; }
    int faceRing(int ring) const { return creaseRing() + 1 + ring; }

    std::int32_t vertex(int column, int ring) const
    {
        return firstVertex_ + ((column % loopSize_) * ringCount_) + ring;
    }

    V3d& point(int column, int ring) { return rig_.geometry.points[vertex(column, ring)]; }

    V3d onEyeball(double u, double v, double radius) const
    {
        MPoint p;
        surface_.getPointAtParam(u, v, p, MSpace::kWorld);
        return frame_.center + (V3d(p.x, p.y, p.z) - frame_.center).normalized() * radius;
    }

    // Both lids close on one line, so they share their inner parameters; the
    // move vectors and minor curves take each lid from there to its open margin.
    void designLids()
    {
        const int n = columns_;
        std::vector<V3d> closedLine;
        for (int j = 0; j <= n + 1; ++j) {
            const double s = static_cast<double>(j) / (n + 1);
            closedLine.emplace_back(marginU(s), closedLineV(s), 0.0);
        }
        eye_.upper.innerUV = closedLine;
        eye_.lower.innerUV = closedLine;
        eye_.upper.minorCurve = minorCurve(kProfileHeight);
        eye_.lower.minorCurve = minorCurve(-kProfileHeight);
        eye_.pointsOffset.assign(offsetTable::size(n), V3d(0.0));

        // Arc positions along the closed line, measured as the node measures them.
        std::vector<double> arc(n + 2, 0.0);
        for (int j = 1; j <= n + 1; ++j) {
            arc[j] = arc[j - 1] + (closedLine[j] - closedLine[j - 1]).length();
        }
        for (int i = 0; i < n; ++i) {
            const double s = static_cast<double>(i + 1) / (n + 1);
            const double t = arc[i + 1] / arc[n + 1];
            const double upperProfile = profileAt(t, kProfileHeight);
            const double lowerProfile = -profileAt(t, -kProfileHeight); // how far down the lower curve reaches
            const double upperMove = upperMarginV(s) - closedLineV(s) - upperProfile;
            const double lowerMove = closedLineV(s) - lowerMarginV(s) - lowerProfile;
            eye_.upper.moveVector.emplace_back(0.0, upperMove, 0.0);
            eye_.lower.moveVector.emplace_back(0.0, lowerMove, 0.0);

            // Fully open, a lid overshoots its move vector by its profile, which
            // pushes the crease out by as much; the crease also follows the lid.
            const double upperRatio = (upperMove + upperProfile) / upperMove;
            const double lowerRatio = (lowerMove + lowerProfile) / lowerMove;
            using offsetTable::ColumnOffset;
            eye_.pointsOffset[offsetTable::columnEntry(n, ColumnOffset::UpperOuterMove, i)] =
                V3d(0.0, -kUpperCreaseFollow, 0.0);
            eye_.pointsOffset[offsetTable::columnEntry(n, ColumnOffset::LowerOuterMove, i)] =
                V3d(0.0, -kLowerCreaseFollow, 0.0);
            eye_.upper.outerUV.emplace_back(creaseU(s), upperCreaseV(s) - upperProfile - upperRatio * kUpperCreaseFollow, 0.0);
            eye_.lower.outerUV.emplace_back(creaseU(s), lowerCreaseV(s) + lowerProfile + lowerRatio * kLowerCreaseFollow, 0.0);

            upperDesigns_.push_back({onEyeball(marginU(s), upperMarginV(s), kMarginRadius),
                                     onEyeball(creaseU(s), upperCreaseV(s), kUpperCreaseRadius), 0.05});
            lowerDesigns_.push_back({onEyeball(marginU(s), lowerMarginV(s), kMarginRadius),
                                     onEyeball(creaseU(s), lowerCreaseV(s), kLowerCreaseRadius), 0.01});
        }
    }

    // The corners sit a little beyond the ends of the closed line.
    ColumnDesign cornerDesign(double s, double outwards) const
    {
        const double v = closedLineV(s);
        return {onEyeball(marginU(s) + 0.004 * outwards, v, kMarginRadius),
                onEyeball(creaseU(s) + 0.006 * outwards, v + 0.005, kCornerCreaseRadius), 0.02};
    }

    // Places every ring of one loop column. For a lid column, also sets the
    // weights that lift its skin rows to their places when the lid is open.
    void placeColumn(int column, const ColumnDesign& design, bool isLidColumn)
    {
        point(column, marginRing()) = design.margin;
        point(column, creaseRing()) = design.crease;

        // The socket rows go straight down from the margin towards the eye center.
        const V3d towardsMargin = (design.margin - frame_.center).normalized();
        for (int row = 0; row < centerRows_; ++row) {
            const double radius = kMarginRadius - (row + 1) * (kMarginRadius - kSocketRadius) / centerRows_;
            point(column, socketRing(row)) = frame_.center + towardsMargin * radius;
        }

        placeSkin(column, design, isLidColumn);
        placeFaceRings(column, design.crease);
    }

    // The lid skin: the first row is the lid's front lip, close to the margin;
    // the others lie over the straight span from margin to crease, pushed out
    // from the eye center to a radius that grows towards the crease with a bulge.
    void placeSkin(int column, const ColumnDesign& design, bool liftedByWeight)
    {
        if (betweenRows_ == 0) {
            return;
        }
        const V3d span = design.crease - design.margin;
        const auto spanPoint = [&](double f) { return design.margin + span * f; };
        const double creaseRadius = (design.crease - frame_.center).length();
        const auto radiusAt = [&](double f) {
            return kLipRadius + (creaseRadius - kLipRadius) * f + design.skinBulge * std::sin(kPi * f);
        };
        const auto skinPoint = [&](double f) {
            return frame_.center + (spanPoint(f) - frame_.center).normalized() * radiusAt(f);
        };
        point(column, skinRing(0)) = skinPoint(kLipFraction);
        for (int row = 1; row < betweenRows_; ++row) {
            point(column, skinRing(row)) = skinPoint(kLipFraction + (1.0 - kLipFraction) * row / betweenRows_);
        }
        if (!liftedByWeight) {
            return;
        }

        // An open lid lays its skin rows on the span at their share of the
        // skin's length, lifted by mount size times weight: the weight is
        // whatever lift brings each row back to its place.
        std::vector<double> travelled(betweenRows_);
        V3d previous = design.margin;
        double length = 0.0;
        for (int row = 0; row < betweenRows_; ++row) {
            length += (point(column, skinRing(row)) - previous).length();
            travelled[row] = length;
            previous = point(column, skinRing(row));
        }
        length += (design.crease - previous).length();
        for (int row = 1; row < betweenRows_; ++row) {
            const V3d& rest = point(column, skinRing(row));
            const double lift = (rest - frame_.center).length() - (spanPoint(travelled[row] / length) - frame_.center).length();
            rig_.geometry.weights[vertex(column, skinRing(row))] = static_cast<float>(lift / (kSampleMountSize * 0.01));
        }
    }

    // The face rings spread from the crease out to the border of the eye's
    // patch, settling onto the face's height.
    void placeFaceRings(int column, const V3d& crease)
    {
        const V3d creaseLocal = frame_.toLocal(crease);
        const V3d border = borderPoint(creaseLocal.x, creaseLocal.y);
        for (int ring = 0; ring < kFaceRings; ++ring) {
            const double f = std::pow(static_cast<double>(ring + 1) / kFaceRings, 1.2);
            const double x = creaseLocal.x + (border.x - creaseLocal.x) * f;
            const double y = creaseLocal.y + (border.y - creaseLocal.y) * f;
            const double settle = (creaseLocal.z - faceHeight(creaseLocal.x, creaseLocal.y)) * (1.0 - f) * (1.0 - f);
            point(column, faceRing(ring)) = frame_.toWorld(V3d(x, y, faceHeight(x, y) + settle));
        }
    }

    template <typename ColumnOf>
    void listLidVertices(SampleLid& lid, ColumnOf columnOf) const
    {
        for (int i = 0; i < columns_; ++i) {
            const int column = columnOf(i);
            lid.innerIdxs.push_back(vertex(column, marginRing()));
            lid.outerIdxs.push_back(vertex(column, creaseRing()));
            for (int row = 0; row < centerRows_; ++row) {
                lid.centerIdxs.push_back(vertex(column, socketRing(row)));
            }
            for (int row = 0; row < betweenRows_; ++row) {
                lid.betweenIdxs.push_back(vertex(column, skinRing(row)));
            }
        }
    }

    // Corner list: the two corners (margin, crease), their neighbours on the
    // upper lid at one third of the list and on the lower lid at two thirds, and
    // from entry 4 each corner's own socket and skin rows, which move with it.
    // The third is long enough that these rows end before the neighbours begin;
    // entries nobody reads keep the inner corner's index.
    void listCorners()
    {
        const std::size_t carriedEnd = cornerList::carriedEnd(centerRows_, betweenRows_);
        const std::size_t third = std::max<std::size_t>(cornerList::kMinimumSize / 3, carriedEnd);
        std::vector<std::int32_t>& q = eye_.cornersIdxs;
        q.assign(3 * third, vertex(innerCornerColumn(), marginRing()));
        const int corners[2] = {innerCornerColumn(), outerCornerColumn()};
        const int nearest[2] = {0, columns_ - 1};
        using cornerList::Ring;
        for (int c = 0; c < 2; ++c) {
            const auto pair = [&](Ring ring, bool second) -> std::int32_t& {
                return q[cornerList::pairEntry(q.size(), ring, c, second)];
            };
            pair(Ring::Corner, false) = vertex(corners[c], marginRing());
            pair(Ring::Corner, true) = vertex(corners[c], creaseRing());
            pair(Ring::FirstNeighbour, false) = vertex(upperColumn(nearest[c]), marginRing());
            pair(Ring::FirstNeighbour, true) = vertex(upperColumn(nearest[c]), creaseRing());
            pair(Ring::SecondNeighbour, false) = vertex(lowerColumn(nearest[c]), marginRing());
            pair(Ring::SecondNeighbour, true) = vertex(lowerColumn(nearest[c]), creaseRing());
            const std::size_t start = cornerList::carriedStart(c, centerRows_, betweenRows_);
            for (int row = 0; row < centerRows_; ++row) {
                q[start + row] = vertex(corners[c], socketRing(row));
            }
            for (int row = 0; row < betweenRows_; ++row) {
                q[start + centerRows_ + row] = vertex(corners[c], skinRing(row));
            }
        }
    }

    // With the eye open a corner is drawn to the average of its two lid
    // neighbours; its offset turns that pull back onto its own rest place, so
    // the open pose holds still.
    void offsetCorners()
    {
        const int n = columns_;
        const int corners[2] = {innerCornerColumn(), outerCornerColumn()};
        const int nearest[2] = {0, n - 1};
        for (int c = 0; c < 2; ++c) {
            const int rings[2] = {marginRing(), creaseRing()};
            for (int r = 0; r < 2; ++r) {
                const V3d& corner = rig_.geometry.points[vertex(corners[c], rings[r])];
                const V3d& above = rig_.geometry.points[vertex(upperColumn(nearest[c]), rings[r])];
                const V3d& below = rig_.geometry.points[vertex(lowerColumn(nearest[c]), rings[r])];
                const V3d smoothed = (above * 5.0 + corner * 6.0 + below * 5.0) / 16.0 - frame_.center;
                const V3d wanted = corner - frame_.center;
                const double scale = smoothed.z / wanted.z;
                eye_.pointsOffset[offsetTable::cornerEntry(n, c, r == 1)] =
                    V3d(wanted.x * scale - smoothed.x, wanted.y * scale - smoothed.y, 0.0);
            }
        }
    }

    // Each loop column's face rings follow its crease, fading towards the
    // border: the group turns and stretches about the crease so that the
    // border vertex (its aim) stays put.
    void groupFaceRings()
    {
        for (int column = 0; column < loopSize_; ++column) {
            eye_.softRegion.push_back(vertex(column, creaseRing()));
            eye_.softRegion.push_back(vertex(column, faceRing(kFaceRings - 1)));
            eye_.softRegion.push_back(kFaceRings - 1);
            for (int ring = 0; ring + 1 < kFaceRings; ++ring) {
                eye_.softRegion.push_back(vertex(column, faceRing(ring)));
            }
        }
    }

    void addFaces()
    {
        for (int column = 0; column < loopSize_; ++column) {
            for (int ring = 0; ring + 1 < ringCount_; ++ring) {
                rig_.faces.push_back({vertex(column, ring), vertex(column + 1, ring), vertex(column + 1, ring + 1),
                                      vertex(column, ring + 1)});
            }
        }
        // The border vertices on the nose side, from the top of the patch down.
        const int border = faceRing(kFaceRings - 1);
        std::vector<int> noseSide;
        for (int column = 0; column < loopSize_; ++column) {
            if (frame_.toLocal(point(column, border)).x < -2.25) {
                noseSide.push_back(column);
            }
        }
        std::sort(noseSide.begin(), noseSide.end(), [&](int a, int b) { return point(a, border).y > point(b, border).y; });
        for (int column : noseSide) {
            eye_.noseSideEdge.push_back(vertex(column, border));
        }
    }

    Rig& rig_;
    const SampleRigOptions& options_;
    EyeFrame frame_;
    int columns_;
    int centerRows_;
    int betweenRows_;
    int ringCount_;
    int loopSize_;
    std::int32_t firstVertex_;
    MFnNurbsSurface surface_;
    std::vector<ColumnDesign> upperDesigns_;
    std::vector<ColumnDesign> lowerDesigns_;
    SampleEye eye_;
};

} // namespace

SampleEye addSampleEye(Rig& rig, EyeSide side, const SampleRigOptions& options)
{
    return EyeBuilder(rig, side, options).build();
}

} // namespace rghost
