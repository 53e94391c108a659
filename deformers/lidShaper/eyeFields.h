#pragma once

#include <array>
#include <memory>
#include <string>

#include "lidShaper/rigContract.h"
#include "rg/RgData.h"

// The 34 attributes each eye has, in declaration order. The schema, the
// validation pass and the deform input phase all walk this one list, so the
// three cannot disagree on keys, classes or order.

// How the host presents a field; decides the schema's option flags.
enum class FieldKind {
    Plain,        // a single value
    Animated,     // a single value the animator keys
    AnimatedSize, // a keyed size that cannot go below zero
    List,         // a list of values
    AnimatedList, // a list the animator keys (the offset table)
};

// One eye's inputs for a deform call: shared handles to the host's values, held
// for the whole call, read in place.
struct EyeInputs {
    std::shared_ptr<const RgNurbsSurface> nurbsSphere;
    std::shared_ptr<const RgNurbsCurve> upperLidMinorCurve;
    std::shared_ptr<const RgNurbsCurve> lowerLidMinorCurve;
    std::shared_ptr<const RgVector> centerEye;
    std::shared_ptr<const RgDouble> closeEye;
    std::shared_ptr<const RgDouble> closeLine;
    std::shared_ptr<const RgInt> smoothOuter;
    std::shared_ptr<const RgBoolean> eyeCompute;
    std::shared_ptr<const RgDouble> upperLidControl;
    std::shared_ptr<const RgDouble> upperLidOuterControl;
    std::shared_ptr<const RgDouble> upperOpenEyeValue;
    std::shared_ptr<const RgInt> upperLidInnerIdxs;
    std::shared_ptr<const RgInt> upperLidOuterIdxs;
    std::shared_ptr<const RgInt> upperLidCenterIdxs;
    std::shared_ptr<const RgInt> upperLidBetweenIdxs;
    std::shared_ptr<const RgVector> upperLidInnerUV;
    std::shared_ptr<const RgVector> upperLidOuterUV;
    std::shared_ptr<const RgVector> upperLidMoveVector;
    std::shared_ptr<const RgDouble> upperLidOutLoopOffset;
    std::shared_ptr<const RgDouble> lowerLidControl;
    std::shared_ptr<const RgDouble> lowerLidOuterControl;
    std::shared_ptr<const RgDouble> lowerOpenEyeValue;
    std::shared_ptr<const RgInt> lowerLidInnerIdxs;
    std::shared_ptr<const RgInt> lowerLidOuterIdxs;
    std::shared_ptr<const RgInt> lowerLidCenterIdxs;
    std::shared_ptr<const RgInt> lowerLidBetweenIdxs;
    std::shared_ptr<const RgVector> lowerLidInnerUV;
    std::shared_ptr<const RgVector> lowerLidOuterUV;
    std::shared_ptr<const RgVector> lowerLidMoveVector;
    std::shared_ptr<const RgDouble> lowerLidOutLoopOffset;
    std::shared_ptr<const RgInt> cornersIdxs;
    std::shared_ptr<const RgDouble> upperMountSize;
    std::shared_ptr<const RgDouble> lowerMountSize;
    std::shared_ptr<const RgVector> pointsOffset;
};

constexpr std::size_t kEyeFieldCount = 34;

// Positions of the fields in declaration order, for code that needs one field's key.
namespace eyeField {
enum : std::size_t {
    nurbsSphere,
    upperLidMinorCurve,
    lowerLidMinorCurve,
    centerEye,
    closeEye,
    closeLine,
    smoothOuter,
    eyeCompute,
    upperLidControl,
    upperLidOuterControl,
    upperOpenEyeValue,
    upperLidInnerIdxs,
    upperLidOuterIdxs,
    upperLidCenterIdxs,
    upperLidBetweenIdxs,
    upperLidInnerUV,
    upperLidOuterUV,
    upperLidMoveVector,
    upperLidOutLoopOffset,
    lowerLidControl,
    lowerLidOuterControl,
    lowerOpenEyeValue,
    lowerLidInnerIdxs,
    lowerLidOuterIdxs,
    lowerLidCenterIdxs,
    lowerLidBetweenIdxs,
    lowerLidInnerUV,
    lowerLidOuterUV,
    lowerLidMoveVector,
    lowerLidOutLoopOffset,
    cornersIdxs,
    upperMountSize,
    lowerMountSize,
    pointsOffset,
};
}

