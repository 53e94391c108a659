#include <cmath>
#include <limits>
#include <random>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include <maya/MFnNurbsSurface.h>

#include "SurfaceFixtures.h"

using mayastandin::makeNurbsSurface;
using mayastandin::NurbsSurfaceDescription;

namespace {

const double kInfinity = std::numeric_limits<double>::infinity();

MPoint pointAt(const MObject& surface, double u, double v, MSpace::Space space = MSpace::kObject)
{
    MPoint point;
    EXPECT_EQ(MFnNurbsSurface(surface).getPointAtParam(u, v, point, space), MStatus::kSuccess);
    return point;
}

void expectPointNear(const MPoint& actual, const Imath::V3d& expected, double tolerance)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

// A degree-1 patch on [2, 6] x [2, 6] whose point at (u, v) is (u, v, 0), so a
// point shows which parameters the surface was evaluated at.
NurbsSurfaceDescription parameterEchoDescription(bool periodicU, bool periodicV)
{
    auto description =
        describeSurface(1, 1, {2, 2, 6, 6}, {2, 2, 6, 6}, {{2, 2, 0, 1}, {2, 6, 0, 1}, {6, 2, 0, 1}, {6, 6, 0, 1}});
    description.periodicU = periodicU;
    description.periodicV = periodicV;
    return description;
}

// Basis functions of every CV straight from the recursive definition, taking
// 0/0 as 0; t must lie below the range end.
std::vector<double> referenceBasis(const std::vector<double>& knots, int degree, double t)
{
    const auto ratio = [](double numerator, double denominator) {
        return denominator == 0.0 ? 0.0 : numerator / denominator;
    };
    std::vector<double> basis(knots.size() - 1);
    for (std::size_t i = 0; i < basis.size(); ++i)
        basis[i] = knots[i] <= t && t < knots[i + 1] ? 1.0 : 0.0;
    for (std::size_t k = 1; k <= static_cast<std::size_t>(degree); ++k)
        for (std::size_t i = 0; i + k + 1 < knots.size(); ++i)
            basis[i] = ratio(t - knots[i], knots[i + k] - knots[i]) * basis[i] +
                       ratio(knots[i + k + 1] - t, knots[i + k + 1] - knots[i + 1]) * basis[i + 1];
    basis.resize(knots.size() - 1 - static_cast<std::size_t>(degree));
    return basis;
}

Imath::V3d referencePoint(const NurbsSurfaceDescription& surface, double u, double v)
{
    const std::vector<double> basisU = referenceBasis(surface.knotsU, surface.degreeU, u);
    const std::vector<double> basisV = referenceBasis(surface.knotsV, surface.degreeV, v);
    Imath::V3d weightedSum(0.0);
    double weightSum = 0.0;
    for (std::size_t iu = 0; iu < basisU.size(); ++iu)
        for (std::size_t iv = 0; iv < basisV.size(); ++iv) {
            const Imath::V4d& cv = surface.cvs[iu * basisV.size() + iv];
            const double weight = basisU[iu] * basisV[iv] * cv.w;
            weightedSum += Imath::V3d(cv.x, cv.y, cv.z) * weight;
            weightSum += weight;
        }
    return weightedSum / weightSum;
}

// Non-decreasing knots for a direction from a random start, about a third of
// them repeated; the first span of the range is never empty.
std::vector<double> randomKnots(std::mt19937& random, int degree, int cvCount)
{
    std::uniform_real_distribution<double> start(-100.0, 100.0);
    std::uniform_real_distribution<double> step(0.05, 3.0);
    std::vector<double> knots{start(random)};
    while (knots.size() < static_cast<std::size_t>(cvCount + degree + 1)) {
        const bool firstSpan = knots.size() == static_cast<std::size_t>(degree + 1);
        knots.push_back(knots.back() + (!firstSpan && random() % 3 == 0 ? 0.0 : step(random)));
    }
    return knots;
}

// Parameters spread over [start, end), every knot in that range among them.
std::vector<double> sampleParameters(const std::vector<double>& knots, int degree, int cvCount)
{
    const double start = knots[static_cast<std::size_t>(degree)];
    const double end = knots[static_cast<std::size_t>(cvCount)];
    std::vector<double> parameters;
    for (int i = 0; i < 17; ++i)
        parameters.push_back(start + (end - start) * i / 17.0);
    for (double knot : knots)
        if (knot > start && knot < end)
            parameters.push_back(knot);
    return parameters;
}

} // namespace

