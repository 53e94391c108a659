// Both eyes are solved at once; eyes that share a vertex are solved one after
// the other. Built into its own executable so it also runs under ThreadSanitizer.

#include <gtest/gtest.h>

#include "SmallEyeRigRuns.h"

namespace {

using namespace smallrig;

TEST(ParallelDeform, EyesGiveTheSameResultEveryTime)
{
    Rig separate;
    Rig sharing;
    // The right eye's first upper between vertex is also a left-eye vertex.
    auto between = sharing.right.upperBetween;
    between[0] = sharing.left.upperBetween[0];
    sharing.set(sharing.right, "upperLidBetweenIdxs", makeRgList<RgInt>(between));
    for (Rig* rig : {&separate, &sharing})
        for (const Eye* eye : {&rig->left, &rig->right}) {
            rig->set(*eye, "upperLidControl", makeRgValue<RgDouble>(18.0));
            rig->set(*eye, "lowerLidControl", makeRgValue<RgDouble>(-12.0));
        }

    for (Rig* rig : {&separate, &sharing}) {
        const std::unique_ptr<RgNode> node = pluginharness::plugin().createNode("eyeRig1");
        const Outcome first = deformOnce(*node, *rig);
        ASSERT_EQ(first.status, RgStatus::Success);
        for (int call = 0; call < 20; ++call)
            EXPECT_EQ(deformOnce(*node, *rig).points, first.points);
    }
}

} // namespace
