#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <maya/MFnNurbsSurface.h>

#include "SurfaceFixtures.h"

namespace {

// Every point of a parameter grid reaching past the ranges, in world space.
std::vector<MPoint> evaluateGrid(const MObject& surface)
{
    const MFnNurbsSurface surfaceFn(surface);
    std::vector<MPoint> points;
    for (double u = -5.0; u <= 9.0; u += 0.0625)
        for (double v = -0.5; v <= 2.5; v += 0.0625) {
            MPoint point;
            surfaceFn.getPointAtParam(u, v, point, MSpace::kWorld);
            points.push_back(point);
        }
    return points;
}

void expectSamePoints(const std::vector<MPoint>& actual, const std::vector<MPoint>& expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i) {
        EXPECT_EQ(actual[i].x, expected[i].x);
        EXPECT_EQ(actual[i].y, expected[i].y);
        EXPECT_EQ(actual[i].z, expected[i].z);
    }
}

} // namespace

TEST(SurfaceConcurrency, TwoThreadsEvaluateAsOneDoes)
{
    auto movedSphere = sphereDescription(1.5);
    movedSphere.worldMatrix.setTranslation(Imath::V3d(1, 2, 3));
    const MObject sphere = mayastandin::makeNurbsSurface(movedSphere);
    const MObject tube = mayastandin::makeNurbsSurface(periodicCubicDescription());
    const std::vector<MPoint> sphereAlone = evaluateGrid(sphere);
    const std::vector<MPoint> tubeAlone = evaluateGrid(tube);

    // Both threads on the same surface, then one on each.
    for (const MObject& second : {sphere, tube}) {
        std::vector<MPoint> firstResult, secondResult;
        std::thread firstThread([&] { firstResult = evaluateGrid(sphere); });
        std::thread secondThread([&] { secondResult = evaluateGrid(second); });
        firstThread.join();
        secondThread.join();
        expectSamePoints(firstResult, sphereAlone);
        expectSamePoints(secondResult, second == sphere ? sphereAlone : tubeAlone);
    }
}
