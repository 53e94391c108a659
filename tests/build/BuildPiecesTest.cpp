// The builder's pieces on small inputs whose answers are known.

#include <cmath>

#include <gtest/gtest.h>
#include <maya/MFnNurbsSurface.h>

#include "BuildTestSupport.h"
#include "GeneratedHead.h"
#include "build/EyeballSurface.h"
#include "build/HeadScene.h"
#include "build/SphereFit.h"

using namespace rigContract;

namespace {

using Imath::V3d;

using buildtest::spherePoints;

TEST(SphereFit, FindsTheSphereAtAnyScaleAndReportsRoughness)
{
    for (const double scale : {0.01, 1.0, 100.0}) {
        const V3d center = V3d(3.0, -2.0, 7.5) * scale;
        const rghost::build::Sphere exact = rghost::build::fitSphere(spherePoints(center, 1.4 * scale, 0.0), "ball");
        EXPECT_LT((exact.center - center).length(), 1e-9 * scale);
        EXPECT_NEAR(exact.radius, 1.4 * scale, 1e-9 * scale);
        EXPECT_LT(exact.residual, 1e-9);
        const rghost::build::Sphere rough = rghost::build::fitSphere(spherePoints(center, 1.4 * scale, 0.03), "ball");
        EXPECT_GT(rough.residual, 0.01);
        EXPECT_LT(rough.residual, 0.03);
    }
    std::vector<V3d> flat;
    for (int i = 0; i < 9; ++i) {
        flat.emplace_back(i % 3, i / 3, 0.0);
    }
    EXPECT_THROW(rghost::build::fitSphere(flat, "ball"), rghost::build::BuildError);
}

// The surface parameters found give back the point's direction from the
// centre, and the opening's middle sits at (0.5, 0.5) whichever way the eye faces.
TEST(EyeballSurface, ClosestParametersLandOnThePointsDirection)
{
    rghost::Rig rig;
    rghost::build::EyeAxes axes;
    axes.front = V3d(1.0, 2.0, -0.5).normalized();
    axes.temple = axes.front.cross(V3d(0.0, 0.0, 1.0)).normalized();
    axes.up = axes.front.cross(axes.temple);
    const V3d center(4.0, 1.0, -3.0);
    const MFnNurbsSurface surface(rghost::addSurface(rig, rghost::build::eyeballSurface(center, 2.0, axes)));
    const V3d middle = rghost::build::surfacePoint(surface, 0.5, 0.5);
    EXPECT_LT((middle - (center + axes.front * 2.0)).length(), 1e-9);
    EXPECT_GT(rghost::build::surfacePoint(surface, 0.6, 0.5).dot(axes.temple) - middle.dot(axes.temple), 0.0);
    EXPECT_GT(rghost::build::surfacePoint(surface, 0.5, 0.6).dot(axes.up) - middle.dot(axes.up), 0.0);
    for (const V3d& offset : {V3d(0.3, 0.2, 0.9), V3d(-0.7, 0.1, 0.6), V3d(0.05, -0.8, 0.5)}) {
        const V3d direction = (axes.temple * offset.x + axes.up * offset.y + axes.front * offset.z).normalized();
        const V3d point = center + direction * 2.3;
        const V3d uv = rghost::build::closestParameters(surface, center, axes, point);
        const V3d onSurface = rghost::build::surfacePoint(surface, uv.x, uv.y);
        EXPECT_LT(((onSurface - center).normalized() - direction).length(), 1e-10) << offset;
    }
}

TEST(HeadScene, EyeballsComeFromNamedPartsOrLooseSpheres)
{
    for (const heads::EyeballForm form :
         {heads::EyeballForm::Objects, heads::EyeballForm::Groups, heads::EyeballForm::LooseParts}) {
        heads::HeadOptions options;
        options.eyeballs = form;
        const heads::GeneratedHead generated = heads::generateHead(options);
        const rghost::build::HeadScene scene =
            rghost::build::parseHeadObj(heads::formatHeadObj(generated), "head.obj", {}, false);
        EXPECT_EQ(scene.head.points, generated.head.points);
        EXPECT_EQ(scene.head.faces, generated.head.faces);
        ASSERT_EQ(scene.eyeballs.size(), 2u);
        for (std::size_t e = 0; e < 2; ++e) {
            EXPECT_EQ(scene.eyeballs[e].points, generated.eyes[e].eyeball.points);
        }
    }
    const std::string named = "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 1\nv 1 0 1\nv 0 1 1\n"
                              "o Eye.L\nf 1 2 3\no eyelid_L\nf 4 5 6\n";
    const rghost::build::HeadScene scene = rghost::build::parseHeadObj(named, "h", {}, false);
    EXPECT_EQ(scene.eyeballs.size(), 1u) << "'eyelid' is not an eye";
    EXPECT_EQ(scene.head.faces, (std::vector<std::vector<std::int32_t>>{{0, 1, 2}}));
}

} // namespace
