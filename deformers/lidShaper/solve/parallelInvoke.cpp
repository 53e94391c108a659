#include "solve/parallelInvoke.h"

#include <oneapi/tbb/blocked_range.h>
#include <oneapi/tbb/global_control.h>
#include <oneapi/tbb/parallel_for.h>
#include <oneapi/tbb/parallel_invoke.h>
#include <oneapi/tbb/task_arena.h>
#include <oneapi/tbb/task_group.h>

// The task library is not built with ThreadSanitizer, so the sanitizer cannot
// see that a job starts after the caller prepared it, nor that the caller goes
// on only after the job finished. ThreadSanitizer builds compile this file
// without instrumentation (see CMakeLists.txt) and state those two hand-overs
// here; in other builds the marks are empty.
#if defined(LIDSHAPER_THREAD_SANITIZER)
#include <sanitizer/tsan_interface.h>
static void handOver(const void* job)
{
    __tsan_release(const_cast<void*>(job));
}
static void takeOver(const void* job)
{
    __tsan_acquire(const_cast<void*>(job));
}
#else
static void handOver(const void*) {}
static void takeOver(const void*) {}
#endif

void runInParallel(const std::function<void()>& first, const std::function<void()>& second)
{
    handOver(&first);
    handOver(&second);
    const auto run = [](const std::function<void()>& job) {
        takeOver(&job);
        job();
        handOver(&job);
    };
    tbb::task_group_context context;
    tbb::parallel_invoke([&] { run(first); }, [&] { run(second); }, context);
    takeOver(&first);
    takeOver(&second);
}

void forRangesInParallel(std::size_t count, std::size_t grain, const std::function<void(std::size_t, std::size_t)>& job)
{
    if (count < 2 * grain) {
        job(0, count);
        return;
    }
    handOver(&job);
    tbb::task_group_context context;
    tbb::parallel_for(
        tbb::blocked_range<std::size_t>(0, count, grain),
        [&job](const tbb::blocked_range<std::size_t>& range) {
            takeOver(&job);
            job(range.begin(), range.end());
            handOver(&job);
        },
        tbb::simple_partitioner(), context);
    takeOver(&job);
}

void wakeParallelWorker()
{
    // An empty task: a worker that wakes for it then looks for more work for a
    // while before it sleeps again. An enqueued task gets a worker even where the
    // host allows no parallelism, so then none is asked for.
    if (tbb::this_task_arena::max_concurrency() > 1 &&
        tbb::global_control::active_value(tbb::global_control::max_allowed_parallelism) > 1)
        tbb::this_task_arena::enqueue([] {});
}
