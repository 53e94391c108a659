// deform through the dlopen'ed plug-in, called as a host calls it during
// playback: the sample rig's frames in turn, each on fresh rest points. Beside
// each time: its cost per vertex written and the heap allocations a call
// makes. The ratios between modes, and against the touch floor
// (touchFloor.h), come from benchmarks that alternate the two compared cases
// call by call, so that both see the same load on a shared machine.
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

// The sample rig at one size, with what every benchmark of that size shares.
struct SampleRigCase {
    rghost::Rig rig;
    std::vector<std::int32_t> writtenVertices;
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
    }
    return *entry;
}

enum class Measured {
    TouchFloor, // one pass of the floor's work over the vertices deform writes
    Cached,     // CACHE_ATTRIBUTES true: the preparation is made once and reused
    Uncached,   // CACHE_ATTRIBUTES false: prepared again on every call
    Serial,     // cached, with everything on the calling thread (one thread allowed)
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

// One measured case on its own points (and node), timed one call at a time.
class TimedCase {
public:
    TimedCase(const SampleRigCase& rigCase, Measured measured)
        : rigCase_(rigCase), measured_(measured), data_(rigCase.rig.geometry)
    {
        if (measured_ == Measured::TouchFloor) {
            return;
        }
        maps_ = playbackMaps(rigCase_.rig, measured_ != Measured::Uncached);
        node_ = lidShaperPlugin().createNode(rigCase_.rig.nodeName);
        // One pass over the animation first: the cache is built and every
        // buffer the node keeps has grown to what playback needs.
        for (std::size_t frame = 0; frame < maps_.size() && healthy_; ++frame) {
            call(frame);
        }
    }

    // False when a deform call failed; the benchmark then stops with an error.
    bool healthy() const { return healthy_; }

    std::size_t frameCount() const { return std::max<std::size_t>(maps_.size(), 1); }

    // Seconds of one call on `frame`, from fresh rest points.
    double call(std::size_t frame)
    {
        std::copy(rigCase_.rig.geometry.points.begin(), rigCase_.rig.geometry.points.end(), data_.points.begin());
        if (measured_ == Measured::TouchFloor) {
            const Clock::time_point start = Clock::now();
            touchVertices(data_, rigCase_.writtenVertices);
            benchmark::ClobberMemory();
            return secondsBetween(start, Clock::now());
        }
        std::optional<tbb::global_control> oneThread;
        if (measured_ == Measured::Serial) {
            oneThread.emplace(tbb::global_control::max_allowed_parallelism, 1);
        }
        const std::uint64_t allocationsBefore = heapAllocationCount();
        const Clock::time_point start = Clock::now();
        const RgStatus status = node_->deform(maps_[frame], data_);
        const Clock::time_point end = Clock::now();
        allocations_ += heapAllocationCount() - allocationsBefore;
        healthy_ = healthy_ && status == RgStatus::Success;
        return secondsBetween(start, end);
    }

    std::uint64_t allocations() const { return allocations_; }

private:
    const SampleRigCase& rigCase_;
    Measured measured_;
    RgDeformData data_;
    std::vector<AttributeMap> maps_;
    rghost::NodePointer node_;
    std::uint64_t allocations_ = 0;
    bool healthy_ = true;
};

void timeOneCase(benchmark::State& state, Measured measured)
{
    const SampleRigCase& rigCase = sampleRigCase(static_cast<int>(state.range(0)));
    TimedCase timed(rigCase, measured);
    const std::uint64_t warmUpAllocations = timed.allocations();
    std::size_t frame = 0;
    double seconds = 0.0;
    for (auto _ : state) {
        const double callSeconds = timed.call(frame);
        frame = (frame + 1) % timed.frameCount();
        if (!timed.healthy()) {
            break;
        }
        state.SetIterationTime(callSeconds);
        seconds += callSeconds;
    }
    if (!timed.healthy()) {
        state.SkipWithError("deform failed on the sample rig");
        return;
    }
    const auto calls = static_cast<double>(std::max<benchmark::IterationCount>(state.iterations(), 1));
    state.counters["vertices"] = static_cast<double>(rigCase.writtenVertices.size());
    state.counters["ns/vertex"] = seconds / calls * 1e9 / static_cast<double>(rigCase.writtenVertices.size());
    if (measured != Measured::TouchFloor) {
        state.counters["allocs/call"] = static_cast<double>(timed.allocations() - warmUpAllocations) / calls;
    }
}

double median(std::vector<double> values)
{
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

// `numerator` and `denominator` called in turn on the same frame, which of
// them goes first swapping every pair (and every frame taking both orders
// over successive passes), so that neither always finds the caches and
// threads the other left; reported as the median of the per-pair ratios. The
// time column is the numerator's.
void timeRatio(benchmark::State& state, Measured numerator, Measured denominator)
{
    const SampleRigCase& rigCase = sampleRigCase(static_cast<int>(state.range(0)));
    TimedCase top(rigCase, numerator);
    TimedCase bottom(rigCase, denominator);
    const std::size_t frames = std::max(top.frameCount(), bottom.frameCount());
    std::vector<double> ratios;
    std::size_t pair = 0;
    for (auto _ : state) {
        const std::size_t frame = pair % frames;
        double topSeconds = 0.0;
        double bottomSeconds = 0.0;
        if ((pair + pair / frames) % 2 == 0) {
            topSeconds = top.call(frame % top.frameCount());
            bottomSeconds = bottom.call(frame % bottom.frameCount());
        } else {
            bottomSeconds = bottom.call(frame % bottom.frameCount());
            topSeconds = top.call(frame % top.frameCount());
        }
        ++pair;
        if (!top.healthy() || !bottom.healthy()) {
            break;
        }
        state.SetIterationTime(topSeconds);
        ratios.push_back(topSeconds / bottomSeconds);
    }
    if (!top.healthy() || !bottom.healthy() || ratios.empty()) {
        state.SkipWithError("deform failed on the sample rig");
        return;
    }
    state.counters["ratio"] = median(std::move(ratios));
}

bool registerDeformBenchmarks()
{
    const std::vector<std::int64_t> columnsPerLid{24, 96, 384};
    const auto registerPerSize = [&](benchmark::internal::Benchmark* benchmark) {
        for (const std::int64_t columns : columnsPerLid)
            benchmark->Arg(columns);
        benchmark->ArgName("N")->UseManualTime()->Unit(benchmark::kMicrosecond);
    };
    registerPerSize(benchmark::RegisterBenchmark("TouchFloor", timeOneCase, Measured::TouchFloor));
    registerPerSize(benchmark::RegisterBenchmark("Deform/cached", timeOneCase, Measured::Cached));
    registerPerSize(benchmark::RegisterBenchmark("Deform/uncached", timeOneCase, Measured::Uncached));
    registerPerSize(benchmark::RegisterBenchmark("Deform/serial", timeOneCase, Measured::Serial));
    registerPerSize(
        benchmark::RegisterBenchmark("Ratio/cached:floor", timeRatio, Measured::Cached, Measured::TouchFloor));
    registerPerSize(
        benchmark::RegisterBenchmark("Ratio/uncached:cached", timeRatio, Measured::Uncached, Measured::Cached));
    registerPerSize(
        benchmark::RegisterBenchmark("Ratio/serial:parallel", timeRatio, Measured::Serial, Measured::Cached));
    return true;
}

[[maybe_unused]] const bool deformBenchmarksRegistered = registerDeformBenchmarks();

} // namespace
