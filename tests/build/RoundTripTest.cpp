// The sample face built again from its mesh alone: the builder must find the
// sample's own lists, however the face is turned, scaled or mirrored, and
// whether its eyeballs come as spheres or as rough meshes.

#include <gtest/gtest.h>

#include "BuildTestSupport.h"

using namespace rigContract;

namespace {

using buildtest::indexLists;
using buildtest::indices;
using Imath::M44d;
using Imath::V3d;

struct Placement {
    const char* name;
    M44d transform;
    bool mirrored;
};

std::vector<Placement> placements()
{
    M44d turned;
    turned.rotate(V3d(0.7, -1.9, 2.6));
    turned.setTranslation(V3d(12.0, -3.0, 40.0));
    M44d tiny;
    tiny.setScale(0.01);
    M44d huge;
    huge.setScale(100.0);
    huge.rotate(V3d(1.5707963267948966, 0.0, 0.0)); // a Z-up scene
    M44d mirror;
    mirror.setScale(V3d(-1.0, 1.0, 1.0));
    // Turned any way, the face's own shape tells up from down.
    return {{"as modelled", M44d(), false},
            {"turned", turned, false},
            {"scaled 0.01", tiny, false},
            {"scaled 100, Z up", huge, false},
            {"mirrored", mirror, true}};
}

// Every placement with the eyeballs as spheres, and with rough eyeball
// meshes: the sphere fitted to those misses the modelled one by a little,
// which must not move the margin.
std::vector<std::pair<Placement, bool>> placementsWithEyeballs()
{
    std::vector<std::pair<Placement, bool>> all;
    for (const Placement& placement : placements()) {
        all.emplace_back(placement, false);
        all.emplace_back(placement, true);
    }
    return all;
}

TEST(RoundTrip, FindsTheSampleListsForEveryOptionAndPlacement)
{
    std::vector<rghost::SampleRigOptions> variations(5);
    variations[1].columns = 7;
    variations[2].centerRows = 0;
    variations[2].betweenRows = 2;
    variations[3].columns = 40;
    variations[3].betweenRows = 9;
    variations[3].centerRows = 1;
    variations[4].softRegion = false;
    for (const rghost::SampleRigOptions& options : variations) {
        for (const auto& [placement, rough] : placementsWithEyeballs()) {
            const buildtest::SampleHead asModelled = buildtest::sampleHead(options, placement.transform);
            const buildtest::SampleHead made = rough ? buildtest::withRoughEyeballs(asModelled) : asModelled;
            rghost::build::BuildOptions buildOptions;
            buildOptions.softRegion = options.softRegion;
            const std::string where = std::string(placement.name) + (rough ? ", rough eyeballs" : "") + ", " +
                                      std::to_string(options.columns) + " columns, rows " +
                                      std::to_string(options.centerRows) + "/" + std::to_string(options.betweenRows);
            rghost::build::BuiltRig built;
            try {
                built = rghost::build::buildRig(made.head, made.eyeballs, buildOptions);
            } catch (const std::exception& error) {
                ADD_FAILURE() << where << ": " << error.what();
                continue;
            }
            for (EyeSide side : kEyeSides) {
                // Mirrored, the sample's right eye is the character's left.
                const EyeSide sampleSide =
                    placement.mirrored ? (side == EyeSide::Left ? EyeSide::Right : EyeSide::Left) : side;
                for (const std::string& list : indexLists()) {
                    EXPECT_EQ(indices(built.rig, side, list), indices(made.sample, sampleSide, list))
                        << where << ", " << eyeSideName(side) << " " << list;
                }
            }
            if (!placement.mirrored) {
                EXPECT_EQ(buildtest::attribute<RgInt>(built.rig.attributes, kSoftRegionKey).values,
                          buildtest::attribute<RgInt>(made.sample.attributes, kSoftRegionKey).values)
                    << where;
            }
        }
    }
}

} // namespace
