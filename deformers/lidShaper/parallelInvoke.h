#pragma once

#include <functional>

// Runs `first` and `second` at the same time on the task library's workers and
// returns when both have returned.
void runInParallel(const std::function<void()>& first, const std::function<void()>& second);

// Asks the task library to wake a worker now, so that one is ready by the time
// work is handed to runInParallel. A sleeping worker takes tens of microseconds
// to wake; the caller can spend them on work of its own.
void wakeParallelWorker();
