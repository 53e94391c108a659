#pragma once

#include <cstddef>
#include <functional>

// Runs `first` and `second` at the same time on the task library's workers and
// returns when both have returned.
void runInParallel(const std::function<void()>& first, const std::function<void()>& second);

// Calls job(begin, end) for ranges that together cover [0, count) once each,
// on the calling thread and the task library's workers at the same time, and
// returns when all have returned. A range is split only while its halves stay
// at least `grain` long, so short work stays in one call on the calling thread.
// Where the host's task arena or parallelism limit allows one thread, every
// range runs on the calling thread.
void forRangesInParallel(std::size_t count, std::size_t grain,
                         const std::function<void(std::size_t, std::size_t)>& job);

// Asks the task library to wake a worker now, so that one is ready by the time
// work is handed to runInParallel. A sleeping worker takes tens of microseconds
// to wake; the caller can spend them on work of its own.
void wakeParallelWorker();
