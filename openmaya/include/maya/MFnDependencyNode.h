#pragma once

#include <maya/MApiNamespace.h>
#include <maya/MObject.h>
#include <maya/MStatus.h>
#include <maya/MString.h>

// Function set on a dependency node; only its name is offered.
class OPENMAYA_EXPORT MFnDependencyNode {
public:
    MFnDependencyNode() = default;
    explicit MFnDependencyNode(const MObject& object, MStatus* status = nullptr);

    // The node's name; an empty string (and kFailure) when the object is not a node.
    MString name(MStatus* status = nullptr) const;

private:
    MObject object_;
};
