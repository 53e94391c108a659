#pragma once

#include <Imath/ImathVec.h>

#include "lidShaper/rigContract.h"
#include "rg/NurbsCurveData.h"

namespace rghost {

// The shape of the sample rig's face around one eye, in numbers and curves:
// the eyeball's size and place, the lines the lids and creases follow, and the
// height of the skin around them.

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

// Height of the lids' minor curves, in v: the upper margin arches up, the
// lower one down, by as much in the middle of the eye.
constexpr double kProfileHeight = 0.036;
// How far the crease follows its lid opening, in v, for a fully open lid.
constexpr double kUpperCreaseFollow = 0.012;
constexpr double kLowerCreaseFollow = 0.008;

// The lids are drawn in the eyeball's surface parameters: u runs from the
// inner (nose) corner towards the temple, v upwards, (0.5, 0.5) looks straight
// ahead. s is the position along the eye, 0 at the inner corner, 1 at the outer.

// Where the lids meet when the eye closes: slightly tilted up towards the temple.
double closedLineV(double s);
double marginU(double s);
double creaseU(double s); // the crease reaches past the corners

// The open eye: upper margin highest towards the nose, lower margin lowest towards the temple.
double upperMarginV(double s);
double lowerMarginV(double s);
double upperCreaseV(double s);
double lowerCreaseV(double s);

// The minor curve's height at arc position t: a quadratic arch, 0 at the
// corners and `height` / 2 in the middle; and the curve itself.
double profileAt(double t, double height);
NurbsCurveData minorCurve(double height);

// The eye's own frame: X towards the temple, Y up, Z forward.
struct EyeFrame {
    Imath::V3d center;
    double side; // +1 left eye (+x), -1 right eye

    Imath::V3d toWorld(const Imath::V3d& local) const { return center + Imath::V3d(side * local.x, local.y, local.z); }
    Imath::V3d toLocal(const Imath::V3d& world) const
    {
        const Imath::V3d d = world - center;
        return Imath::V3d(side * d.x, d.y, d.z);
    }
};

EyeFrame eyeFrame(rigContract::EyeSide side);

// Height of the face around the eye (Z in the eye's frame): a brow ridge
// above, a cheek below, falling away towards the temple and the nose.
double faceHeight(double x, double y);

// The border of the eye's patch of face: a rounded rectangle around the eye,
// reaching higher (to the brow) than low (to the cheek).
Imath::V3d borderPoint(double x, double y);

} // namespace rghost
