// Cost of one curve point, per build this processor runs and through the
// dispatcher, on a cubic with 8 control points at a moving parameter.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "curvePointKernel.h"
#include "minorCurve.h"
#include "processorLevel.h"

namespace {

NurbsCurveData cubicWithEightControlPoints()
{
    NurbsCurveData curve;
    curve.degree = 3;
    curve.knots = {0, 0, 0, 0, 0.2f, 0.4f, 0.6f, 0.8f, 1, 1, 1, 1};
    curve.cvs = {{0, 0, 0}, {1, 2, 0}, {2, 3, 1}, {3, 2, 1}, {4, 0, 2}, {5, -1, 2}, {6, 0, 3}, {7, 1, 3}};
    return curve;
}

// 1024 parameters across the whole curve, so every span and its branches are hit.
float parameterForStep(std::uint32_t step)
{
    return static_cast<float>(step % 1024u) / 1023.0f;
}

void curvePointThroughBuild(benchmark::State& state, CurvePointKernelFunction build)
{
    const NurbsCurveData curve = cubicWithEightControlPoints();
    const auto knotCount = static_cast<std::int32_t>(curve.knots.size());
    double point[3];
    std::uint32_t step = 0;
    for (auto _ : state) {
        build(&curve.cvs[0].x, curve.knots.data(), curve.degree, knotCount, parameterForStep(step++), point);
        benchmark::DoNotOptimize(point);
    }
}

void curvePointThroughDispatcher(benchmark::State& state)
{
    const NurbsCurveData curve = cubicWithEightControlPoints();
    std::uint32_t step = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(evaluateMinorCurve(curve, parameterForStep(step++)));
    }
}

bool registerCurvePointBenchmarks()
{
    struct Build {
        const char* name;
        ProcessorLevel lowestLevel;
    };
#if defined(LIDSHAPER_X86_KERNELS)
    const Build builds[] = {{"sse2", kProcessorSse2}, {"sse4.1", kProcessorSse41}, {"avx", kProcessorAvx}};
#else
    const Build builds[] = {{"portable", kProcessorSse2}};
#endif
    for (const Build& build : builds) {
        if (processorLevel() >= build.lowestLevel) {
            benchmark::RegisterBenchmark((std::string("CurvePoint/") + build.name).c_str(), curvePointThroughBuild,
                                         curvePointKernelForLevel(build.lowestLevel));
        }
    }
    benchmark::RegisterBenchmark("CurvePoint/dispatched", curvePointThroughDispatcher);
    return true;
}

[[maybe_unused]] const bool curvePointBenchmarksRegistered = registerCurvePointBenchmarks();

} // namespace
