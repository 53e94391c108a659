#include "ThreadErrorLines.h"

#include <memory>

#include <mayastandin/StandIn.h>

namespace lidshaper {

namespace {

std::shared_mutex& sinkMutex()
{
    static std::shared_mutex mutex;
    return mutex;
}

thread_local std::vector<std::string>* threadLines = nullptr;

} // namespace

void installThreadErrorSink()
{
    static const bool installed = [] {
        auto previous = std::make_shared<mayastandin::ErrorSink>();
        *previous = mayastandin::setErrorSink([previous](const std::string& line) {
            if (threadLines != nullptr) {
                threadLines->push_back(line);
            } else {
                (*previous)(line);
            }
        });
        return true;
    }();
    (void)installed;
}

NodeCallLines::NodeCallLines() : sinkInUse_(sinkMutex())
{
    threadLines = &lines_;
}

NodeCallLines::~NodeCallLines()
{
    threadLines = nullptr;
}

std::unique_lock<std::shared_mutex> lockSinkForHostCode()
{
    return std::unique_lock<std::shared_mutex>(sinkMutex());
}

} // namespace lidshaper
