#include "sample/SampleRigEye.h"

#include <algorithm>
#include <cmath>

#include <maya/MFnNurbsSurface.h>
#include <maya/MPoint.h>

#include "sample/SampleEyeInputs.h"
#include "sample/SampleEyeMesh.h"
#include "sample/SampleEyeball.h"
#include "sample/SampleFaceShape.h"

using namespace rigContract;

namespace rghost {

namespace {

using Imath::V3d;

// One column of the loop of vertices around the eye, in the open pose.
struct ColumnDesign {
    V3d margin; // on the eyeball, where the lid ends
    V3d crease;
    double skinBulge = 0.0; // how far the lid skin rises over its straight span
};

// Places the rest points of one eye's patch of skin, sets the weights that
// lift the lid skin, and hands the result to the node-input encoding.
class EyeBuilder {
public:
    EyeBuilder(Rig& rig, EyeSide side, const SampleRigOptions& options)
        : rig_(rig), options_(options), frame_(eyeFrame(side)),
          mesh_(options.columns, options.centerRows, options.betweenRows,
                static_cast<std::int32_t>(rig.geometry.points.size()))
    {
        eye_.center = frame_.center;
        eye_.eyeball = addSurface(rig_, eyeballDescription(frame_.center, frame_.side));
        surface_ = MFnNurbsSurface(eye_.eyeball);
    }

    SampleEye build()
    {
        rig_.geometry.points.resize(mesh_.endVertex());
        rig_.geometry.weights.resize(rig_.geometry.points.size(), 1.0f);
        encodeLidShapes(eye_, mesh_.columns());
        designLids();
        placeColumn(mesh_.innerCornerColumn(), cornerDesign(0.0, -1.0), false);
        placeColumn(mesh_.outerCornerColumn(), cornerDesign(1.0, 1.0), false);
        for (int i = 0; i < mesh_.columns(); ++i) {
            placeColumn(mesh_.upperColumn(i), upperDesigns_[i], true);
            placeColumn(mesh_.lowerColumn(i), lowerDesigns_[i], true);
        }
        encodeEyeLists(eye_, mesh_, rig_.geometry.points, options_.softRegion);
        mesh_.appendFaces(rig_.faces);
        listNoseSideEdge();
        return eye_;
    }

private:
    V3d& point(int column, int ring) { return rig_.geometry.points[mesh_.vertex(column, ring)]; }

    V3d onEyeball(double u, double v, double radius) const
    {
        MPoint p;
        surface_.getPointAtParam(u, v, p, MSpace::kWorld);
        return frame_.center + (V3d(p.x, p.y, p.z) - frame_.center).normalized() * radius;
    }

    // The open margin and crease of every lid column.
    void designLids()
    {
        const int n = mesh_.columns();
        for (int i = 0; i < n; ++i) {
            const double s = static_cast<double>(i + 1) / (n + 1);
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
        point(column, mesh_.marginRing()) = design.margin;
        point(column, mesh_.creaseRing()) = design.crease;

        // The socket rows go straight down from the margin towards the eye center.
        const V3d towardsMargin = (design.margin - frame_.center).normalized();
        for (int row = 0; row < mesh_.centerRows(); ++row) {
            const double radius = kMarginRadius - (row + 1) * (kMarginRadius - kSocketRadius) / mesh_.centerRows();
            point(column, mesh_.socketRing(row)) = frame_.center + towardsMargin * radius;
        }

        placeSkin(column, design, isLidColumn);
        placeFaceRings(column, design.crease);
    }

    // The lid skin: the first row is the lid's front lip, close to the margin;
    // the others lie over the straight span from margin to crease, pushed out
    // from the eye center to a radius that grows towards the crease with a bulge.
    void placeSkin(int column, const ColumnDesign& design, bool liftedByWeight)
    {
        if (mesh_.betweenRows() == 0) {
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
        point(column, mesh_.skinRing(0)) = skinPoint(kLipFraction);
        for (int row = 1; row < mesh_.betweenRows(); ++row) {
            point(column, mesh_.skinRing(row)) =
                skinPoint(kLipFraction + (1.0 - kLipFraction) * row / mesh_.betweenRows());
        }
        if (!liftedByWeight) {
            return;
        }

        // An open lid lays its skin rows on the span at their share of the
        // skin's length, lifted by mount size times weight: the weight is
        // whatever lift brings each row back to its place.
        std::vector<double> travelled(mesh_.betweenRows());
        V3d previous = design.margin;
        double length = 0.0;
        for (int row = 0; row < mesh_.betweenRows(); ++row) {
            length += (point(column, mesh_.skinRing(row)) - previous).length();
            travelled[row] = length;
            previous = point(column, mesh_.skinRing(row));
        }
        length += (design.crease - previous).length();
        for (int row = 1; row < mesh_.betweenRows(); ++row) {
            const V3d& rest = point(column, mesh_.skinRing(row));
            const double lift =
                (rest - frame_.center).length() - (spanPoint(travelled[row] / length) - frame_.center).length();
            rig_.geometry.weights[mesh_.vertex(column, mesh_.skinRing(row))] =
                static_cast<float>(lift / (kSampleMountSize * 0.01));
        }
    }

    // The face rings spread from the crease out to the border of the eye's
    // patch, settling onto the face's height.
    void placeFaceRings(int column, const V3d& crease)
    {
        const V3d creaseLocal = frame_.toLocal(crease);
        const V3d border = borderPoint(creaseLocal.x, creaseLocal.y);
        for (int ring = 0; ring < EyeMesh::kFaceRings; ++ring) {
            const double f = std::pow(static_cast<double>(ring + 1) / EyeMesh::kFaceRings, 1.2);
            const double x = creaseLocal.x + (border.x - creaseLocal.x) * f;
            const double y = creaseLocal.y + (border.y - creaseLocal.y) * f;
            const double settle = (creaseLocal.z - faceHeight(creaseLocal.x, creaseLocal.y)) * (1.0 - f) * (1.0 - f);
            point(column, mesh_.faceRing(ring)) = frame_.toWorld(V3d(x, y, faceHeight(x, y) + settle));
        }
    }

    // The border vertices on the nose side, from the top of the patch down.
    void listNoseSideEdge()
    {
        const int border = mesh_.faceRing(EyeMesh::kFaceRings - 1);
        std::vector<int> noseSide;
        for (int column = 0; column < mesh_.loopSize(); ++column) {
            if (frame_.toLocal(point(column, border)).x < -2.25) {
                noseSide.push_back(column);
            }
        }
        std::sort(noseSide.begin(), noseSide.end(),
                  [&](int a, int b) { return point(a, border).y > point(b, border).y; });
        for (int column : noseSide) {
            eye_.noseSideEdge.push_back(mesh_.vertex(column, border));
        }
    }

    Rig& rig_;
    const SampleRigOptions& options_;
    EyeFrame frame_;
    EyeMesh mesh_;
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
