#pragma once

// Rigs the builder tests share: the sample face as a bare mesh, and the
// lists of a rig to compare.

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <Imath/ImathMatrix.h>

#include "RigAttributes.h"
#include "build/RigBuilder.h"
#include "core/Rig.h"
#include "lidShaper/rigContract.h"
#include "sample/SampleFaceShape.h"
#include "sample/SampleRig.h"

namespace buildtest {

using Imath::V3d;

using rigattributes::attribute;
using rigattributes::indices;

// Every index list an eye hands the node, by name.
inline const std::vector<std::string>& indexLists()
{
    static const std::vector<std::string> lists = {"upperLidInnerIdxs",   "upperLidOuterIdxs",   "upperLidCenterIdxs",
                                                   "upperLidBetweenIdxs", "lowerLidInnerIdxs",   "lowerLidOuterIdxs",
                                                   "lowerLidCenterIdxs",  "lowerLidBetweenIdxs", "cornersIdxs"};
    return lists;
}

// The sample face as a modeller hands it over, its points taken through
// `transform`: the mesh and the two eyeball spheres.
struct SampleHead {
    rghost::Rig sample;
    rghost::build::HeadMesh head;
    std::vector<rghost::build::EyeballInput> eyeballs;
};

inline SampleHead sampleHead(const rghost::SampleRigOptions& options, const Imath::M44d& transform = {})
{
    SampleHead made{rghost::buildSampleRig(options), {}, {}};
    for (const V3d& p : made.sample.geometry.points) {
        made.head.points.push_back(p * transform);
    }
    made.head.faces = made.sample.faces;
    const double scale = V3d(transform[0][0], transform[0][1], transform[0][2]).length();
    for (EyeSide side : kEyeSides) {
        rghost::build::EyeballInput eyeball;
        eyeball.center =
            attribute<RgVector>(made.sample.attributes, eyeAttributeKey(side, "centerEye")).value * transform;
        eyeball.radius = rghost::kEyeballRadius * scale;
        made.eyeballs.push_back(eyeball);
    }
    return made;
}

} // namespace buildtest
