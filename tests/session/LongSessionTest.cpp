// One node through a long session, as a host plays a long animation: 100,000
// deform calls on the small two-eye rig with the lid controls changing on every
// call and the cache switched on or off every 1,000 calls. The heap must not
// grow, and the first frame's controls must give the first frame's points again,
// bit for bit, whether the cache is on or off.

#include <malloc.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>

#include <gtest/gtest.h>

#include "SmallEyeRigRuns.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define LIDSHAPER_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define LIDSHAPER_SANITIZED 1
#endif
#endif

namespace {

using Imath::V3d;

#ifdef LIDSHAPER_SANITIZED
// Sanitized builds run ten times slower and their allocator does not report
// through mallinfo2; a shorter session still checks the results.
constexpr int kCalls = 10'000;
constexpr bool kHeapMeasurable = false;
#else
constexpr int kCalls = 100'000;
constexpr bool kHeapMeasurable = true;
#endif
constexpr int kCallsPerCacheSetting = 1'000;
constexpr double kHeapTolerance = 0.01;

// The values a host animates, owned here and changed in place between calls
// as a host updates its attribute values.
struct AnimatedControls {
    std::shared_ptr<RgDouble> upper[2];
    std::shared_ptr<RgDouble> lower[2];
    std::shared_ptr<RgDouble> close[2];
    std::shared_ptr<RgBoolean> cache = std::make_shared<RgBoolean>();

    explicit AnimatedControls(smallrig::Rig& rig)
    {
        const smallrig::Eye* eyes[] = {&rig.left, &rig.right};
        for (int e = 0; e < 2; ++e) {
            rig.set(*eyes[e], "upperLidControl", upper[e] = std::make_shared<RgDouble>());
            rig.set(*eyes[e], "lowerLidControl", lower[e] = std::make_shared<RgDouble>());
            rig.set(*eyes[e], "closeEye", close[e] = std::make_shared<RgDouble>());
        }
        rig.attributes["CACHE_ATTRIBUTES"] = cache;
    }

    // Smooth, never-repeating curves within the controls' working range; the
    // eyes move out of step.
    void setFrame(int frame)
    {
        for (int e = 0; e < 2; ++e) {
            const double t = frame * 0.001 + e;
            upper[e]->value = 30.0 * std::sin(7.0 * t);
            lower[e]->value = -30.0 * std::cos(5.0 * t);
            close[e]->value = 0.5 + 0.5 * std::sin(3.0 * t);
        }
    }
};

std::size_t heapInUse()
{
    return mallinfo2().uordblks;
}

std::string peakResidentSize()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0)
            return line.substr(6);
    return "unknown";
}

bool sameBits(const std::vector<V3d>& a, const std::vector<V3d>& b)
{
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(V3d)) == 0;
}

class LongSession : public testing::Test {
protected:
    // Each call starts from the rest points, as each frame of a host does.
    RgStatus deformFrame(int frame, bool cacheOn)
    {
        controls.setFrame(frame);
        controls.cache->value = cacheOn;
        std::copy(rig.data.points.begin(), rig.data.points.end(), data.points.begin());
        return node->deform(rig.attributes, data);
    }

    smallrig::Rig rig;
    AnimatedControls controls{rig};
    RgDeformData data = rig.data;
    std::unique_ptr<RgNode> node = pluginharness::plugin().createNode("sessionRig1");
};

TEST_F(LongSession, HeapStaysFlatAndTheFirstFrameComesBackBitForBit)
{
    mayastandin::ErrorCapture capture;
    ASSERT_EQ(deformFrame(0, true), RgStatus::Success);
    const std::vector<V3d> firstFramePoints = data.points;
    ASSERT_FALSE(sameBits(firstFramePoints, rig.data.points)) << "the first frame must move the lids";

    int failedCalls = 0;
    std::size_t heapAfterWarmUp = 0;
    for (int frame = 1; frame < kCalls; ++frame) {
        const bool cacheOn = (frame / kCallsPerCacheSetting) % 2 == 0;
        failedCalls += deformFrame(frame, cacheOn) != RgStatus::Success;
        if (frame == kCallsPerCacheSetting)
            heapAfterWarmUp = heapInUse();
    }
    const std::size_t heapAtEnd = heapInUse();
    EXPECT_EQ(failedCalls, 0);
    EXPECT_TRUE(capture.lines().empty()) << capture.lines().front();

    for (const bool cacheOn : {true, false}) {
        ASSERT_EQ(deformFrame(0, cacheOn), RgStatus::Success);
        EXPECT_TRUE(sameBits(data.points, firstFramePoints)) << "first frame again, cache " << (cacheOn ? "on" : "off");
    }

    RecordProperty("heapAfterWarmUp", std::to_string(heapAfterWarmUp));
    RecordProperty("heapAtEnd", std::to_string(heapAtEnd));
    RecordProperty("peakResidentSize", peakResidentSize());
    std::cout << kCalls << " calls; heap in use after " << kCallsPerCacheSetting << ": " << heapAfterWarmUp
              << " bytes, at the end: " << heapAtEnd << " bytes; peak resident size:" << peakResidentSize() << "\n";
    if (!kHeapMeasurable)
        GTEST_SKIP() << "heap not measurable in a sanitized build; LeakSanitizer covers leaks there";
    EXPECT_LE(std::abs(static_cast<double>(heapAtEnd) - static_cast<double>(heapAfterWarmUp)),
              kHeapTolerance * static_cast<double>(heapAfterWarmUp));
}

} // namespace
