#pragma once

// Stand-in for Maya's export macro: the OpenMaya classes are the interface of a
// shared library, so they keep default visibility.
#define OPENMAYA_EXPORT __attribute__((visibility("default")))

namespace mayastandin {
class ObjectData;
class NurbsSurfaceData;
} // namespace mayastandin
