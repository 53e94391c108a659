#pragma once

#include <cstdint>
#include <vector>

#include <Imath/ImathVec.h>
#include <maya/MObject.h>

#include "core/Rig.h"
#include "lidShaper/rigContract.h"
#include "rg/NurbsCurveData.h"
#include "sample/SampleRig.h"

namespace rghost {

// What one lid of the sample rig hands the node.
struct SampleLid {
    std::vector<std::int32_t> innerIdxs;   // lid margin, one per column
    std::vector<std::int32_t> outerIdxs;   // crease, one per column
    std::vector<std::int32_t> centerIdxs;  // margin into the socket, grouped by column
    std::vector<std::int32_t> betweenIdxs; // lid skin from margin to crease, grouped by column
    std::vector<Imath::V3d> innerUV;       // the line where the lids close, corners included
    std::vector<Imath::V3d> outerUV;
    std::vector<Imath::V3d> moveVector;
    NurbsCurveData minorCurve;
};

// Everything one eye of the sample rig hands the node besides its controls.
struct SampleEye {
    MObject eyeball;
    Imath::V3d center;
    SampleLid upper;
    SampleLid lower;
    std::vector<std::int32_t> cornersIdxs;
    std::vector<Imath::V3d> pointsOffset;
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
