#pragma once

#include <cstdint>
#include <vector>

#include <Imath/ImathVec.h>
#include <maya/MObject.h>

#include "build/EyeInputs.h"
#include "core/Rig.h"
#include "lidShaper/rigContract.h"
#include "rg/NurbsCurveData.h"
#include "sample/SampleRig.h"

namespace rghost {

// Everything one eye of the sample rig hands the node besides its controls,
// and the edge of its patch that the nose bridge joins.
struct SampleEye : build::EyeInputs {
    std::vector<std::int32_t> softRegion;   // this eye's brow and cheek groups
    std::vector<std::int32_t> noseSideEdge; // border vertices facing the nose, top to bottom
};

// Mount size of both lids: how far, in hundredths per unit of weight, the lid
// skin bulges out over the eyeball when the lid moves its own way.
constexpr double kSampleMountSize = 10.0;

// Models one eye with its lids and surrounding skin, wide open: appends its rest
// points, weights and faces to `rig` and records its eyeball surface there. The
// right eye mirrors the left one across the face's middle (x = 0).
SampleEye addSampleEye(Rig& rig, rigContract::EyeSide side, const SampleRigOptions& options);

} // namespace rghost
