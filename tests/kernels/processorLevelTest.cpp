#include <gtest/gtest.h>

#include <cstdint>

#include "curvePointKernel.h"
#include "processorLevel.h"

namespace {

using namespace processorFeature;

constexpr std::uint32_t kAllLeaf1Ecx = kSse41 | kOsxsave | kAvx | kF16c | kRdrand;

TEST(ProcessorLevel, FromRegisters)
{
    struct Case {
        const char* name;
        ProcessorFeatureRegisters registers;
        ProcessorLevel level;
    };
    const Case cases[] = {
        {"AVX-512 with DQ, CD, BW, VL",
         {kAllLeaf1Ecx, kSse2, kAvx2 | kAvx512f | kAvx512DqCdBwVl, kXcr0XmmYmmOpmaskZmm},
         kProcessorAvx512DqBwVl},
        {"AVX-512 with PF, ER, CD",
         {kAllLeaf1Ecx, kSse2, kAvx2 | kAvx512f | kAvx512PfErCd, kXcr0XmmYmmOpmaskZmm},
         kProcessorAvx512PfErCd},
        {"AVX-512 foundation only", {kAllLeaf1Ecx, kSse2, kAvx2 | kAvx512f, kXcr0XmmYmmOpmaskZmm}, kProcessorAvx2},
        {"AVX-512 without ZMM state saved",
         {kAllLeaf1Ecx, kSse2, kAvx2 | kAvx512f | kAvx512DqCdBwVl, kXcr0XmmYmm},
         kProcessorAvx2},
        {"AVX2", {kAllLeaf1Ecx, kSse2, kAvx2, kXcr0XmmYmm}, kProcessorAvx2},
        {"AVX2 without F16C and RDRAND", {kSse41 | kOsxsave | kAvx, kSse2, kAvx2, kXcr0XmmYmm}, kProcessorAvx},
        {"AVX without AVX2", {kAllLeaf1Ecx, kSse2, 0, kXcr0XmmYmm}, kProcessorAvx},
        {"AVX without YMM state saved", {kAllLeaf1Ecx, kSse2, kAvx2, 0x2u}, kProcessorSse41},
        {"no OSXSAVE, everything else set", {kAllLeaf1Ecx & ~kOsxsave, kSse2, ~0u, ~0u}, kProcessorSse41},
        {"no OSXSAVE and no SSE4.1", {kAllLeaf1Ecx & ~(kOsxsave | kSse41), kSse2, ~0u, ~0u}, kProcessorSse2},
        {"SSE4.1 without AVX", {kSse41, kSse2, 0, 0}, kProcessorSse41},
        {"SSE2 only", {0, kSse2, 0, 0}, kProcessorSse2},
        {"nothing", {0, 0, 0, 0}, kProcessorNone},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(processorLevelFromRegisters(c.registers), c.level) << c.name;
    }
}

TEST(ProcessorLevel, PicksBuildForLevel)
{
    struct Case {
        ProcessorLevel level;
        CurvePointKernelFunction build;
    };
#if defined(LIDSHAPER_X86_KERNELS)
    const Case cases[] = {{kProcessorAvx512DqBwVl, curvePointKernelAvx},
                          {kProcessorAvx512PfErCd, curvePointKernelAvx},
                          {kProcessorAvx2, curvePointKernelAvx},
                          {kProcessorAvx, curvePointKernelAvx},
                          {kProcessorSse41, curvePointKernelSse41},
                          {kProcessorSse2, curvePointKernelSse2},
                          {kProcessorNone, nullptr}};
#else
    const Case cases[] = {{kProcessorSse2, curvePointKernelPortable}, {kProcessorNone, nullptr}};
#endif
    for (const Case& c : cases) {
        EXPECT_EQ(curvePointKernelForLevel(c.level), c.build) << "level " << c.level;
    }
}

#if defined(LIDSHAPER_X86_KERNELS)
// The compiler's own feature probe is an independent reading of the same processor.
TEST(ProcessorLevel, AgreesWithCompilerFeatureProbe)
{
    const ProcessorLevel level = processorLevel();
    EXPECT_EQ(level, detectProcessorLevel());
    EXPECT_EQ(level >= kProcessorSse2, __builtin_cpu_supports("sse2") != 0);
    EXPECT_EQ(level >= kProcessorSse41, __builtin_cpu_supports("sse4.1") || __builtin_cpu_supports("avx"));
    EXPECT_EQ(level >= kProcessorAvx, __builtin_cpu_supports("avx") != 0);
    if (level >= kProcessorAvx2) {
        EXPECT_TRUE(__builtin_cpu_supports("avx2"));
    }
    if (level >= kProcessorAvx512PfErCd) {
        EXPECT_TRUE(__builtin_cpu_supports("avx512f"));
    }
}
#endif

} // namespace
