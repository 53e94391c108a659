#pragma once

// A small two-eye rig whose results can be worked out by hand: unit NURBS
// spheres, three columns per lid, one center row and two between rows, corners
// with their carried vertices and a soft-region group per eye. At neutral
// controls every inner and outer vertex sits on its sphere direction.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <maya/MFnNurbsSurface.h>
#include <mayastandin/StandIn.h>

#include "SurfaceFixtures.h"
#include "lidShaper/rigContract.h"
#include "rg/AttributeMap.h"
#include "rg/RgDeformData.h"
#include "rg/RgValueFactory.h"

namespace smallrig {

using namespace rigContract;

using Imath::V3d;

constexpr int kColumns = 3;
constexpr int kCenterRows = 1;
constexpr int kBetweenRows = 2;

// A flat profile (y = 0 everywhere) unless `height` says otherwise.
inline NurbsCurveData profileCurve(double height)
{
    NurbsCurveData curve;
    curve.cvs = {V3d(0, height, 0), V3d(1, height, 0)};
    curve.knots = {0, 0, 1, 1};
    curve.degree = 1;
    return curve;
}

struct Eye {
    EyeSide side = EyeSide::Left;
    V3d center;
    MObject sphere;
    std::vector<std::int32_t> upperInner, upperOuter, upperCenter, upperBetween;
    std::vector<std::int32_t> lowerInner, lowerOuter, lowerCenter, lowerBetween;
    std::vector<std::int32_t> corners;
    std::vector<V3d> upperInnerUV, upperOuterUV, lowerInnerUV, lowerOuterUV;
    V3d upperMove{0.0, -0.15, 0.01};
    V3d lowerMove{0.0, 0.12, 0.0};
    std::vector<std::int32_t> softRegionMembers;

    V3d spherePoint(const V3d& uv) const
    {
        MPoint p;
        MFnNurbsSurface(sphere).getPointAtParam(uv.x, uv.y, p, MSpace::kWorld);
        return V3d(p.x, p.y, p.z);
    }
};

struct Rig {
    AttributeMap attributes;
    RgDeformData data;
    Eye left;
    Eye right;

    Rig()
    {
        left = buildEye(EyeSide::Left, V3d(-3.0, 0.0, 0.0));
        right = buildEye(EyeSide::Right, V3d(3.0, 0.0, 0.0));
        attributes[kDebugModeKey] = makeRgValue<RgInt>(0);
        attributes[kCacheAttributesKey] = makeRgValue<RgBoolean>(true);
        attributes[kEnvelopeKey] = makeRgValue<RgFloat>(1.0f);
        attributes[kSoaEnabledKey] = makeRgValue<RgBoolean>(false);
        std::vector<std::int32_t> softRegion;
        for (const Eye* eye : {&left, &right}) {
            softRegion.insert(softRegion.end(), {eye->upperInner[1], eye->upperOuter[1], -1,
                                                 static_cast<std::int32_t>(eye->softRegionMembers.size())});
            softRegion.insert(softRegion.end(), eye->softRegionMembers.begin(), eye->softRegionMembers.end());
        }
        attributes[kSoftRegionKey] = makeRgList<RgInt>(softRegion);
        data.weights.assign(data.points.size(), 1.0f);
    }

    void set(const Eye& eye, const std::string& field, std::shared_ptr<RgData> value)
    {
        attributes[eyeAttributeKey(eye.side, field)] = std::move(value);
    }

private:
    std::int32_t addPoint(const V3d& p)
    {
        data.points.push_back(p);
        return static_cast<std::int32_t>(data.points.size() - 1);
    }

    // Fills one lid's lists: inner and outer vertices on their sphere
    // directions, the center row inside the socket, the between rows over the lid.
    void buildLid(Eye& eye, double innerV, double outerV, bool upper)
    {
        std::vector<V3d>& innerUV = upper ? eye.upperInnerUV : eye.lowerInnerUV;
        std::vector<V3d>& outerUV = upper ? eye.upperOuterUV : eye.lowerOuterUV;
        for (int i = 0; i < kColumns + 2; ++i)
            innerUV.emplace_back(-0.4 + 0.2 * i, innerV, 0.0);
        for (int i = 0; i < kColumns; ++i)
            outerUV.emplace_back(-0.2 + 0.2 * i, outerV, 0.0);
        for (int i = 0; i < kColumns; ++i) {
            const V3d innerDirection = (eye.spherePoint(innerUV[i + 1]) - eye.center).normalized();
            const V3d outerDirection = (eye.spherePoint(outerUV[i]) - eye.center).normalized();
            (upper ? eye.upperInner : eye.lowerInner).push_back(addPoint(eye.center + innerDirection * 1.02));
            (upper ? eye.upperOuter : eye.lowerOuter).push_back(addPoint(eye.center + outerDirection * 1.1));
            (upper ? eye.upperCenter : eye.lowerCenter).push_back(addPoint(eye.center + innerDirection * 0.9));
            for (int k = 0; k < kBetweenRows; ++k) {
                const double along = (k + 1.0) / (kBetweenRows + 1.0);
                const V3d direction = (innerDirection * (1.0 - along) + outerDirection * along).normalized();
                (upper ? eye.upperBetween : eye.lowerBetween)
                    .push_back(addPoint(eye.center + direction * (1.04 + 0.02 * k)));
            }
        }
    }

