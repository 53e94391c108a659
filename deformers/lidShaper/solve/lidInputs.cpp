#include "solve/lidInputs.h"

LidInputs upperLidInputs(const EyeInputs& eye)
{
    return {eye.upperLidOuterControl->value, eye.upperLidOuterUV->values,   eye.upperLidInnerUV->values,
            eye.upperLidInnerIdxs->values,   eye.upperLidOuterIdxs->values, eye.upperLidCenterIdxs->values,
            eye.upperLidBetweenIdxs->values, eye.upperMountSize->value};
}

LidInputs lowerLidInputs(const EyeInputs& eye)
{
    return {eye.lowerLidOuterControl->value, eye.lowerLidOuterUV->values,   eye.lowerLidInnerUV->values,
            eye.lowerLidInnerIdxs->values,   eye.lowerLidOuterIdxs->values, eye.lowerLidCenterIdxs->values,
            eye.lowerLidBetweenIdxs->values, eye.lowerMountSize->value};
}