// Calls visit(index, fieldName, handle, kind, defaultValue) for every field of
// `eye` in declaration order; the handle's class is the field's value class.
template <typename Inputs, typename Visit>
void visitEyeFields(Inputs& eye, Visit&& visit)
{
    using K = FieldKind;
    visit(eyeField::nurbsSphere, "nurbsSphere", eye.nurbsSphere, K::Plain, 0.0);
    visit(eyeField::upperLidMinorCurve, "upperLidMinorCurve", eye.upperLidMinorCurve, K::Plain, 0.0);
    visit(eyeField::lowerLidMinorCurve, "lowerLidMinorCurve", eye.lowerLidMinorCurve, K::Plain, 0.0);
    visit(eyeField::centerEye, "centerEye", eye.centerEye, K::Plain, 0.0);
    visit(eyeField::closeEye, "closeEye", eye.closeEye, K::Plain, 0.0);
    visit(eyeField::closeLine, "closeLine", eye.closeLine, K::Plain, 0.0);
    visit(eyeField::smoothOuter, "smoothOuter", eye.smoothOuter, K::Animated, 3.0);
    visit(eyeField::eyeCompute, "eyeCompute", eye.eyeCompute, K::Plain, 0.0);
    visit(eyeField::upperLidControl, "upperLidControl", eye.upperLidControl, K::Animated, 0.0);
    visit(eyeField::upperLidOuterControl, "upperLidOuterControl", eye.upperLidOuterControl, K::Animated, 1.0);
    visit(eyeField::upperOpenEyeValue, "upperOpenEyeValue", eye.upperOpenEyeValue, K::Animated, 25.0);
    visit(eyeField::upperLidInnerIdxs, "upperLidInnerIdxs", eye.upperLidInnerIdxs, K::List, 0.0);
    visit(eyeField::upperLidOuterIdxs, "upperLidOuterIdxs", eye.upperLidOuterIdxs, K::List, 0.0);
    visit(eyeField::upperLidCenterIdxs, "upperLidCenterIdxs", eye.upperLidCenterIdxs, K::List, 0.0);
    visit(eyeField::upperLidBetweenIdxs, "upperLidBetweenIdxs", eye.upperLidBetweenIdxs, K::List, 0.0);
    visit(eyeField::upperLidInnerUV, "upperLidInnerUV", eye.upperLidInnerUV, K::List, 0.0);
    visit(eyeField::upperLidOuterUV, "upperLidOuterUV", eye.upperLidOuterUV, K::List, 0.0);
    visit(eyeField::upperLidMoveVector, "upperLidMoveVector", eye.upperLidMoveVector, K::List, 0.0);
    visit(eyeField::upperLidOutLoopOffset, "upperLidOutLoopOffset", eye.upperLidOutLoopOffset, K::List, 0.0);
    visit(eyeField::lowerLidControl, "lowerLidControl", eye.lowerLidControl, K::Animated, 0.0);
    visit(eyeField::lowerLidOuterControl, "lowerLidOuterControl", eye.lowerLidOuterControl, K::Animated, 1.0);
    visit(eyeField::lowerOpenEyeValue, "lowerOpenEyeValue", eye.lowerOpenEyeValue, K::Animated, -25.0);
    visit(eyeField::lowerLidInnerIdxs, "lowerLidInnerIdxs", eye.lowerLidInnerIdxs, K::List, 0.0);
    visit(eyeField::lowerLidOuterIdxs, "lowerLidOuterIdxs", eye.lowerLidOuterIdxs, K::List, 0.0);
    visit(eyeField::lowerLidCenterIdxs, "lowerLidCenterIdxs", eye.lowerLidCenterIdxs, K::List, 0.0);
    visit(eyeField::lowerLidBetweenIdxs, "lowerLidBetweenIdxs", eye.lowerLidBetweenIdxs, K::List, 0.0);
    visit(eyeField::lowerLidInnerUV, "lowerLidInnerUV", eye.lowerLidInnerUV, K::List, 0.0);
    visit(eyeField::lowerLidOuterUV, "lowerLidOuterUV", eye.lowerLidOuterUV, K::List, 0.0);
    visit(eyeField::lowerLidMoveVector, "lowerLidMoveVector", eye.lowerLidMoveVector, K::List, 0.0);
    visit(eyeField::lowerLidOutLoopOffset, "lowerLidOutLoopOffset", eye.lowerLidOutLoopOffset, K::List, 0.0);
    visit(eyeField::cornersIdxs, "cornersIdxs", eye.cornersIdxs, K::List, 0.0);
    visit(eyeField::upperMountSize, "upperMountSize", eye.upperMountSize, K::AnimatedSize, 0.0);
    visit(eyeField::lowerMountSize, "lowerMountSize", eye.lowerMountSize, K::AnimatedSize, 0.0);
    visit(eyeField::pointsOffset, "pointsOffset", eye.pointsOffset, K::AnimatedList, 0.0);
}

// Full attribute keys of one eye, in field order, built once: deform looks them
// up on every call and should not rebuild the strings each time.
const std::array<std::string, kEyeFieldCount>& eyeAttributeKeys(EyeSide side);
