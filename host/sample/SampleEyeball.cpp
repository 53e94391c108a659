#include "sample/SampleEyeball.h"

#include "build/EyeballSurface.h"
#include "sample/SampleFaceShape.h"

namespace rghost {

mayastandin::NurbsSurfaceDescription eyeballDescription(const Imath::V3d& center, double side)
{
    build::EyeAxes axes;
    axes.temple = Imath::V3d(side, 0.0, 0.0);
    return build::eyeballSurface(center, kEyeballRadius, axes);
}

} // namespace rghost
