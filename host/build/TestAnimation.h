#pragma once

#include <Imath/ImathVec.h>

#include "build/EyeInputs.h"
#include "core/Rig.h"

namespace rghost::build {

// Control value of a fully open lid: the upper lid opens at +this value, the
// lower lid at -this value; 0 puts both on the line where they close.
constexpr double kOpenControl = 10.0;

// The rest pose: both lids open as modelled.
EyeControls openControls();

// Where both eyes look, as turns of the eyeballs in degrees about their
// centres: up (negative: down) and to the character's left (negative: right).
struct Look {
    double up = 0.0;
    double left = 0.0;
};

// One eye's part in the animation: its eyeball surface and its centre, and
// the character's directions the look turns about.
struct AnimatedEye {
    rigContract::EyeSide side = rigContract::EyeSide::Left;
    MObject eyeball;
    Imath::V3d center{0.0};
};

// How far the test animation turns the eyes, in degrees: 10, or less where
// the faces beside an eye would turn over. Turning an eyeball carries its
// lids and creases along. The node draws a corner after the average of
// itself and its neighbours, so it lags behind them by 3/8 of their travel:
// the lag stays under a quarter of `cornerGap`, the corner's distance to its
// lid neighbours. The creases stay within 40 % of `creaseRoom`, their
// distance to the loops that do not follow them.
double lookDegrees(double cornerGap, double creaseRoom, double radius);

// The default test animation of `frameCount` frames: open, blink, half-blink,
// squint, look up, down, left and right by `look` degrees, open again, eased
// between key poses. Each frame overrides the controls and, while the eyes
// look away, the eyeball surfaces (turned copies recorded in `rig`).
void addTestAnimation(Rig& rig, const std::vector<AnimatedEye>& eyes, const Imath::V3d& characterUp,
                      const Imath::V3d& characterFront, int frameCount, double look);

} // namespace rghost::build
