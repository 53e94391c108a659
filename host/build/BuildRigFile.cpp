#include "build/BuildRigFile.h"

#include "build/HeadScene.h"
#include "build/OpenPoseCheck.h"
#include "io/RigFileWriter.h"

namespace rghost::build {

std::string buildRigFile(const BuildRigRequest& request, const Plugin& plugin)
{
    if (!request.eyeballs.empty() && request.eyeballs.size() != 2) {
        throw BuildError("two eyeballs are needed, " + std::to_string(request.eyeballs.size()) + " given");
    }
    HeadScene scene = readHeadObj(request.headPath, request.eyeballNames, !request.eyeballs.empty());
    if (!request.eyeballs.empty()) {
        scene.eyeballs = request.eyeballs;
    }
    BuiltRig built = buildRig(scene.head, scene.eyeballs, request.options);
    measureOpenPose(plugin, built);
    writeRigFile(built.rig, request.outputPath);
    return formatReport(built.eyes);
}

} // namespace rghost::build
