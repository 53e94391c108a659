// deform through the dlopen'ed plug-in, called as a host calls it during
// playback: the sample rig's frames in turn, each on fresh rest points. Beside
// each time: how it compares with the touch floor (touchFloor.h), its cost per
// vertex written, and the heap allocations a call makes.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <oneapi/tbb/global_control.h>

#include "core/Plugin.h"
#include "heapAllocationCount.h"
#include "rg/RgData.h"
#include "sample/SampleRig.h"
#include "touchFloor.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsBetween(Clock::time_point start, Clock::time_point end)
{
    return std::chrono::duration<double>(end - start).count();
}

const rghost::Plugin& lidShaperPlugin()
{
    static const rghost::Plugin plugin(rghost::defaultPluginPath());
    return plugin;
}

// Median time of one touch pass over `vertices`, each pass on fresh rest points.
double measureTouchFloorSeconds(const rghost::Rig& rig, const std::vector<std::int32_t>& vertices)
{
    constexpr int kPasses = 201;
    RgDeformData data = rig.geometry;
    std::vector<double> seconds;
    for (int pass = 0; pass < kPasses; ++pass) {
        std::copy(rig.geometry.points.begin(), rig.geometry.points.end(), data.points.begin());
        const Clock::time_point start = Clock::now();
        touchVertices(data, vertices);
        benchmark::ClobberMemory();
        seconds.push_back(secondsBetween(start, Clock::now()));
    }
    std::nth_element(seconds.begin(), seconds.begin() + kPasses / 2, seconds.end());
    return seconds[kPasses / 2];
}

// The sample rig at one size, with what every benchmark of that size shares.
struct SampleRigCase {
    rghost::Rig rig;
    std::vector<std::int32_t> writtenVertices;
    double touchFloorSeconds = 0.0;
};

const SampleRigCase& sampleRigCase(int columns)
{
    static std::map<int, std::unique_ptr<SampleRigCase>> cases;
    std::unique_ptr<SampleRigCase>& entry = cases[columns];
    if (!entry) {
        entry = std::make_unique<SampleRigCase>();
        rghost::SampleRigOptions options;
        options.columns = columns;
        options.centerRows = 3;
        options.betweenRows = 6;
        options.softRegion = true;
        entry->rig = rghost::buildSampleRig(options);
        entry->writtenVertices = verticesDeformWrites(entry->rig);
        entry->touchFloorSeconds = measureTouchFloorSeconds(entry->rig, entry->writtenVertices);
    }
    return *entry;
}

void touchFloor(benchmark::State& state)
{
    const SampleRigCase& rigCase = sampleRigCase(static_cast<int>(state.range(0)));
    RgDeformData data = rigCase.rig.geometry;
    for (auto _ : state) {
        std::copy(rigCase.rig.geometry.points.begin(), rigCase.rig.geometry.points.end(), data.points.begin());
        const Clock::time_point start = Clock::now();
        touchVertices(data, rigCase.writtenVertices);
        benchmark::ClobberMemory();
        state.SetIterationTime(secondsBetween(start, Clock::now()));
    }
    state.counters["vertices"] = static_cast<double>(rigCase.writtenVertices.size());
    state.counters["ns/vertex"] = rigCase.touchFloorSeconds * 1e9 / static_cast<double>(rigCase.writtenVertices.size());
}

enum class DeformMode {
    Cached,   // CACHE_ATTRIBUTES true: the preparation is made once and reused
    Uncached, // CACHE_ATTRIBUTES false: prepared again on every call
    Serial,   // cached, with everything on the calling thread (one thread allowed)
};

// Every frame's attribute map, made before timing starts.
std::vector<AttributeMap> playbackMaps(const rghost::Rig& rig, bool cacheAttributes)
{
    auto cacheSetting = std::make_shared<RgBoolean>();
    cacheSetting->value = cacheAttributes;
    std::vector<AttributeMap> maps;
    for (std::size_t frame = 0; frame < rghost::frameCount(rig); ++frame) {
        maps.push_back(rghost::frameAttributes(rig, frame));
        maps.back()["CACHE_ATTRIBUTES"] = cacheSetting;
    }
    return maps;
}

void deformPlayback(benchmark::State& state, DeformMode mode)
{
    const SampleRigCase& rigCase = sampleRigCase(static_cast<int>(state.range(0)));
    const rghost::Rig& rig = rigCase.rig;
    std::vector<AttributeMap> maps = playbackMaps(rig, mode != DeformMode::Uncached);
    std::optional<tbb::global_control> oneThread;
    if (mode == DeformMode::Serial)
        oneThread.emplace(tbb::global_control::max_allowed_parallelism, 1);

    const rghost::NodePointer node = lidShaperPlugin().createNode(rig.nodeName);
    RgDeformData data = rig.geometry;
    const auto resetPoints = [&] {
        std::copy(rig.geometry.points.begin(), rig.geometry.points.end(), data.points.begin());
    };

    // One pass over the animation first: the cache is built and every buffer
    // the node keeps has grown to what playback needs.
    for (AttributeMap& attributes : maps) {
        resetPoints();
        if (node->deform(attributes, data) != RgStatus::Success) {
            state.SkipWithError("deform failed on the sample rig");
            return;
        }
    }

    std::size_t frame = 0;
    double deformSeconds = 0.0;
    std::uint64_t allocations = 0;
    for (auto _ : state) {
        resetPoints();
        AttributeMap& attributes = maps[frame];
        frame = (frame + 1) % maps.size();
        const std::uint64_t allocationsBefore = heapAllocationCount();
        const Clock::time_point start = Clock::now();
        const RgStatus status = node->deform(attributes, data);
        const Clock::time_point end = Clock::now();
        allocations += heapAllocationCount() - allocationsBefore;
        if (status != RgStatus::Success) {
            state.SkipWithError("deform failed on the sample rig");
            break;
        }
        state.SetIterationTime(secondsBetween(start, end));
        deformSeconds += secondsBetween(start, end);
    }

    const auto calls = static_cast<double>(std::max<benchmark::IterationCount>(state.iterations(), 1));
    const double secondsPerCall = deformSeconds / calls;
    state.counters["deform/floor"] = secondsPerCall / rigCase.touchFloorSeconds;
    state.counters["ns/vertex"] = secondsPerCall * 1e9 / static_cast<double>(rigCase.writtenVertices.size());
    state.counters["allocs/call"] = static_cast<double>(allocations) / calls;
}

bool registerDeformBenchmarks()
{
    const std::vector<std::int64_t> columnsPerLid{24, 96, 384};
    const auto registerPerSize = [&](benchmark::internal::Benchmark* benchmark) {
        for (const std::int64_t columns : columnsPerLid)
            benchmark->Arg(columns);
        benchmark->ArgName("N")->UseManualTime()->Unit(benchmark::kMicrosecond);
    };
    registerPerSize(benchmark::RegisterBenchmark("TouchFloor", touchFloor));
    registerPerSize(benchmark::RegisterBenchmark("Deform/cached", deformPlayback, DeformMode::Cached));
    registerPerSize(benchmark::RegisterBenchmark("Deform/uncached", deformPlayback, DeformMode::Uncached));
    registerPerSize(benchmark::RegisterBenchmark("Deform/serial", deformPlayback, DeformMode::Serial));
    return true;
}

[[maybe_unused]] const bool deformBenchmarksRegistered = registerDeformBenchmarks();

} // namespace
