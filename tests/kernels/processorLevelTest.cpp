#include <gtest/gtest.h>

#include <cstdint>

#include "curvePointKernel.h"
#include "processorLevel.h"

namespace {

using namespace processorFeature;

constexpr std::uint32_t kAllLeaf1Ecx = kSse41 | kOsxsave | kAvx | kF16c | kRdrand;

TEST(ProcessorLevel, FromRegisters) {
    struct Case {
        const char* name;
        ProcessorFeatureRegisters registers;
        std::int32_t level;
    };
    const Case cases[] = {
        {"AVX-512 with DQ, CD, BW, VL", {kAllLeaf1Ecx, kSse2, kAvx2 | kAvx512f | kAvx512DqCdBwVl, kXcr0XmmYmmOpmaskZmm}, 5},
        {"AVX-512 with PF, ER, CD", {kAllLeaf1Ecx, kSse2, kAvx2 | kAvx512f | kAvx512PfErCd, kXcr0XmmYmmOpmaskZmm}, 4},
        {"AVX-512 foundation only", {kAllLeaf1Ecx, kSse2, kAvx2 | kAvx512f, kXcr0XmmYmmOpmaskZmm}, 3},
        {"AVX-512 without ZMM state saved", {kAllLeaf1Ecx, kSse2, kAvx2 | kAvx512f | kAvx512DqCdBwVl, kXcr0XmmYmm}, 3},
        {"AVX2", {kAllLeaf1Ecx, kSse2, kAvx2, kXcr0XmmYmm}, 3},
        {"AVX2 without F16C and RDRAND", {kSse41 | kOsxsave | kAvx, kSse2, kAvx2, kXcr0XmmYmm}, 2},
        {"AVX without AVX2", {kAllLeaf1Ecx, kSse2, 0, kXcr0XmmYmm}, 2},
        {"AVX without YMM state saved", {kAllLeaf1Ecx, kSse2, kAvx2, 0x2u}, 1},
        {"no OSXSAVE, everything else set", {kAllLeaf1Ecx & ~kOsxsave, kSse2, ~0u, ~0u}, 1},
        {"no OSXSAVE and no SSE4.1", {kAllLeaf1Ecx & ~(kOsxsave | kSse41), kSse2, ~0u, ~0u}, 0},
        {"SSE4.1 without AVX", {kSse41, kSse2, 0, 0}, 1},
        {"SSE2 only", {0, kSse2, 0, 0}, 0},
        {"nothing", {0, 0, 0, 0}, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(processorLevelFromRegisters(c.registers), c.level) << c.name;
    }
}

TEST(ProcessorLevel, PicksBuildForLevel) {
    struct Case {
        std::int32_t level;
        CurvePointKernelFunction build;
    };
#if defined(LIDSHAPER_X86_KERNELS)
    const Case cases[] = {{5, curvePointKernelAvx},   {4, curvePointKernelAvx},   {3, curvePointKernelAvx},
                          {2, curvePointKernelAvx},   {1, curvePointKernelSse41}, {0, curvePointKernelSse2},
                          {-1, nullptr}};
#else
    const Case cases[] = {{0, curvePointKernelPortable}, {-1, nullptr}};
#endif
    for (const Case& c : cases) {
        EXPECT_EQ(curvePointKernelForLevel(c.level), c.build) << "level " << c.level;
    }
}

#if defined(LIDSHAPER_X86_KERNELS)
// The compiler's own feature probe is an independent reading of the same processor.
TEST(ProcessorLevel, AgreesWithCompilerFeatureProbe) {
    const std::int32_t level = processorLevel();
    EXPECT_EQ(level, detectProcessorLevel());
    EXPECT_EQ(level >= 0, __builtin_cpu_supports("sse2") != 0);
    EXPECT_EQ(level >= 1, __builtin_cpu_supports("sse4.1") || __builtin_cpu_supports("avx"));
    EXPECT_EQ(level >= 2, __builtin_cpu_supports("avx") != 0);
    if (level >= 3) {
        EXPECT_TRUE(__builtin_cpu_supports("avx2"));
    }
    if (level >= 4) {
        EXPECT_TRUE(__builtin_cpu_supports("avx512f"));
    }
}
#endif

}  // namespace
