#include <gtest/gtest.h>

#include <maya/MFnDependencyNode.h>
#include <maya/MGlobal.h>
#include <mayastandin/StandIn.h>

TEST(ErrorDisplay, CaptureCollectsLinesWhileItLivesThenRestoresThePreviousSink)
{
    mayastandin::ErrorCapture outer;
    MGlobal::displayError("first");
    {
        mayastandin::ErrorCapture inner;
        MGlobal::displayError("second");
        MGlobal::displayError("third");
        EXPECT_EQ(inner.lines(), (std::vector<std::string>{"second", "third"}));
    }
    MGlobal::displayError("fourth");
    EXPECT_EQ(outer.lines(), (std::vector<std::string>{"first", "fourth"}));
}

TEST(ErrorDisplay, DefaultSinkWritesScriptEditorLinesToStderr)
{
    testing::internal::CaptureStderr();
    MGlobal::displayError("knotsU holds 9 numbers");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "// Error: knotsU holds 9 numbers //\n");
}

TEST(DependencyNode, NameIsOfferedOnlyForNodes)
{
    MStatus status;
    EXPECT_STREQ(MFnDependencyNode(mayastandin::makeDependencyNode("eyeRig1")).name(&status).asChar(), "eyeRig1");
    EXPECT_EQ(status, MStatus::kSuccess);

    const MFnDependencyNode null(MObject(), &status);
    EXPECT_EQ(status, MStatus::kInvalidParameter);
    EXPECT_STREQ(null.name(&status).asChar(), "");
    EXPECT_EQ(status, MStatus::kFailure);
}
