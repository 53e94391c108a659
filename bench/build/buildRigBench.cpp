// Building the rig of both eyes from a whole head: finding the openings and
// their loops, fitting the eyeballs, solving closest points and encoding every
// input. Heads of 50,000, 100,000 and 200,000 points show whether the time
// grows with the head's size and nothing faster.
#include <benchmark/benchmark.h>

#include <map>

#include "GeneratedHead.h"
#include "build/RigBuilder.h"

namespace {

const heads::GeneratedHead& headOfSize(std::size_t points)
{
    static std::map<std::size_t, heads::GeneratedHead> made;
    auto found = made.find(points);
    if (found == made.end()) {
        found = made.emplace(points, heads::generateHead(heads::headOfSize(points))).first;
    }
    return found->second;
}

void buildBothEyes(benchmark::State& state)
{
    const heads::GeneratedHead& head = headOfSize(static_cast<std::size_t>(state.range(0)));
    const std::vector<rghost::build::EyeballInput> eyeballs = head.eyeballInputs();
    for (auto _ : state) {
        rghost::build::BuiltRig built = rghost::build::buildRig(head.head, eyeballs);
        benchmark::DoNotOptimize(built);
    }
    const double points = static_cast<double>(head.head.points.size());
    state.counters["points"] = points;
    state.counters["marginVertices"] = static_cast<double>(head.eyes[0].margin.size());
    // Time per point: flat across the sizes when the builder is linear.
    state.counters["perPoint"] =
        benchmark::Counter(points, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(buildBothEyes)->Arg(50000)->Arg(100000)->Arg(200000)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
