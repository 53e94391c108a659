// One instruction-set build of the curve point kernel. CMake compiles this file
// once per build, each time with its own target flags and function name.
#include "curvePointKernel.h"
#include "curvePointKernelDetail.h"

#if !defined(CURVE_POINT_KERNEL_NAME)
#error "CURVE_POINT_KERNEL_NAME must name the build being compiled"
#endif

void CURVE_POINT_KERNEL_NAME(const double* cvs, const float* knots, std::int32_t degree, std::int32_t knotCount,
                             float u, double* result)
{
    // Lid profiles are cubic as a rule, and sometimes quadratic.
    switch (degree) {
    case 3: evaluateCurvePoint<3>(cvs, knots, degree, knotCount, u, result); break;
    case 2: evaluateCurvePoint<2>(cvs, knots, degree, knotCount, u, result); break;
    default: evaluateCurvePoint<kAnyDegree>(cvs, knots, degree, knotCount, u, result); break;
    }
}
