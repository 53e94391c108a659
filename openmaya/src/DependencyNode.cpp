#include <maya/MFnDependencyNode.h>
#include <mayastandin/StandIn.h>

#include "ObjectData.h"

namespace mayastandin {

OPENMAYA_EXPORT MObject makeDependencyNode(const std::string& name)
{
    return MObject(std::make_shared<const DependencyNodeData>(name));
}

} // namespace mayastandin

MFnDependencyNode::MFnDependencyNode(const MObject& object, MStatus* status) : object_(object)
{
    if (status)
        *status = dynamic_cast<const mayastandin::DependencyNodeData*>(object.standInData())
                      ? MStatus::kSuccess
                      : MStatus::kInvalidParameter;
}

MString MFnDependencyNode::name(MStatus* status) const
{
    const auto* node = dynamic_cast<const mayastandin::DependencyNodeData*>(object_.standInData());
    if (status)
        *status = node ? MStatus::kSuccess : MStatus::kFailure;
    return node ? MString(node->name.c_str()) : MString();
}