    Eye buildEye(EyeSide side, const V3d& center)
    {
        Eye eye;
        eye.side = side;
        eye.center = center;
        auto description = sphereDescription(1.0);
        description.worldMatrix.setTranslation(center);
        eye.sphere = mayastandin::makeNurbsSurface(description);
        buildLid(eye, 1.2, 1.4, true);
        buildLid(eye, 0.8, 0.6, false);

        // Corners: two pairs, then from entry 4 the carried lists (around the
        // center, then along the span, per corner), the neighbours at a third
        // and two thirds of the list.
        const auto cornerPoint = [&](double x, double z) { return addPoint(center + V3d(x, 0.0, z)); };
        std::vector<std::int32_t> q(30, 0);
        q[0] = cornerPoint(1.05, 0.3);
        q[1] = cornerPoint(1.05, -0.3);
        q[2] = cornerPoint(0.95, 0.45);
        q[3] = cornerPoint(0.95, -0.45);
        for (int run = 4; run < 4 + 2 * kCenterRows + 2 * kBetweenRows; ++run)
            q[run] = cornerPoint(1.15, 0.05 * run);
        for (int n = 0; n < 4; ++n) {
            q[10 + n] = cornerPoint(1.1, 0.2 + 0.1 * n);
            q[20 + n] = cornerPoint(1.1, -0.2 - 0.1 * n);
        }
        for (int filler : {14, 15, 16, 17, 18, 19, 24, 25, 26, 27, 28, 29})
            q[filler] = q[0];
        eye.corners = q;
        for (int member = 0; member < 3; ++member)
            eye.softRegionMembers.push_back(addPoint(center + V3d(1.3, 0.1 * member, 0.5)));

        set(eye, "nurbsSphere", makeRgValue<RgNurbsSurface>(eye.sphere));
        set(eye, "upperLidMinorCurve", makeRgValue<RgNurbsCurve>(profileCurve(0.0)));
        set(eye, "lowerLidMinorCurve", makeRgValue<RgNurbsCurve>(profileCurve(0.0)));
        set(eye, "centerEye", makeRgValue<RgVector>(center));
        set(eye, "closeEye", makeRgValue<RgDouble>(0.0));
        set(eye, "closeLine", makeRgValue<RgDouble>(0.0));
        set(eye, "smoothOuter", makeRgValue<RgInt>(2));
        set(eye, "eyeCompute", makeRgValue<RgBoolean>(true));
        set(eye, "upperLidControl", makeRgValue<RgDouble>(0.0));
        set(eye, "upperLidOuterControl", makeRgValue<RgDouble>(1.0));
        set(eye, "upperOpenEyeValue", makeRgValue<RgDouble>(25.0));
        set(eye, "lowerLidControl", makeRgValue<RgDouble>(0.0));
        set(eye, "lowerLidOuterControl", makeRgValue<RgDouble>(1.0));
        set(eye, "lowerOpenEyeValue", makeRgValue<RgDouble>(-25.0));
        set(eye, "upperLidInnerIdxs", makeRgList<RgInt>(eye.upperInner));
        set(eye, "upperLidOuterIdxs", makeRgList<RgInt>(eye.upperOuter));
        set(eye, "upperLidCenterIdxs", makeRgList<RgInt>(eye.upperCenter));
        set(eye, "upperLidBetweenIdxs", makeRgList<RgInt>(eye.upperBetween));
        set(eye, "lowerLidInnerIdxs", makeRgList<RgInt>(eye.lowerInner));
        set(eye, "lowerLidOuterIdxs", makeRgList<RgInt>(eye.lowerOuter));
        set(eye, "lowerLidCenterIdxs", makeRgList<RgInt>(eye.lowerCenter));
        set(eye, "lowerLidBetweenIdxs", makeRgList<RgInt>(eye.lowerBetween));
        set(eye, "upperLidInnerUV", makeRgList<RgVector>(eye.upperInnerUV));
        set(eye, "upperLidOuterUV", makeRgList<RgVector>(eye.upperOuterUV));
        set(eye, "lowerLidInnerUV", makeRgList<RgVector>(eye.lowerInnerUV));
        set(eye, "lowerLidOuterUV", makeRgList<RgVector>(eye.lowerOuterUV));
        set(eye, "upperLidMoveVector", makeRgList<RgVector>(std::vector<V3d>(kColumns, eye.upperMove)));
        set(eye, "lowerLidMoveVector", makeRgList<RgVector>(std::vector<V3d>(kColumns, eye.lowerMove)));
        set(eye, "upperLidOutLoopOffset", makeRgList<RgDouble>({}));
        set(eye, "lowerLidOutLoopOffset", makeRgList<RgDouble>({}));
        set(eye, "cornersIdxs", makeRgList<RgInt>(eye.corners));
        set(eye, "upperMountSize", makeRgValue<RgDouble>(0.5));
        set(eye, "lowerMountSize", makeRgValue<RgDouble>(0.5));
        set(eye, "pointsOffset", makeRgList<RgVector>({}));
        return eye;
    }
};

} // namespace smallrig
