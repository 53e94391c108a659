#pragma once

// Running the small rig through the dlopen'ed plug-in, as a host does.

#include <string>
#include <vector>

#include <mayastandin/StandIn.h>

#include "Plugin.h"
#include "SmallEyeRig.h"

namespace smallrig {

inline const rghost::Plugin& plugin()
{
    static const rghost::Plugin loaded(LIDSHAPER_PLUGIN_PATH);
    return loaded;
}

struct Outcome {
    RgStatus status;
    std::vector<std::string> errors;
    std::vector<Imath::V3d> points;
};

inline Outcome deformOnce(RgNode& node, Rig& rig)
{
    RgDeformData data = rig.data;
    mayastandin::ErrorCapture capture;
    const RgStatus status = node.deform(rig.attributes, data);
    return {status, capture.lines(), data.points};
}

inline Outcome deformOnNewNode(Rig& rig)
{
    const rghost::NodePointer node = plugin().createNode("eyeRig1");
    return deformOnce(*node, rig);
}

} // namespace smallrig
