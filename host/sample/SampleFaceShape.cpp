#include "sample/SampleFaceShape.h"

#include <algorithm>
#include <cmath>

using namespace rigContract;

namespace rghost {

using Imath::V3d;

namespace {

constexpr double kInnerCornerU = 0.36;
constexpr double kOuterCornerU = 0.645;
constexpr double kCreaseWidening = 0.03; // the crease reaches past the corners

// A smooth rise from 0 at both corners to 1 at `peak` (0 < peak < 1).
double bump(double s, double peak)
{
    const double skew = std::log(0.5) / std::log(peak);
    return std::pow(std::max(0.0, std::sin(kPi * std::pow(s, skew))), 0.8);
}

} // namespace

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

double faceHeight(double x, double y)
{
    const double across = x > 0.0 ? 0.055 * x * x : 0.03 * x * x;
    const double brow = 0.32 * std::exp(-std::pow((y - 1.7) / 0.5, 2.0)) * std::max(0.0, 1.0 - 0.08 * x * x);
    const double cheek = 0.15 * std::exp(-std::pow((y + 1.7) / 0.6, 2.0));
    return kEyeballRadius - 0.18 - across - 0.03 * y * y + brow + cheek;
}

V3d borderPoint(double x, double y)
{
    constexpr double kMiddleY = 0.1;
    constexpr double kHalfWidth = 2.6;
    constexpr double kExponent = 4.0;
    const double angle = std::atan2(y - kMiddleY, x);
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    const double halfHeight = s > 0.0 ? 2.35 : 2.0;
    const double reach =
        std::pow(std::pow(std::abs(c) / kHalfWidth, kExponent) + std::pow(std::abs(s) / halfHeight, kExponent),
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

} // namespace rghost
