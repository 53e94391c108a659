#pragma once

#include <maya/MApiNamespace.h>
#include <maya/MObject.h>
#include <maya/MPoint.h>
#include <maya/MStatus.h>
#include <maya/MTypes.h>

// Function set on a NURBS surface. Evaluation is read-only, so two function sets
// may evaluate (even the same surface) from two threads at once.
class OPENMAYA_EXPORT MFnNurbsSurface {
public:
    MFnNurbsSurface() = default;
    explicit MFnNurbsSurface(const MObject& surface, MStatus* status = nullptr);

    // The point at parameters (u, v). Parameters outside the surface's range wrap
    // in a periodic direction and clamp in an open one. kWorld applies the
    // surface's world matrix; any other space answers in the surface's own space.
    MStatus getPointAtParam(double u, double v, MPoint& point, MSpace::Space space = MSpace::kObject) const;

private:
    MObject object_;
    // What object_ designates when it is a surface, found once here rather than
    // on every evaluation; object_ keeps it alive.
    const mayastandin::NurbsSurfaceData* surface_ = nullptr;
};
