#pragma once

// Surfaces whose shape is known in closed form, shared by the surface tests.

#include <cmath>
#include <utility>
#include <vector>

#include <mayastandin/StandIn.h>

// A description whose CV counts follow from the knot vector lengths.
inline mayastandin::NurbsSurfaceDescription describeSurface(int degreeU, int degreeV, std::vector<double> knotsU,
                                                            std::vector<double> knotsV, std::vector<Imath::V4d> cvs)
{
    mayastandin::NurbsSurfaceDescription description;
    description.degreeU = degreeU;
    description.degreeV = degreeV;
    description.cvCountU = static_cast<int>(knotsU.size()) - degreeU - 1;
    description.cvCountV = static_cast<int>(knotsV.size()) - degreeV - 1;
    description.knotsU = std::move(knotsU);
    description.knotsV = std::move(knotsV);
    description.cvs = std::move(cvs);
    return description;
}

// A sphere about the origin: u runs once round a rational nine-point circle on
// [0, 4] (closed, marked periodic), v from pole to pole on a rational semicircle
// on [0, 2] (open).
inline mayastandin::NurbsSurfaceDescription sphereDescription(double radius)
{
    const double diagonal = std::sqrt(0.5);
    const double circleX[] = {1, 1, 0, -1, -1, -1, 0, 1, 1};
    const double circleY[] = {0, 1, 1, 1, 0, -1, -1, -1, 0};
    const double circleW[] = {1, diagonal, 1, diagonal, 1, diagonal, 1, diagonal, 1};
    const double arcRadius[] = {0, 1, 1, 1, 0};
    const double arcZ[] = {-1, -1, 0, 1, 1};
    const double arcW[] = {1, diagonal, 1, diagonal, 1};
    std::vector<Imath::V4d> cvs;
    for (int iu = 0; iu < 9; ++iu)
        for (int iv = 0; iv < 5; ++iv)
            cvs.emplace_back(radius * circleX[iu] * arcRadius[iv], radius * circleY[iu] * arcRadius[iv],
                             radius * arcZ[iv], circleW[iu] * arcW[iv]);
    auto description =
        describeSurface(2, 2, {0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 4}, {0, 0, 0, 1, 1, 2, 2, 2}, std::move(cvs));
    description.periodicU = true;
    return description;
}

// A rational bicubic tube, periodic in u on [0, 4] (its first three CV rows
// repeated at the end over a uniform unclamped knot vector) and open in v on [0, 1].
inline mayastandin::NurbsSurfaceDescription periodicCubicDescription()
{
    const double ringX[] = {1.0, 0.0, -1.5, 0.2};
    const double ringY[] = {0.0, 1.2, 0.1, -1.0};
    const double ringW[] = {1.0, 0.5, 2.0, 1.5};
    std::vector<Imath::V4d> cvs;
    for (int iu = 0; iu < 7; ++iu)
        for (int iv = 0; iv < 4; ++iv) {
            const int ring = iu % 4;
            const double flare = 1.0 + 0.3 * iv;
            cvs.emplace_back(ringX[ring] * flare, ringY[ring] * flare, 0.7 * iv, ringW[ring] * (1.0 + 0.25 * iv));
        }
    auto description =
        describeSurface(3, 3, {-3, -2, -1, 0, 1, 2, 3, 4, 5, 6, 7}, {0, 0, 0, 0, 1, 1, 1, 1}, std::move(cvs));
    description.periodicU = true;
    return description;
}
