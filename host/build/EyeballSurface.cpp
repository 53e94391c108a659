#include "build/EyeballSurface.h"

#include <algorithm>
#include <cmath>

#include <maya/MPoint.h>

namespace rghost::build {

using Imath::V3d;

namespace {

constexpr double kPi = 3.14159265358979323846;

} // namespace

mayastandin::NurbsSurfaceDescription eyeballSurface(const V3d& center, double radius, const EyeAxes& axes)
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
    // Local x looks backwards and local y towards the nose, so u = 0.5 (local
    // -x) looks forward and u grows towards the temple; the poles (local z)
    // lie on the eye's up axis.
    const V3d x = V3d(0.0) - axes.front * radius; // no negative zeros in the matrix
    const V3d y = V3d(0.0) - axes.temple * radius;
    const V3d z = axes.up * radius;
    sphere.worldMatrix =
        Imath::M44d(x.x, x.y, x.z, 0, y.x, y.y, y.z, 0, z.x, z.y, z.z, 0, center.x, center.y, center.z, 1);
    return sphere;
}

V3d surfacePoint(const MFnNurbsSurface& surface, double u, double v)
{
    MPoint p;
    surface.getPointAtParam(u, v, p, MSpace::kWorld);
    return V3d(p.x, p.y, p.z);
}

V3d closestParameters(const MFnNurbsSurface& surface, const V3d& center, const EyeAxes& axes, const V3d& point)
{
    const V3d d = (point - center).normalized();
    const double angle = std::atan2(-d.dot(axes.temple), -d.dot(axes.front));
    double u = angle / (2.0 * kPi);
    u -= std::floor(u);
    double v = std::asin(std::clamp(d.dot(axes.up), -1.0, 1.0)) / kPi + 0.5;
    const double h = 1e-6;
    for (int iteration = 0; iteration < 20; ++iteration) {
        const V3d residual = surfacePoint(surface, u, v) - point;
        const double uh = std::min(u + h, 1.0) - std::max(u - h, 0.0);
        const double vh = std::min(v + h, 1.0) - std::max(v - h, 0.0);
        const V3d du =
            (surfacePoint(surface, std::min(u + h, 1.0), v) - surfacePoint(surface, std::max(u - h, 0.0), v)) / uh;
        const V3d dv =
            (surfacePoint(surface, u, std::min(v + h, 1.0)) - surfacePoint(surface, u, std::max(v - h, 0.0))) / vh;
        const double a = du.dot(du);
        const double b = du.dot(dv);
        const double c = dv.dot(dv);
        const double det = a * c - b * b;
        if (!(det > 0.0)) {
            break;
        }
        const double gu = du.dot(residual);
        const double gv = dv.dot(residual);
        const double stepU = -(c * gu - b * gv) / det;
        const double stepV = -(a * gv - b * gu) / det;
        u = std::clamp(u + stepU, 0.0, 1.0);
        v = std::clamp(v + stepV, 0.0, 1.0);
        if (std::abs(stepU) + std::abs(stepV) < 1e-14) {
            break;
        }
    }
    return V3d(u, v, 0.0);
}

} // namespace rghost::build
