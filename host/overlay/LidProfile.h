#pragma once

#include <optional>
#include <utility>
#include <vector>

#include <Imath/ImathVec.h>

#include "rg/NurbsCurveData.h"

namespace rghost {

// The y of a B-spline curve at `u` (clamped to the curve's knot range), or
// nothing when its knots do not fit its CVs and degree.
std::optional<double> curveHeight(const NurbsCurveData& curve, double u);

// The two lids' minor curves as closing the eye blends them: `closeEye` 0
// leaves them, 1 brings both onto their meeting curve, which `closeLine` puts
// on the upper curve at 1, the lower at -1, halfway at 0. Curves with
// different CV counts are left as they are.
std::pair<NurbsCurveData, NurbsCurveData> closeBlendedCurves(const NurbsCurveData& upper, const NurbsCurveData& lower,
                                                             double closeEye, double closeLine);

// Each column's position along a lid's closing line, 0 to 1 over the upper
// lid's line (both lids measure against it, as the node does): the running
// length of `innerUV` up to entry i + 1 over the upper line's whole length.
std::vector<double> arcPositions(const std::vector<Imath::V3d>& innerUV, const std::vector<Imath::V3d>& upperInnerUV,
                                 std::size_t columns);

} // namespace rghost
