#include <stdexcept>

#include <maya/MFnNurbsSurface.h>

#include "ObjectData.h"

namespace mayastandin {

OPENMAYA_EXPORT std::string describeSurfaceProblem(const NurbsSurfaceDescription&) { return ""; }

OPENMAYA_EXPORT MObject makeNurbsSurface(const NurbsSurfaceDescription& description)
{
    const std::string problem = describeSurfaceProblem(description);
    if (!problem.empty())
        throw std::invalid_argument(problem);
    return MObject(std::make_shared<const NurbsSurfaceData>(NurbsSurfaceEvaluator(description)));
}

} // namespace mayastandin

MFnNurbsSurface::MFnNurbsSurface(const MObject& surface, MStatus* status) : object_(surface)
{
    if (status)
        *status = dynamic_cast<const mayastandin::NurbsSurfaceData*>(surface.standInData()) ? MStatus::kSuccess
                                                                                             : MStatus::kInvalidParameter;
}

MStatus MFnNurbsSurface::getPointAtParam(double u, double v, MPoint& point, MSpace::Space space) const
{
    const auto* surface = dynamic_cast<const mayastandin::NurbsSurfaceData*>(object_.standInData());
    if (!surface)
        return MStatus::kFailure;
    const Imath::V3d p = space == MSpace::kWorld ? surface->evaluator.worldPointAt(u, v) : surface->evaluator.pointAt(u, v);
    point = MPoint(p.x, p.y, p.z);
    return MStatus::kSuccess;
}
