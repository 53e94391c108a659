#include "attributeLookup.h"

#include <maya/MFnDependencyNode.h>
#include <maya/MGlobal.h>
#include <maya/MString.h>

std::string nodeName(const RgNode& node)
{
    MFnDependencyNode dependencyNode(node.mayaObject);
    return dependencyNode.name().asChar();
}

void reportError(std::string message) { MGlobal::displayError(MString(message.c_str())); }

void reportAssertion(const RgNode& node, CheckSite site, const std::string& text)
{
    reportError(nodeName(node) + ": ASSERT error (" + site.file + ":" + std::to_string(site.line) + "): " + text);
}

void reportMissingAttribute(const RgNode& node, const std::string& key, const char* typeWord)
{
    reportError(nodeName(node) + ": get attributes: cannot find '" + key + "' (" + typeWord + ") attribute");
}

void reportWrongAttributeType(const RgNode& node, const std::string& key, const char* typeWord)
{
    reportError(nodeName(node) + ": get attributes: invalid type of '" + key + "' (" + typeWord + " expected)");
}