TEST(SurfaceEvaluation, RationalSphereStaysOnItsRadiusForAnyParameters)
{
    const double radius = 2.5;
    const MObject sphere = makeNurbsSurface(sphereDescription(radius));
    // Steps of 1/16 land exactly on every knot and both ends of u in [0, 4] and v in [0, 2].
    for (double u = -9.0; u <= 9.0; u += 0.125)
        for (double v = -1.0; v <= 3.0; v += 0.0625) {
            const MPoint p = pointAt(sphere, u, v);
            EXPECT_NEAR(std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z), radius, 1e-12) << "u " << u << " v " << v;
        }
    expectPointNear(pointAt(sphere, 1.3, -0.5), {0, 0, -radius}, 1e-12);
    expectPointNear(pointAt(sphere, 1.3, 2.0), {0, 0, radius}, 1e-12);
    expectPointNear(pointAt(sphere, 0.5, 1.0), {radius * std::sqrt(0.5), radius * std::sqrt(0.5), 0}, 1e-12);
}

TEST(SurfaceEvaluation, ParametersOutsideTheRangeWrapWhenPeriodicAndClampWhenOpen)
{
    struct Case {
        double periodic, open, expectedPeriodic, expectedOpen;
    };
    const Case cases[] = {
        {3.0, 4.0, 3.0, 4.0},
        {2.0, 2.0, 2.0, 2.0},
        {6.0, 6.0, 6.0, 6.0},
        {7.0, 7.0, 3.0, 6.0},
        {1.0, 1.0, 5.0, 2.0},
        {-6.5, 100.0, 5.5, 6.0},
        {10.0, -100.0, 2.0, 2.0},
        {4e15 + 3.0, 1e300, 3.0, 6.0},
        {1e300, -1e300, 4.0, 2.0},
        {kInfinity, kInfinity, 2.0, 6.0},
        {-kInfinity, -kInfinity, 2.0, 2.0},
    };
    const MObject periodicInU = makeNurbsSurface(parameterEchoDescription(true, false));
    const MObject periodicInV = makeNurbsSurface(parameterEchoDescription(false, true));
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "periodic " << c.periodic << " open " << c.open);
        expectPointNear(pointAt(periodicInU, c.periodic, c.open), {c.expectedPeriodic, c.expectedOpen, 0}, 1e-12);
        expectPointNear(pointAt(periodicInV, c.open, c.periodic), {c.expectedOpen, c.expectedPeriodic, 0}, 1e-12);
    }
}

TEST(SurfaceEvaluation, NanParameterGivesNanPoint)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const MObject surface = makeNurbsSurface(parameterEchoDescription(true, false));
    const std::pair<double, double> parameters[] = {{nan, 3.0}, {3.0, nan}, {nan, nan}};
    for (const auto& [u, v] : parameters) {
        const MPoint p = pointAt(surface, u, v);
        EXPECT_TRUE(std::isnan(p.x) && std::isnan(p.y) && std::isnan(p.z));
    }
}

TEST(SurfaceEvaluation, PeriodicCubicRepeatsEveryPeriod)
{
    const MObject tube = makeNurbsSurface(periodicCubicDescription());
    for (double u = 0.0; u <= 4.0; u += 0.25)
        for (double v : {0.0, 0.4, 1.0}) {
            const MPoint p = pointAt(tube, u, v);
            for (double shift : {-4.0, 4.0, 8.0, -400.0}) {
                SCOPED_TRACE(testing::Message() << "u " << u << " v " << v << " shift " << shift);
                expectPointNear(pointAt(tube, u + shift, v), {p.x, p.y, p.z}, 1e-12);
            }
        }
}

