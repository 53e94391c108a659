#pragma once

#include <cstdint>

#include "processorLevel.h"

// The point of a non-rational B-spline curve at one parameter, in a fixed mix of
// single and double precision (knots, parameter and basis values in single
// precision, the point sum in double), so every build gives the same bits.
// minorCurve.h applies it to a lid's minor curve.

// Highest degree the kernel's fixed stack arrays hold.
constexpr std::int32_t kMaxCurveKernelDegree = 15;

// Dispatching entry point: picks the build for this processor on first use.
// `cvs` holds three doubles per control point; `result` receives x, y, z.
void curvePointKernel(const double* cvs, const float* knots, std::int32_t degree, std::int32_t knotCount, float u,
                      double* result);

// Signature shared by the builds.
using CurvePointKernelFunction = void (*)(const double*, const float*, std::int32_t, std::int32_t, float, double*);

// The build that runs on a processor of `level`, or nullptr for
// kProcessorNone, on which none of them runs.
CurvePointKernelFunction curvePointKernelForLevel(ProcessorLevel level);

// The builds, one per instruction set; each is the same source compiled with
// different target flags.
#if defined(LIDSHAPER_X86_KERNELS)
void curvePointKernelSse2(const double*, const float*, std::int32_t, std::int32_t, float, double*);
void curvePointKernelSse41(const double*, const float*, std::int32_t, std::int32_t, float, double*);
void curvePointKernelAvx(const double*, const float*, std::int32_t, std::int32_t, float, double*);
#else
void curvePointKernelPortable(const double*, const float*, std::int32_t, std::int32_t, float, double*);
#endif
