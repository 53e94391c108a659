#include "console/Interrupts.h"

#include <csignal>
#include <stdexcept>

namespace rghost {

namespace {

volatile std::sig_atomic_t interrupted = 0;

extern "C" void noteInterrupt(int)
{
    interrupted = 1;
}

} // namespace

void deferInterrupts()
{
    std::signal(SIGINT, noteInterrupt);
    std::signal(SIGTERM, noteInterrupt);
}

void throwIfInterrupted()
{
    if (interrupted != 0) {
        throw std::runtime_error("interrupted");
    }
}

} // namespace rghost
