#pragma once

#include <cstdint>

// The benchmark binary replaces the global operator new, which the dlopen'ed
// plug-in binds to as well, so a benchmark can count what a call allocates.

// Number of operator new calls in the whole process so far, from every thread.
std::uint64_t heapAllocationCount();
