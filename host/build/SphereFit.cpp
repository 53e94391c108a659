#include "build/SphereFit.h"

#include <cmath>

#include <Imath/ImathMatrix.h>

#include "build/RigBuilder.h"

namespace rghost::build {

using Imath::V3d;

Sphere fitSphere(const std::vector<V3d>& points, const std::string& what)
{
    if (points.size() < 4) {
        throw BuildError(what + " has fewer than four points to fit a sphere to");
    }
    // Work about the points' mean so the normal equations stay well scaled
    // at any size of the model.
    V3d mean(0.0);
    for (const V3d& p : points) {
        mean += p;
    }
    mean /= static_cast<double>(points.size());
    double scale = 0.0;
    for (const V3d& p : points) {
        scale = std::max(scale, (p - mean).length());
    }
    if (scale <= 0.0) {
        throw BuildError(what + " has all its points in one place");
    }
    // |p|² = 2 c·p + k, with k = r² − |c|²: least squares over (c, k).
    Imath::M44d normal(0.0);
    double rhs[4] = {0.0, 0.0, 0.0, 0.0};
    for (const V3d& point : points) {
        const V3d p = (point - mean) / scale;
        const double row[4] = {2.0 * p.x, 2.0 * p.y, 2.0 * p.z, 1.0};
        for (int i = 0; i < 4; ++i) {
            for (int j = 0; j < 4; ++j) {
                normal[i][j] += row[i] * row[j];
            }
            rhs[i] += row[i] * p.length2();
        }
    }
    const double determinant = normal.determinant();
    if (!(std::abs(determinant) > 1e-12 * std::pow(static_cast<double>(points.size()), 4))) {
        throw BuildError(what + " is flat: its points do not span a sphere");
    }
    const Imath::M44d inverse = normal.inverse(false);
    double solution[4] = {0.0, 0.0, 0.0, 0.0};
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            solution[i] += inverse[i][j] * rhs[j];
        }
    }
    const V3d center(solution[0], solution[1], solution[2]);
    const double radius2 = solution[3] + center.length2();
    if (!(radius2 > 0.0)) {
        throw BuildError(what + " does not fit a sphere");
    }
    Sphere sphere;
    sphere.center = mean + center * scale;
    sphere.radius = std::sqrt(radius2) * scale;
    double squares = 0.0;
    for (const V3d& p : points) {
        const double d = (p - sphere.center).length() - sphere.radius;
        squares += d * d;
    }
    sphere.residual = std::sqrt(squares / static_cast<double>(points.size())) / sphere.radius;
    return sphere;
}

} // namespace rghost::build
