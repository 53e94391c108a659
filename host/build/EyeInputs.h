#pragma once

#include <cstdint>
#include <vector>

#include <Imath/ImathVec.h>
#include <maya/MObject.h>

#include "core/Rig.h"
#include "lidShaper/rigContract.h"
#include "rg/NurbsCurveData.h"

namespace rghost::build {

// What one lid hands the node.
struct LidInputs {
    std::vector<std::int32_t> innerIdxs;   // lid margin, one per column
    std::vector<std::int32_t> outerIdxs;   // crease, one per column
    std::vector<std::int32_t> centerIdxs;  // margin into the socket, grouped by column
    std::vector<std::int32_t> betweenIdxs; // lid skin from margin to crease, grouped by column
    std::vector<Imath::V3d> innerUV;       // where the lid closes, corners included
    std::vector<Imath::V3d> outerUV;
    std::vector<Imath::V3d> moveVector;
    NurbsCurveData minorCurve;
    double mountSize = 10.0;
};

// What one eye hands the node besides its controls.
struct EyeInputs {
    MObject eyeball;
    Imath::V3d center{0.0};
    LidInputs upper;
    LidInputs lower;
    std::vector<std::int32_t> cornersIdxs;
    std::vector<Imath::V3d> pointsOffset;
    double upperOpenValue = 10.0;
    double lowerOpenValue = -10.0;
};

// The lid controls of one eye.
struct EyeControls {
    double closeEye = 0.0;
    double upperLidControl = 0.0;
    double lowerLidControl = 0.0;
    double upperLidOuterControl = 1.0;
    double lowerLidOuterControl = 1.0;
};

// Every input of `side`'s eye but its controls, into `attributes`.
void setEyeAttributes(AttributeMap& attributes, rigContract::EyeSide side, const EyeInputs& eye);

// The eye's lid controls, into `attributes` (a rig's base map or a frame's overrides).
void setEyeControls(AttributeMap& attributes, rigContract::EyeSide side, const EyeControls& controls);

} // namespace rghost::build
