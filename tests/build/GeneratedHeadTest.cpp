// The generated heads are what the builder's quality rests on: they must be
// the meshes they claim to be.

#include <map>
#include <regex>
#include <set>
#include <utility>

#include <gtest/gtest.h>

#include "GeneratedHead.h"

using namespace rigContract;

namespace {

using Imath::V3d;
using Edge = std::pair<std::int32_t, std::int32_t>;

std::map<Edge, int> edgeUses(const rghost::build::HeadMesh& mesh)
{
    std::map<Edge, int> uses;
    for (const auto& face : mesh.faces) {
        for (std::size_t k = 0; k < face.size(); ++k) {
            const std::int32_t a = face[k];
            const std::int32_t b = face[(k + 1) % face.size()];
            ++uses[{std::min(a, b), std::max(a, b)}];
        }
    }
    return uses;
}

double faceArea(const rghost::build::HeadMesh& mesh, const std::vector<std::int32_t>& face)
{
    V3d sum(0.0);
    for (std::size_t k = 0; k < face.size(); ++k) {
        sum += mesh.points[face[k]] % mesh.points[face[(k + 1) % face.size()]];
    }
    return 0.5 * sum.length();
}

class SoundHead : public testing::TestWithParam<heads::HeadOptions> {};

TEST_P(SoundHead, IsAManifoldWithOpeningsInFrontOfItsEyeballs)
{
    const heads::GeneratedHead generated = heads::generateHead(GetParam());
    const auto& mesh = generated.head;
    const auto uses = edgeUses(mesh);
    for (const auto& [edge, count] : uses) {
        ASSERT_LE(count, 2) << "edge " << edge.first << "-" << edge.second;
    }
    const double eyeballRadius = generated.eyes[0].radius;
    for (const auto& face : mesh.faces) {
        ASSERT_EQ(std::set<std::int32_t>(face.begin(), face.end()).size(), face.size());
        ASSERT_GT(faceArea(mesh, face), 1e-6 * eyeballRadius * eyeballRadius);
    }
    ASSERT_EQ(generated.eyes.size(), 2u);
    for (const heads::GeneratedEye& eye : generated.eyes) {
        SCOPED_TRACE(eyeSideName(eye.side));
        ASSERT_EQ(eye.margin.size(), 4u * GetParam().openingCells);
        V3d middle(0.0);
        for (std::size_t k = 0; k < eye.margin.size(); ++k) {
            const std::int32_t a = eye.margin[k];
            const std::int32_t b = eye.margin[(k + 1) % eye.margin.size()];
            EXPECT_TRUE(uses.count({std::min(a, b), std::max(a, b)})) << "margin edge " << a << "-" << b;
            middle += mesh.points[a] / static_cast<double>(eye.margin.size());
        }
        // The opening looks the way the eye does, out of the front or the side of the head.
        const V3d looking = (middle - eye.center).normalized();
        EXPECT_GT(looking ^ generated.front, GetParam().layout == heads::EyeLayout::Sides ? -0.1 : 0.7);
        const double width = (mesh.points[eye.innerCorner] - mesh.points[eye.outerCorner]).length();
        EXPECT_NEAR(width, 2 * 0.78 * 1.02 * eye.radius, 0.05 * eye.radius);
        // The outer corner is the one towards the character's side of the eye.
        const double sideSign = eye.side == EyeSide::Left ? 1.0 : -1.0;
        EXPECT_GT(sideSign * ((mesh.points[eye.outerCorner] - mesh.points[eye.innerCorner]) ^ generated.left), 0.0);
        for (const V3d& p : eye.eyeball.points) {
            EXPECT_NEAR((p - eye.center).length(), eye.radius, GetParam().eyeballNoise * eye.radius * 1.0001);
        }
    }
    EXPECT_GT((generated.eyes[0].center - generated.eyes[1].center) ^ generated.left, 0.0);
}

TEST_P(SoundHead, WritesItsEyeballsAsTheFormAsks)
{
    const heads::GeneratedHead generated = heads::generateHead(GetParam());
    const std::string obj = heads::formatHeadObj(generated);
    const auto count = [&](const char* pattern) {
        const std::regex line(pattern);
        return std::distance(std::sregex_iterator(obj.begin(), obj.end(), line), std::sregex_iterator());
    };
    std::size_t points = generated.head.points.size();
    std::size_t faces = generated.head.faces.size();
    for (const auto& eye : generated.eyes) {
        points += eye.eyeball.points.size();
        faces += eye.eyeball.faces.size();
    }
    EXPECT_EQ(count("(^|\n)v "), static_cast<long>(points));
    EXPECT_EQ(count("(^|\n)f "), static_cast<long>(faces));
    const heads::EyeballForm form = GetParam().eyeballs;
    EXPECT_EQ(count("(^|\n)o eyeball_[LR]\n"), form == heads::EyeballForm::Objects ? 2 : 0);
    EXPECT_EQ(count("(^|\n)g eyeball_[LR]\n"), form == heads::EyeballForm::Groups ? 2 : 0);
}

std::string headName(const testing::TestParamInfo<heads::HeadOptions>& info)
{
    return heads::headName(info.param);
}

INSTANTIATE_TEST_SUITE_P(Variety, SoundHead, testing::ValuesIn(heads::headVariety()), headName);

TEST(GeneratedHeads, AreTheSameForASeedAndDifferForAnother)
{
    heads::HeadOptions options;
    const heads::GeneratedHead first = heads::generateHead(options);
    EXPECT_EQ(heads::formatHeadObj(first), heads::formatHeadObj(heads::generateHead(options)));
    options.seed = 2;
    EXPECT_NE(heads::formatHeadObj(first), heads::formatHeadObj(heads::generateHead(options)));
}

TEST(GeneratedHeads, GrowToTheSizeAsked)
{
    for (const std::size_t size : {20000u, 80000u}) {
        const double made = static_cast<double>(heads::generateHead(heads::headOfSize(size)).head.points.size());
        EXPECT_NEAR(made / static_cast<double>(size), 1.0, 0.15) << size;
    }
}

// A broken head is broken only the way it says: its faces stay faces, and only
// the non-manifold one has an edge with more than two.
TEST(GeneratedHeads, BrokenOnesAreBrokenOnlyAtTheVerticesNamed)
{
    for (const heads::HeadOptions& options : heads::brokenHeads()) {
        const heads::GeneratedHead generated = heads::generateHead(options);
        SCOPED_TRACE(generated.name);
        const bool atVertices = options.defect == heads::Defect::PoleAtLoop ||
                                options.defect == heads::Defect::NonManifoldMargin ||
                                options.defect == heads::Defect::ZeroAreaMargin;
        EXPECT_EQ(!generated.culprits.empty(), atVertices);
        for (const std::int32_t culprit : generated.culprits) {
            ASSERT_GE(culprit, 0);
            ASSERT_LT(static_cast<std::size_t>(culprit), generated.head.points.size());
        }
        for (const auto& face : generated.head.faces) {
            ASSERT_GE(face.size(), 3u);
            ASSERT_EQ(std::set<std::int32_t>(face.begin(), face.end()).size(), face.size());
        }
        int crowdedEdges = 0;
        for (const auto& [edge, count] : edgeUses(generated.head)) {
            crowdedEdges += count > 2 ? 1 : 0;
        }
        EXPECT_EQ(crowdedEdges > 0, options.defect == heads::Defect::NonManifoldMargin);
    }
}

} // namespace
