// What every built rig must do on the node: pass the rig check, close its lids
// onto each other, keep its margins out of the eyeballs and its lid faces the
// right way round on every frame of its animation, and keep the modelled face
// at the open pose.

#include <algorithm>
#include <set>

#include <gtest/gtest.h>

#include "BuildTestSupport.h"
#include "GeneratedHead.h"
#include "build/OpenPoseCheck.h"
#include "core/RigRunner.h"
#include "lint/RigCheck.h"
#include "rg/RgValueFactory.h"

using namespace rigContract;

namespace {

using buildtest::indices;
using Imath::V3d;
using rghost::Rig;

struct Case {
    std::string name;
    rghost::build::HeadMesh head;
    std::vector<rghost::build::EyeballInput> eyeballs;
    const Rig* sample = nullptr; // the sample rig the head comes from, if it does
};

// The sample face (as modelled, coarse: openings of 8, dense, with rough
// eyeball meshes), caps of odd loops and the generated heads of every kind.
const std::vector<Case>& cases()
{
    static const std::vector<buildtest::SampleHead> samples = [] {
        rghost::SampleRigOptions coarse;
        coarse.columns = 3;
        coarse.centerRows = 0;
        coarse.betweenRows = 1;
        rghost::SampleRigOptions dense;
        dense.columns = 120;
        return std::vector<buildtest::SampleHead>{buildtest::sampleHead({}), buildtest::sampleHead(coarse),
                                                  buildtest::sampleHead(dense),
                                                  buildtest::withRoughEyeballs(buildtest::sampleHead({}))};
    }();
    static const std::vector<Case> all = [] {
        std::vector<Case> made;
        for (const buildtest::SampleHead& sample : samples) {
            made.push_back({"sample face of " +
                                std::to_string(indices(sample.sample, EyeSide::Left, "upperLidInnerIdxs").size()) +
                                " columns" + (sample.eyeballs.front().center ? "" : ", rough eyeballs"),
                            sample.head, sample.eyeballs, &sample.sample});
        }
        for (const int size : {13, 9}) {
            const buildtest::CapHead cap = buildtest::capHead(size, 7);
            made.push_back({"cap of odd loops of " + std::to_string(size), cap.head, cap.eyeballs, nullptr});
        }
        for (const heads::HeadOptions& options : heads::headVariety()) {
            const heads::GeneratedHead generated = heads::generateHead(options);
            made.push_back({generated.name, generated.head, generated.eyeballInputs(), nullptr});
        }
        return made;
    }();
    return all;
}

std::set<std::int32_t> lidVertices(const Rig& rig, EyeSide side)
{
    std::set<std::int32_t> vertices;
    for (const std::string& list : buildtest::indexLists()) {
        const auto& values = indices(rig, side, list);
        vertices.insert(values.begin(), values.end());
    }
    return vertices;
}

V3d normalOf(const std::vector<std::int32_t>& face, const std::vector<V3d>& points)
{
    V3d normal(0.0);
    for (std::size_t k = 1; k + 1 < face.size(); ++k) {
        normal += (points[face[k]] - points[face[0]]).cross(points[face[k + 1]] - points[face[0]]);
    }
    return normal;
}

class BuiltRig : public ::testing::Test {
protected:
    static void SetUpTestSuite() { plugin = new rghost::Plugin(LIDSHAPER_PLUGIN_PATH); }
    static void TearDownTestSuite() { delete plugin; }
    static rghost::Plugin* plugin;
};

rghost::Plugin* BuiltRig::plugin = nullptr;

TEST_F(BuiltRig, PassesTheRigCheckClean)
{
    for (const Case& c : cases()) {
        const rghost::build::BuiltRig built = rghost::build::buildRig(c.head, c.eyeballs);
        const rghost::NodePointer node = plugin->createNode(built.rig.nodeName);
        for (const rghost::RigFinding& finding : rghost::validateRig(*node, built.rig)) {
            ADD_FAILURE() << c.name << ": " << rghost::formatFinding(finding);
        }
    }
}

TEST_F(BuiltRig, ClosedLidsMeetAtEveryColumn)
{
    for (const Case& c : cases()) {
        rghost::build::BuiltRig built = rghost::build::buildRig(c.head, c.eyeballs);
        built.rig.frames.clear();
        for (EyeSide side : kEyeSides) {
            built.rig.attributes[eyeAttributeKey(side, "closeEye")] = makeRgValue<RgDouble>(1.0);
        }
        const std::vector<rghost::FrameResult> results = rghost::runRig(*plugin, built.rig);
        ASSERT_EQ(results.front().status, RgStatus::Success) << c.name;
        for (std::size_t s = 0; s < 2; ++s) {
            const EyeSide side = kEyeSides[s];
            const auto& upper = indices(built.rig, side, "upperLidInnerIdxs");
            const auto& lower = indices(built.rig, side, "lowerLidInnerIdxs");
            for (std::size_t column = 0; column < upper.size(); ++column) {
                const double gap =
                    (results.front().points[upper[column]] - results.front().points[lower[column]]).length();
                EXPECT_LT(gap, 0.01 * built.eyes[s].openingWidth)
                    << c.name << " " << eyeSideName(side) << " column " << column;
            }
        }
    }
}

TEST_F(BuiltRig, EveryFrameKeepsMarginsOutOfTheEyeballsAndFacesUnturned)
{
    for (const Case& c : cases()) {
        const rghost::build::BuiltRig built = rghost::build::buildRig(c.head, c.eyeballs);
        const std::vector<rghost::FrameResult> results = rghost::runRig(*plugin, built.rig);
        std::vector<std::vector<std::int32_t>> lidFaces;
        std::set<std::int32_t> lids = lidVertices(built.rig, EyeSide::Left);
        const std::set<std::int32_t> right = lidVertices(built.rig, EyeSide::Right);
        lids.insert(right.begin(), right.end());
        for (const auto& face : built.rig.faces) {
            if (std::any_of(face.begin(), face.end(), [&](std::int32_t v) { return lids.count(v) > 0; })) {
                lidFaces.push_back(face);
            }
        }
        for (const rghost::FrameResult& result : results) {
            ASSERT_EQ(result.status, RgStatus::Success) << c.name << " frame " << result.frame;
            for (std::size_t s = 0; s < 2; ++s) {
                const EyeSide side = kEyeSides[s];
                for (const char* lid : {"upperLidInnerIdxs", "lowerLidInnerIdxs"}) {
                    for (std::int32_t v : indices(built.rig, side, lid)) {
                        EXPECT_GE((result.points[v] - built.eyes[s].eyeballCenter).length(),
                                  built.eyes[s].eyeballRadius * (1.0 - 1e-9))
                            << c.name << " frame " << result.frame << " vertex " << v;
                    }
                }
            }
            // Turned over: facing away from where it faced at rest. Thin faces
            // beside a corner may swing edge-on (a cosine just below 0).
            for (const auto& face : lidFaces) {
                const V3d now = normalOf(face, result.points).normalized();
                EXPECT_GT(now.dot(normalOf(face, built.rig.geometry.points).normalized()), -0.1)
                    << c.name << " frame " << result.frame << " face at vertex " << face.front();
            }
        }
    }
}

// The node puts margins, creases and corners back where they were modelled;
// skin rows it lays on rays through the span from margin to crease, and
// rows modelled off those rays move. The sample face's rows lie off them:
// built from that face, the rig moves no point further at its open pose than
// the sample rig itself does, give or take how far a fitted eyeball misses
// the modelled one (the rows lie on rays from its centre); on every head the
// skin rows stay within 2 % of the opening's width.
TEST_F(BuiltRig, OpenPoseKeepsTheModelledFace)
{
    for (const Case& c : cases()) {
        rghost::build::BuiltRig built = rghost::build::buildRig(c.head, c.eyeballs);
        rghost::build::measureOpenPose(*plugin, built);
        Rig open = built.rig;
        open.frames.clear();
        const std::vector<V3d> builtOpen = rghost::runRig(*plugin, open).front().points;
        const std::vector<V3d>& rest = built.rig.geometry.points;
        double sampleLargest = 0.0;
        if (c.sample) {
            Rig sampleOpen = *c.sample;
            sampleOpen.frames.clear();
            const std::vector<V3d> sampleOpenPoints = rghost::runRig(*plugin, sampleOpen).front().points;
            for (std::size_t p = 0; p < rest.size(); ++p) {
                sampleLargest = std::max(sampleLargest, (sampleOpenPoints[p] - rest[p]).length());
            }
        }
        for (std::size_t s = 0; s < 2; ++s) {
            const double width = built.eyes[s].openingWidth;
            EXPECT_LT(built.eyes[s].neutralLargest, 0.02) << c.name;
            if (c.sample) {
                const V3d modelledCenter =
                    buildtest::attribute<RgVector>(c.sample->attributes, eyeAttributeKey(kEyeSides[s], "centerEye"))
                        .value;
                const double miss = (built.eyes[s].eyeballCenter - modelledCenter).length() +
                                    std::abs(built.eyes[s].eyeballRadius - rghost::kEyeballRadius);
                EXPECT_LE(built.eyes[s].neutralLargest * width, sampleLargest * (1.0 + 1e-6) + miss) << c.name;
            }
            for (const char* list :
                 {"upperLidInnerIdxs", "lowerLidInnerIdxs", "upperLidOuterIdxs", "lowerLidOuterIdxs", "cornersIdxs"}) {
                for (std::int32_t v : indices(built.rig, kEyeSides[s], list)) {
                    EXPECT_LT((builtOpen[v] - rest[v]).length(), 1e-7 * width) << c.name << " " << list << " " << v;
                }
            }
        }
    }
}

} // namespace
