#pragma once

// The host's value classes, for fuzz code that makes values of any class.

#include "rg/RgData.h"

constexpr int kValueClassCount = 9;

// Calls visit with a null pointer of each class, always in this order.
template <typename Visit>
void forEachValueClass(Visit&& visit)
{
    visit(static_cast<RgBoolean*>(nullptr));
    visit(static_cast<RgInt*>(nullptr));
    visit(static_cast<RgFloat*>(nullptr));
    visit(static_cast<RgDouble*>(nullptr));
    visit(static_cast<RgVector*>(nullptr));
    visit(static_cast<RgString*>(nullptr));
    visit(static_cast<RgPtr*>(nullptr));
    visit(static_cast<RgNurbsCurve*>(nullptr));
    visit(static_cast<RgNurbsSurface*>(nullptr));
}
