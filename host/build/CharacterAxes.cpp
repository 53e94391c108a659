#include "build/CharacterAxes.h"

#include <cmath>

namespace rghost::build {

using Imath::V3d;

namespace {

// Both openings together arching by more than this share of their widths
// tell up from down; the sample face's arch by about 6 %.
constexpr double kClearArch = 0.01;

} // namespace

CharacterAxes characterAxes(const BuildOptions& options, const V3d (&openingFronts)[2], const V3d (&openingArches)[2],
                            const V3d& across)
{
    const auto square = [&](V3d v) { return (v - across * v.dot(across)).normalized(); };
    CharacterAxes axes;
    V3d front = openingFronts[0] + openingFronts[1];
    front -= across * front.dot(across);
    // Openings more than 45 degrees round towards the line between the eyes.
    const bool eyesOnTheSides =
        std::abs(openingFronts[0].dot(across)) + std::abs(openingFronts[1].dot(across)) > 2.0 * std::sqrt(0.5);
    if (options.up) {
        axes.up = square(*options.up);
    } else if (!eyesOnTheSides || options.front) {
        const V3d f = options.front ? square(*options.front) : front.normalized();
        const V3d up = f.cross(across).normalized();
        const double arched = (openingArches[0] + openingArches[1]).dot(up);
        int axis = 0;
        for (int i = 1; i < 3; ++i) {
            if (std::abs(up[i]) > std::abs(up[axis])) {
                axis = i;
            }
        }
        const bool downwards = std::abs(arched) > kClearArch ? arched < 0.0 : up[axis] < 0.0;
        axes.up = downwards ? -up : up;
    } else {
        axes.up = square(std::abs(across.y) < 0.5 ? V3d(0.0, 1.0, 0.0) : V3d(0.0, 0.0, 1.0));
    }
    if (options.front) {
        front = *options.front;
    }
    axes.front = across.cross(axes.up).normalized();
    if (axes.front.dot(front) < 0.0) {
        axes.front = -axes.front;
    }
    return axes;
}

bool firstIsLeft(const CharacterAxes& axes, const V3d& firstCenter, const V3d& secondCenter, bool swapSides)
{
    const V3d left = axes.up.cross(axes.front);
    return (firstCenter.dot(left) > secondCenter.dot(left)) != swapSides;
}

} // namespace rghost::build
