#include "processorLevel.h"

#include <atomic>

#if defined(LIDSHAPER_X86_KERNELS)
#include <cpuid.h>
#endif

namespace {

using namespace processorFeature;

bool hasAll(std::uint32_t reg, std::uint32_t bits)
{
    return (reg & bits) == bits;
}

std::atomic<std::int32_t> cachedProcessorLevel{kProcessorNone};

#if defined(LIDSHAPER_X86_KERNELS)
// Raw instruction rather than _xgetbv, which would need -mxsave on this file.
std::uint32_t readXcr0Eax()
{
    std::uint32_t eax = 0;
    std::uint32_t edx = 0;
    __asm__ volatile("xgetbv" : "=a"(eax), "=d"(edx) : "c"(0));
    return eax;
}
#endif

} // namespace

ProcessorLevel processorLevelFromRegisters(const ProcessorFeatureRegisters& registers)
{
    // Without OSXSAVE the OS may not save wide registers, whatever else is set.
    if (hasAll(registers.leaf1Ecx, kOsxsave)) {
        const bool avx512 =
            hasAll(registers.leaf7Ebx, kAvx512f | kAvx2) && hasAll(registers.xcr0Eax, kXcr0XmmYmmOpmaskZmm);
        if (avx512 && hasAll(registers.leaf7Ebx, kAvx512DqCdBwVl)) {
            return kProcessorAvx512DqBwVl;
        }
        if (avx512 && hasAll(registers.leaf7Ebx, kAvx512PfErCd)) {
            return kProcessorAvx512PfErCd;
        }
        const bool avx = hasAll(registers.leaf1Ecx, kAvx) && hasAll(registers.xcr0Eax, kXcr0XmmYmm);
        if (avx && hasAll(registers.leaf7Ebx, kAvx2) && hasAll(registers.leaf1Ecx, kF16c | kRdrand)) {
            return kProcessorAvx2;
        }
        if (avx) {
            return kProcessorAvx;
        }
    }
    if (hasAll(registers.leaf1Ecx, kSse41)) {
        return kProcessorSse41;
    }
    if (hasAll(registers.leaf1Edx, kSse2)) {
        return kProcessorSse2;
    }
    return kProcessorNone;
}

ProcessorFeatureRegisters readProcessorFeatureRegisters()
{
    ProcessorFeatureRegisters registers;
#if defined(LIDSHAPER_X86_KERNELS)
    unsigned eax = 0;
    unsigned ebx = 0;
    unsigned ecx = 0;
    unsigned edx = 0;
    if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) == 0) {
        return registers;
    }
    registers.leaf1Ecx = ecx;
    registers.leaf1Edx = edx;
    if (__get_cpuid_max(0, nullptr) >= 7 && __get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx) != 0) {
        registers.leaf7Ebx = ebx;
    }
    if (hasAll(registers.leaf1Ecx, kOsxsave)) {
        registers.xcr0Eax = readXcr0Eax();
    }
#endif
    return registers;
}

ProcessorLevel detectProcessorLevel()
{
#if defined(LIDSHAPER_X86_KERNELS)
    return processorLevelFromRegisters(readProcessorFeatureRegisters());
#else
    // No x86 features to read; the portable build runs anywhere.
    return kProcessorSse2;
#endif
}

ProcessorLevel processorLevel()
{
    // Racing first calls each detect and store the same value, so relaxed is enough.
    auto level = static_cast<ProcessorLevel>(cachedProcessorLevel.load(std::memory_order_relaxed));
    if (level == kProcessorNone) {
        level = detectProcessorLevel();
        cachedProcessorLevel.store(level, std::memory_order_relaxed);
    }
    return level;
}
