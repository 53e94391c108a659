// One instruction-set build of the curve point kernel. CMake compiles this file
// once per build, each time with its own target flags and function name.
#include "curvePointKernel.h"
#include "curvePointKernelDetail.h"

#if !defined(CURVE_POINT_KERNEL_NAME)
#error "CURVE_POINT_KERNEL_NAME must name the build being compiled"
#endif

void CURVE_POINT_KERNEL_NAME(const double* cvs, const float* knots, std::int32_t degree, std::int32_t knotCount,
                             float u, double* result) {
    const std::uint32_t span = findKnotSpan(knots, degree, knotCount, u);
    float basis[kMaxCurveKernelDegree + 1];
    basisFunctions(span, u, degree, knots, basis);
    sumControlPoints(cvs, span, degree, basis, result);
}
