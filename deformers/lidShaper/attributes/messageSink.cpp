#include "attributes/messageSink.h"

#include <maya/MFnDependencyNode.h>
#include <maya/MGlobal.h>
#include <maya/MString.h>

namespace {

void reportError(const std::string& message)
{
    MGlobal::displayError(MString(message.c_str()));
}

} // namespace

std::string MessageSink::nodeName() const
{
    MFnDependencyNode dependencyNode(node_.mayaObject);
    return dependencyNode.name().asChar();
}

void MessageSink::assertion(CheckSite site, const std::string& text) const
{
    reportError(nodeName() + ": ASSERT error (" + site.file + ":" + std::to_string(site.line) + "): " + text);
}

void MessageSink::missingAttribute(const std::string& key, const char* typeWord) const
{
    reportError(nodeName() + ": get attributes: cannot find '" + key + "' (" + typeWord + ") attribute");
}

void MessageSink::wrongAttributeType(const std::string& key, const char* typeWord) const
{
    reportError(nodeName() + ": get attributes: invalid type of '" + key + "' (" + typeWord + " expected)");
}
