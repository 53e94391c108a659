#pragma once

#include <functional>

// Runs `first` and `second` at the same time on the task library's workers and
// returns when both have returned.
void runInParallel(const std::function<void()>& first, const std::function<void()>& second);
