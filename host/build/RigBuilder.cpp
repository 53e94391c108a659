#include "build/RigBuilder.h"

namespace rghost::build {

BuiltRig buildRig(const HeadMesh&, const std::vector<EyeballInput>&, const BuildOptions&)
{
    throw BuildError("the rig builder is not finished");
}

std::string formatReport(const std::vector<EyeReport>&)
{
    return {};
}

} // namespace rghost::build
