#include <climits>
#include <cmath>
#include <functional>
#include <limits>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "SurfaceFixtures.h"

using mayastandin::describeSurfaceProblem;
using mayastandin::makeNurbsSurface;
using mayastandin::NurbsSurfaceDescription;

namespace {

// Quadratic by linear, 3 x 2 CVs: small enough that every field is easy to spoil.
NurbsSurfaceDescription validDescription()
{
    std::vector<Imath::V4d> cvs(6, Imath::V4d(0, 0, 0, 1));
    return describeSurface(2, 1, {0, 0, 0, 1, 1, 1}, {0, 0, 1, 1}, cvs);
}

} // namespace

TEST(SurfaceDescription, ConsistentDescriptionsHaveNoProblem)
{
    EXPECT_EQ(describeSurfaceProblem(validDescription()), "");
    EXPECT_EQ(describeSurfaceProblem(sphereDescription(1.0)), "");
    EXPECT_EQ(describeSurfaceProblem(periodicCubicDescription()), "");
}

TEST(SurfaceDescription, EachProblemIsNamedInOneSentenceAndRefused)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    struct Case {
        std::function<void(NurbsSurfaceDescription&)> spoil;
        std::string expectedText;
    };
    const Case cases[] = {
        {[](auto& d) { d.degreeU = 0; }, "degreeU is 0"},
        {[](auto& d) { d.degreeV = 16; }, "degreeV is 16"},
        {[](auto& d) { d.cvCountU = 2; }, "cvCountU is 2"},
        {[](auto& d) { d.knotsU.pop_back(); }, "knotsU holds 5 numbers; cvCountU + degreeU + 1 = 6"},
        {[](auto& d) { d.cvCountV = INT_MAX; }, "knotsV holds 4 numbers; cvCountV + degreeV + 1 = 2147483649"},
        {[](auto& d) { d.cvs.pop_back(); }, "cvs holds 5 points; cvCountU * cvCountV = 6"},
        {[=](auto& d) { d.knotsV[1] = nan; }, "knotsV[1] is nan"},
        {[](auto& d) { d.knotsU = {0, 0, 0.5, 0.4, 1, 1}; }, "knotsU[3] = 0.4 is less than knotsU[2] = 0.5"},
        {[](auto& d) {
             d.knotsV = {0, 1, 1, 2};
         },
         "knotsV leaves no parameter range"},
        {[](auto& d) { d.knotsU = {-1e308, 0, 0, 1, 1, 1e308}; }, "knotsU spans from -1e+308 to 1e+308"},
        {[=](auto& d) { d.cvs[4].y = infinity; }, "cvs[4] (CV 2, 0) holds a number that is not finite"},
        {[](auto& d) { d.cvs[1].w = 0.0; }, "cvs[1] (CV 0, 1) has weight 0"},
        {[](auto& d) { d.cvs[5].w = -1.0; }, "cvs[5] (CV 2, 1) has weight -1"},
        {[=](auto& d) { d.worldMatrix[3][1] = nan; }, "worldMatrix[3][1] is nan"},
    };
    for (const Case& c : cases) {
        NurbsSurfaceDescription description = validDescription();
        c.spoil(description);
        const std::string problem = describeSurfaceProblem(description);
        EXPECT_NE(problem.find(c.expectedText), std::string::npos) << problem;
        EXPECT_EQ(problem.find('\n'), std::string::npos) << problem;
        try {
            makeNurbsSurface(description);
            ADD_FAILURE() << "accepted: " << c.expectedText;
        } catch (const std::invalid_argument& error) {
            EXPECT_EQ(error.what(), problem);
        }
    }
}