TEST(SurfaceEvaluation, MatchesTheRecursiveDefinitionOnIrregularSurfaces)
{
    struct Shape {
        int degreeU, degreeV, cvCountU, cvCountV;
    };
    std::mt19937 random(20240611);
    std::uniform_real_distribution<double> coordinate(-10.0, 10.0);
    std::uniform_real_distribution<double> weight(0.2, 5.0);
    std::vector<NurbsSurfaceDescription> surfaces;
    for (const Shape& shape :
         {Shape{1, 1, 2, 3}, Shape{2, 3, 5, 6}, Shape{3, 3, 8, 7}, Shape{4, 2, 9, 5}, Shape{15, 2, 18, 4}})
        for (int copy = 0; copy < 3; ++copy) {
            std::vector<Imath::V4d> cvs;
            for (int i = 0; i < shape.cvCountU * shape.cvCountV; ++i)
                cvs.emplace_back(coordinate(random), coordinate(random), coordinate(random), weight(random));
            surfaces.push_back(describeSurface(shape.degreeU, shape.degreeV,
                                               randomKnots(random, shape.degreeU, shape.cvCountU),
                                               randomKnots(random, shape.degreeV, shape.cvCountV), std::move(cvs)));
        }
    // The last span of this one is empty, so its range end lies in the span before.
    surfaces.push_back(describeSurface(2, 1, {0, 0, 0, 1, 1, 1, 1}, {0, 0.5, 1.5, 2},
                                       {{0, 0, 0, 1},
                                        {1, 0, 0, 2},
                                        {0, 1, 2, 1},
                                        {1, 1, 0, 3},
                                        {2, 0, 1, 1},
                                        {2, 2, 2, 1},
                                        {5, 5, 5, 1},
                                        {6, 6, 6, 1}}));

    for (const NurbsSurfaceDescription& description : surfaces) {
        ASSERT_EQ(mayastandin::describeSurfaceProblem(description), "");
        const MObject surface = makeNurbsSurface(description);
        const std::vector<double> us = sampleParameters(description.knotsU, description.degreeU, description.cvCountU);
        const std::vector<double> vs = sampleParameters(description.knotsV, description.degreeV, description.cvCountV);
        for (double u : us)
            for (double v : vs) {
                SCOPED_TRACE(testing::Message() << "degrees " << description.degreeU << "x" << description.degreeV
                                                << " u " << u << " v " << v);
                expectPointNear(pointAt(surface, u, v), referencePoint(description, u, v), 1e-9);
            }
        // At the range ends the surface continues its last span.
        const double endU = description.knotsU[static_cast<std::size_t>(description.cvCountU)];
        const double endV = description.knotsV[static_cast<std::size_t>(description.cvCountV)];
        const double belowEndU = std::nextafter(endU, -kInfinity);
        const double belowEndV = std::nextafter(endV, -kInfinity);
        expectPointNear(pointAt(surface, endU, endV), referencePoint(description, belowEndU, belowEndV), 1e-9);
        expectPointNear(pointAt(surface, endU, vs[1]), referencePoint(description, belowEndU, vs[1]), 1e-9);
        expectPointNear(pointAt(surface, us[1], endV), referencePoint(description, us[1], belowEndV), 1e-9);
    }
}

TEST(SurfaceEvaluation, WorldMatrixAppliesOnlyInWorldSpace)
{
    auto description = parameterEchoDescription(false, false);
    // Row-vector convention: the bottom row translates.
    description.worldMatrix = Imath::M44d(2, 0, 0, 0, 0, 3, 0, 0, 1, 0, 1, 0, 10, -5, 3, 1);
    description.cvs[3].z = 4.0;
    const MObject surface = makeNurbsSurface(description);
    const double u = 5.0, v = 3.0;
    const Imath::V3d local(u, v, (u - 2.0) * (v - 2.0) / 4.0);
    expectPointNear(pointAt(surface, u, v, MSpace::kWorld),
                    {2.0 * local.x + local.z + 10.0, 3.0 * local.y - 5.0, local.z + 3.0}, 1e-12);
    for (MSpace::Space space :
         {MSpace::kObject, MSpace::kTransform, MSpace::kPreTransform, MSpace::kPostTransform, MSpace::kInvalid})
        expectPointNear(pointAt(surface, u, v, space), local, 1e-12);
}

TEST(SurfaceEvaluation, ObjectsThatAreNotSurfacesAreRefused)
{
    for (const MObject& object : {MObject(), mayastandin::makeDependencyNode("eyeRig1")}) {
        MStatus status;
        const MFnNurbsSurface surface(object, &status);
        EXPECT_EQ(status, MStatus::kInvalidParameter);
        MPoint point(7, 8, 9);
        EXPECT_EQ(surface.getPointAtParam(0.5, 0.5, point), MStatus::kFailure);
    }
}
