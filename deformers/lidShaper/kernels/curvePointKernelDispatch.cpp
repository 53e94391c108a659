#include <cstdlib>

#include "curvePointKernel.h"
#include "processorLevel.h"

CurvePointKernelFunction curvePointKernelForLevel(ProcessorLevel level)
{
#if defined(LIDSHAPER_X86_KERNELS)
    if (level >= kProcessorAvx) {
        return curvePointKernelAvx;
    }
    if (level == kProcessorSse41) {
        return curvePointKernelSse41;
    }
    if (level == kProcessorSse2) {
        return curvePointKernelSse2;
    }
    return nullptr;
#else
    return level >= kProcessorSse2 ? curvePointKernelPortable : nullptr;
#endif
}

void curvePointKernel(const double* cvs, const float* knots, std::int32_t degree, std::int32_t knotCount, float u,
                      double* result)
{
    const CurvePointKernelFunction build = curvePointKernelForLevel(processorLevel());
    if (build == nullptr) {
        // Below SSE2 nothing built here can run; carrying on would fault later.
        std::abort();
    }
    build(cvs, knots, degree, knotCount, u, result);
}
