#pragma once

// Running the small rig through the dlopen'ed plug-in, as a host does.

#include <string>
#include <vector>

#include <mayastandin/StandIn.h>

#include "PluginHarness.h"
#include "SmallEyeRig.h"

namespace smallrig {

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
    const std::unique_ptr<RgNode> node = pluginharness::plugin().createNode("eyeRig1");
    return deformOnce(*node, rig);
}

} // namespace smallrig
