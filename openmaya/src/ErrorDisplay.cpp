#include <cstdio>
#include <utility>

#include <maya/MGlobal.h>
#include <mayastandin/StandIn.h>

namespace mayastandin {
namespace {

void printToScriptEditor(const std::string& line)
{
    std::fprintf(stderr, "// Error: %s //\n", line.c_str());
}

ErrorSink& currentSink()
{
    static ErrorSink sink = printToScriptEditor;
    return sink;
}

} // namespace

OPENMAYA_EXPORT ErrorSink setErrorSink(ErrorSink sink)
{
    ErrorSink previous = std::move(currentSink());
    currentSink() = sink ? std::move(sink) : ErrorSink(printToScriptEditor);
    return previous;
}

OPENMAYA_EXPORT ErrorCapture::ErrorCapture()
    : previous_(setErrorSink([this](const std::string& line) { lines_.push_back(line); }))
{
}

OPENMAYA_EXPORT ErrorCapture::~ErrorCapture()
{
    setErrorSink(std::move(previous_));
}

} // namespace mayastandin

void MGlobal::displayError(const MString& message)
{
    mayastandin::currentSink()(message.asChar());
}
