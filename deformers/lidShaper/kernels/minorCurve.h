#pragma once

#include <Imath/ImathVec.h>

#include "rg/NurbsCurveData.h"

// A lid's minor curve evaluated by the curve point kernel (curvePointKernel.h).

// The point of `curve` at u. The curve must be one the kernel can read safely
// (see curveFitsKernel).
Imath::V3d evaluateMinorCurve(const NurbsCurveData& curve, float u);

// Whether evaluating `curve` at any parameter stays inside its lists: a degree
// the stack arrays hold, enough knots for every span the search can pick, and a
// control point for every basis value of those spans. Degree 0 (each parameter
// picks one control point) is held to the same bounds.
bool curveFitsKernel(const NurbsCurveData& curve);
