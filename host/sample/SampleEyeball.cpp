#include "sample/SampleEyeball.h"

#include <cmath>

#include "sample/SampleFaceShape.h"

namespace rghost {

mayastandin::NurbsSurfaceDescription eyeballDescription(const Imath::V3d& center, double side)
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

} // namespace rghost
