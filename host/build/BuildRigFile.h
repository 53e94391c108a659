#pragma once

#include <string>
#include <vector>

#include "build/RigBuilder.h"
#include "core/Plugin.h"

namespace rghost::build {

// One build of a rig file from a head's OBJ file, as the command line asks.
struct BuildRigRequest {
    std::string headPath;                  // OBJ: the head, and its eyeballs unless given below
    std::string outputPath;                // the rig file to write
    std::vector<std::string> eyeballNames; // OBJ objects or groups that are eyeballs
    std::vector<EyeballInput> eyeballs;    // centres and radii given instead of eyeball meshes
    BuildOptions options;
};

// Reads the head, builds its rig, measures the open pose on a node of
// `plugin`, writes the rig file (atomically: nothing is written on failure)
// and returns the report. Throws BuildError on bad input.
std::string buildRigFile(const BuildRigRequest& request, const Plugin& plugin);

} // namespace rghost::build
