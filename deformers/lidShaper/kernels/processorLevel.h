#pragma once

#include <cstdint>

// Instruction-set level of a processor, a 32-bit signed number: each level has
// the instructions of the levels below it. Levels above kProcessorAvx select the
// same kernel build as it.
enum ProcessorLevel : std::int32_t {
    kProcessorNone = -1, // none of these (and, for the process-wide level, not yet detected)
    kProcessorSse2 = 0,
    kProcessorSse41 = 1,
    kProcessorAvx = 2,
    kProcessorAvx2 = 3,         // with F16C and RDRAND
    kProcessorAvx512PfErCd = 4, // AVX-512 with PF, ER and CD
    kProcessorAvx512DqBwVl = 5, // AVX-512 with DQ, CD, BW and VL
};

// The feature bits the level is read from.
namespace processorFeature {
// CPUID leaf 1, ECX.
constexpr std::uint32_t kSse41 = 1u << 19;
constexpr std::uint32_t kOsxsave = 1u << 27;
constexpr std::uint32_t kAvx = 1u << 28;
constexpr std::uint32_t kF16c = 1u << 29;
constexpr std::uint32_t kRdrand = 1u << 30;

// CPUID leaf 1, EDX.
constexpr std::uint32_t kSse2 = 1u << 26;

// CPUID leaf 7 subleaf 0, EBX.
constexpr std::uint32_t kAvx2 = 1u << 5;
constexpr std::uint32_t kAvx512f = 1u << 16;
constexpr std::uint32_t kAvx512DqCdBwVl = 0xD0020000u;
constexpr std::uint32_t kAvx512PfErCd = 0x1C000000u;

// XCR0: register state the operating system saves on a context switch.
constexpr std::uint32_t kXcr0XmmYmm = 0x6u;
constexpr std::uint32_t kXcr0XmmYmmOpmaskZmm = 0xE6u;
} // namespace processorFeature

// The registers the level is read from. xcr0Eax is only meaningful when leaf 1
// ECX has OSXSAVE (bit 27); the reading side leaves it 0 otherwise.
struct ProcessorFeatureRegisters {
    std::uint32_t leaf1Ecx = 0;
    std::uint32_t leaf1Edx = 0;
    std::uint32_t leaf7Ebx = 0;
    std::uint32_t xcr0Eax = 0;
};

// The level those registers describe.
ProcessorLevel processorLevelFromRegisters(const ProcessorFeatureRegisters& registers);

// Reads CPUID leaves 1 and 7 (and XGETBV when the OS saves extended state).
ProcessorFeatureRegisters readProcessorFeatureRegisters();

// The level of the processor this runs on.
ProcessorLevel detectProcessorLevel();

// The process-wide level: kProcessorNone until first needed, then detected once and kept.
ProcessorLevel processorLevel();
