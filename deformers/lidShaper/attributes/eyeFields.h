#pragma once

#include <array>
#include <memory>
#include <string>
#include <tuple>

#include "lidShaper/rigContract.h"
#include "rg/RgData.h"

// The attributes each eye has, as the rig contract lists them. The schema and
// the key table walk the contract's list; the validation pass and the deform
// input phase fill EyeInputs, whose members take their classes from it.

// The host's value classes in the order of rigContract::ValueClass.
using RgValueClasses = std::tuple<RgBoolean, RgInt, RgFloat, RgDouble, RgVector, RgNurbsCurve, RgNurbsSurface>;

// A handle to the value of field `Field` (a position in rigContract::kEyeFields),
// of the class the contract gives it.
template <std::size_t Field>
using EyeFieldHandle = std::shared_ptr<
    const std::tuple_element_t<static_cast<std::size_t>(rigContract::kEyeFields[Field].valueClass), RgValueClasses>>;

// One eye's inputs for a deform call: shared handles to the host's values, held
// for the whole call, read in place.
struct EyeInputs {
    EyeFieldHandle<rigContract::eyeField::nurbsSphere> nurbsSphere;
    EyeFieldHandle<rigContract::eyeField::upperLidMinorCurve> upperLidMinorCurve;
    EyeFieldHandle<rigContract::eyeField::lowerLidMinorCurve> lowerLidMinorCurve;
    EyeFieldHandle<rigContract::eyeField::centerEye> centerEye;
    EyeFieldHandle<rigContract::eyeField::closeEye> closeEye;
    EyeFieldHandle<rigContract::eyeField::closeLine> closeLine;
    EyeFieldHandle<rigContract::eyeField::smoothOuter> smoothOuter;
    EyeFieldHandle<rigContract::eyeField::eyeCompute> eyeCompute;
    EyeFieldHandle<rigContract::eyeField::upperLidControl> upperLidControl;
    EyeFieldHandle<rigContract::eyeField::upperLidOuterControl> upperLidOuterControl;
    EyeFieldHandle<rigContract::eyeField::upperOpenEyeValue> upperOpenEyeValue;
    EyeFieldHandle<rigContract::eyeField::upperLidInnerIdxs> upperLidInnerIdxs;
    EyeFieldHandle<rigContract::eyeField::upperLidOuterIdxs> upperLidOuterIdxs;
    EyeFieldHandle<rigContract::eyeField::upperLidCenterIdxs> upperLidCenterIdxs;
    EyeFieldHandle<rigContract::eyeField::upperLidBetweenIdxs> upperLidBetweenIdxs;
    EyeFieldHandle<rigContract::eyeField::upperLidInnerUV> upperLidInnerUV;
    EyeFieldHandle<rigContract::eyeField::upperLidOuterUV> upperLidOuterUV;
    EyeFieldHandle<rigContract::eyeField::upperLidMoveVector> upperLidMoveVector;
    EyeFieldHandle<rigContract::eyeField::upperLidOutLoopOffset> upperLidOutLoopOffset;
    EyeFieldHandle<rigContract::eyeField::lowerLidControl> lowerLidControl;
    EyeFieldHandle<rigContract::eyeField::lowerLidOuterControl> lowerLidOuterControl;
    EyeFieldHandle<rigContract::eyeField::lowerOpenEyeValue> lowerOpenEyeValue;
    EyeFieldHandle<rigContract::eyeField::lowerLidInnerIdxs> lowerLidInnerIdxs;
    EyeFieldHandle<rigContract::eyeField::lowerLidOuterIdxs> lowerLidOuterIdxs;
    EyeFieldHandle<rigContract::eyeField::lowerLidCenterIdxs> lowerLidCenterIdxs;
    EyeFieldHandle<rigContract::eyeField::lowerLidBetweenIdxs> lowerLidBetweenIdxs;
    EyeFieldHandle<rigContract::eyeField::lowerLidInnerUV> lowerLidInnerUV;
    EyeFieldHandle<rigContract::eyeField::lowerLidOuterUV> lowerLidOuterUV;
    EyeFieldHandle<rigContract::eyeField::lowerLidMoveVector> lowerLidMoveVector;
    EyeFieldHandle<rigContract::eyeField::lowerLidOutLoopOffset> lowerLidOutLoopOffset;
    EyeFieldHandle<rigContract::eyeField::cornersIdxs> cornersIdxs;
    EyeFieldHandle<rigContract::eyeField::upperMountSize> upperMountSize;
    EyeFieldHandle<rigContract::eyeField::lowerMountSize> lowerMountSize;
    EyeFieldHandle<rigContract::eyeField::pointsOffset> pointsOffset;
};

// Calls visit(field, handle) for every field of `eye` in the contract's order;
// `field` is the position in rigContract::kEyeFields, the handle's class its
// value class.
template <typename Visit>
void visitEyeFields(EyeInputs& eye, Visit&& visit)
{
    using namespace rigContract::eyeField;
    static_assert(count == 34, "every field of the contract has a member below");
    visit(nurbsSphere, eye.nurbsSphere);
    visit(upperLidMinorCurve, eye.upperLidMinorCurve);
    visit(lowerLidMinorCurve, eye.lowerLidMinorCurve);
    visit(centerEye, eye.centerEye);
    visit(closeEye, eye.closeEye);
    visit(closeLine, eye.closeLine);
    visit(smoothOuter, eye.smoothOuter);
    visit(eyeCompute, eye.eyeCompute);
    visit(upperLidControl, eye.upperLidControl);
    visit(upperLidOuterControl, eye.upperLidOuterControl);
    visit(upperOpenEyeValue, eye.upperOpenEyeValue);
    visit(upperLidInnerIdxs, eye.upperLidInnerIdxs);
    visit(upperLidOuterIdxs, eye.upperLidOuterIdxs);
    visit(upperLidCenterIdxs, eye.upperLidCenterIdxs);
    visit(upperLidBetweenIdxs, eye.upperLidBetweenIdxs);
    visit(upperLidInnerUV, eye.upperLidInnerUV);
    visit(upperLidOuterUV, eye.upperLidOuterUV);
    visit(upperLidMoveVector, eye.upperLidMoveVector);
    visit(upperLidOutLoopOffset, eye.upperLidOutLoopOffset);
    visit(lowerLidControl, eye.lowerLidControl);
    visit(lowerLidOuterControl, eye.lowerLidOuterControl);
    visit(lowerOpenEyeValue, eye.lowerOpenEyeValue);
    visit(lowerLidInnerIdxs, eye.lowerLidInnerIdxs);
    visit(lowerLidOuterIdxs, eye.lowerLidOuterIdxs);
    visit(lowerLidCenterIdxs, eye.lowerLidCenterIdxs);
    visit(lowerLidBetweenIdxs, eye.lowerLidBetweenIdxs);
    visit(lowerLidInnerUV, eye.lowerLidInnerUV);
    visit(lowerLidOuterUV, eye.lowerLidOuterUV);
    visit(lowerLidMoveVector, eye.lowerLidMoveVector);
    visit(lowerLidOutLoopOffset, eye.lowerLidOutLoopOffset);
    visit(cornersIdxs, eye.cornersIdxs);
    visit(upperMountSize, eye.upperMountSize);
    visit(lowerMountSize, eye.lowerMountSize);
    visit(pointsOffset, eye.pointsOffset);
}

// Full attribute keys of one eye, in field order, built once: deform looks them
// up on every call and should not rebuild the strings each time.
using EyeAttributeKeys = std::array<std::string, rigContract::eyeField::count>;
const EyeAttributeKeys& eyeAttributeKeys(rigContract::EyeSide side);
