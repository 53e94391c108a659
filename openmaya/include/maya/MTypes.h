#pragma once

#include <maya/MApiNamespace.h>

// The space a geometric query answers in.
class OPENMAYA_EXPORT MSpace {
public:
    enum Space {
        kInvalid = 0,
        kTransform = 1,
        kPreTransform = 2,
        kPostTransform = 3,
        kWorld = 4,
        kObject = kPreTransform,
    };
};
