#pragma once

#include <mutex>
#include <shared_mutex>
#include <string>
#include <vector>

namespace lidshaper {

// Error lines go to one process-wide sink, but nodes deform on several Python
// threads at once. The module installs, once, a sink that hands each line to
// the NodeCallLines of the thread showing it; lines shown on any other thread
// go where they went before.
void installThreadErrorSink();

// Collects the error lines shown on this thread while it lives.
class NodeCallLines {
public:
    NodeCallLines();
    ~NodeCallLines();
    NodeCallLines(const NodeCallLines&) = delete;
    NodeCallLines& operator=(const NodeCallLines&) = delete;

    std::vector<std::string> take() { return std::move(lines_); }

private:
    std::shared_lock<std::shared_mutex> sinkInUse_;
    std::vector<std::string> lines_;
};

// Held by host code that installs a sink of its own (the frame runner's
// ErrorCapture): it waits for every NodeCallLines to end, and they wait for it.
// Take it with the GIL released.
std::unique_lock<std::shared_mutex> lockSinkForHostCode();

} // namespace lidshaper
