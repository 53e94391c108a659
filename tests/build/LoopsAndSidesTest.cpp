// Loops around an opening on small meshes whose answers are known, which eye
// is which, and what the test animation does with the eyeballs.

#include <cmath>

#include <gtest/gtest.h>
#include <maya/MFnNurbsSurface.h>

#include "BuildTestSupport.h"
#include "build/EdgeRings.h"
#include "build/EyeballSurface.h"
#include "build/MeshAdjacency.h"

using namespace rigContract;

namespace {

using buildtest::indices;
using Imath::V3d;
using rghost::build::HeadMesh;

// A flat annulus of `rings` rings of `size` vertices around a hole, quads
// between the rings: vertex = ring * size + j.
HeadMesh annulus(int size, int rings)
{
    HeadMesh mesh;
    for (int r = 0; r < rings; ++r) {
        for (int j = 0; j < size; ++j) {
            const double angle = 2.0 * 3.14159265358979 * j / size;
            mesh.points.emplace_back((1.0 + r) * std::cos(angle), (1.0 + r) * std::sin(angle), 0.0);
        }
    }
    for (int r = 0; r + 1 < rings; ++r) {
        for (int j = 0; j < size; ++j) {
            const int k = (j + 1) % size;
            mesh.faces.push_back({r * size + j, r * size + k, (r + 1) * size + k, (r + 1) * size + j});
        }
    }
    return mesh;
}

TEST(Loops, GrowColumnByColumnUntilTheMeshEnds)
{
    const HeadMesh mesh = annulus(8, 4);
    const rghost::build::MeshAdjacency adjacency(mesh);
    const auto holes = adjacency.boundaryLoops();
    ASSERT_EQ(holes.size(), 2u); // the hole and the outer rim
    std::vector<std::int32_t> ring = holes[0][0] < 8 ? holes[0] : holes[1];
    ASSERT_EQ(ring.size(), 8u);
    std::vector<char> taken(mesh.points.size(), 0);
    for (std::int32_t v : ring) {
        taken[v] = 1;
    }
    const rghost::build::RingSide side =
        rghost::build::hasFacesOn(adjacency, ring, rghost::build::RingSide::AlongWinding)
            ? rghost::build::RingSide::AlongWinding
            : rghost::build::RingSide::AgainstWinding;
    for (int r = 1; r < 4; ++r) {
        const rghost::build::RingStep step = rghost::build::nextRing(adjacency, ring, side, taken);
        ASSERT_EQ(step.ring.size(), 8u) << "ring " << r;
        for (std::size_t j = 0; j < 8; ++j) {
            EXPECT_EQ(step.ring[j], ring[j] + 8) << "ring " << r << " column " << j;
        }
        ring = step.ring;
    }
    const rghost::build::RingStep end = rghost::build::nextRing(adjacency, ring, side, taken);
    EXPECT_TRUE(end.ring.empty());
    EXPECT_EQ(end.why, "the mesh ends");
}

TEST(Loops, StopAtTheVertexWhereNoQuadContinues)
{
    struct Case {
        const char* what;
        void (*change)(HeadMesh&);
        std::int32_t stuckAt;
        const char* why;
    };
    const Case cases[] = {
        {"a triangle",
         [](HeadMesh& m) {
             m.faces[2] = {2, 3, 11}; // the quad after vertex 2 loses its corner 10
         },
         2, "a triangle"},
        {"a pole",
         [](HeadMesh& m) {
             // Vertex 13 takes the place of 12 in the quad before it: two lines of
             // edges leave vertex 4, and the quads either side of it disagree.
             m.points.emplace_back(1.9, 1.9, 0.0);
             m.faces[3] = {3, 4, 24, 11};
         },
         4, "a pole"},
    };
    for (const Case& c : cases) {
        HeadMesh mesh = annulus(8, 3);
        c.change(mesh);
        const rghost::build::MeshAdjacency adjacency(mesh);
        std::vector<char> taken(mesh.points.size(), 0);
        std::vector<std::int32_t> hole = {0, 1, 2, 3, 4, 5, 6, 7};
        const rghost::build::RingStep step =
            rghost::build::nextRing(adjacency, hole, rghost::build::RingSide::AlongWinding, taken);
        EXPECT_TRUE(step.ring.empty()) << c.what;
        EXPECT_EQ(step.stuckAt, c.stuckAt) << c.what;
        EXPECT_EQ(step.why, c.why) << c.what;
    }
}

// The character's left eye is on its left whichever way the scene is
// turned; the caller can swap them.
TEST(Sides, FollowTheCharacterAndSwapOnRequest)
{
    const buildtest::SampleHead made = buildtest::sampleHead({});
    const auto leftList = indices(made.sample, EyeSide::Left, "upperLidInnerIdxs");
    const auto rightList = indices(made.sample, EyeSide::Right, "upperLidInnerIdxs");
    rghost::build::BuildOptions options;
    const rghost::build::BuiltRig asFound = rghost::build::buildRig(made.head, made.eyeballs, options);
    EXPECT_EQ(indices(asFound.rig, EyeSide::Left, "upperLidInnerIdxs"), leftList);
    options.swapSides = true;
    const rghost::build::BuiltRig swapped = rghost::build::buildRig(made.head, made.eyeballs, options);
    EXPECT_EQ(indices(swapped.rig, EyeSide::Left, "upperLidInnerIdxs"), rightList);
    EXPECT_EQ(indices(swapped.rig, EyeSide::Right, "upperLidInnerIdxs"), leftList);
    EXPECT_EQ(swapped.eyes.front().eyeballCenter, asFound.eyes.back().eyeballCenter);
    // Upside down, with the character's up given: the same eyes, the same lids.
    Imath::M44d upsideDown;
    upsideDown.setScale(V3d(-1.0, -1.0, 1.0));
    const buildtest::SampleHead turned = buildtest::sampleHead({}, upsideDown);
    options.swapSides = false;
    options.up = V3d(0.0, -1.0, 0.0);
    const rghost::build::BuiltRig upright = rghost::build::buildRig(turned.head, turned.eyeballs, options);
    EXPECT_EQ(indices(upright.rig, EyeSide::Left, "upperLidInnerIdxs"), leftList);
    EXPECT_EQ(indices(upright.rig, EyeSide::Right, "upperLidInnerIdxs"), rightList);
}

// Looking up turns both eyeballs about their centres so that what looked
// forward looks up; the rest of the animation leaves the surfaces alone.
TEST(TestAnimation, LooksByTurningTheEyeballs)
{
    const buildtest::SampleHead made = buildtest::sampleHead({});
    const rghost::build::BuiltRig built = rghost::build::buildRig(made.head, made.eyeballs);
    ASSERT_EQ(built.rig.frames.size(), 48u);
    int turnedFrames = 0;
    double highest = 0.0;
    for (const rghost::RigFrame& frame : built.rig.frames) {
        for (EyeSide side : kEyeSides) {
            const auto turned = frame.overrides.find(eyeAttributeKey(side, "nurbsSphere"));
            if (turned == frame.overrides.end()) {
                continue;
            }
            ++turnedFrames;
            const auto& surface = std::dynamic_pointer_cast<RgNurbsSurface>(turned->second)->value;
            const V3d center =
                buildtest::attribute<RgVector>(built.rig.attributes, eyeAttributeKey(side, "centerEye")).value;
            const V3d forward = rghost::build::surfacePoint(MFnNurbsSurface(surface), 0.5, 0.5) - center;
            EXPECT_NEAR(forward.length(), rghost::kEyeballRadius, 1e-9);
            highest = std::max(highest, forward.y / forward.length());
        }
    }
    EXPECT_GT(turnedFrames, 10);
    EXPECT_GT(highest, std::sin(3.0 * 3.14159265358979 / 180.0)) << "the eyes look up by a few degrees at least";
}

} // namespace
