// Rigs built from heads modelled unlike the sample face: each eye's own
// corners and sides found as modelled, and lid columns that keep their order
// across the eye on every frame. (What every built rig must do on the node
// besides is BuiltRigQualityTest's; reading heads and refusing broken ones,
// BuildPiecesTest's and BadInputTest's.)

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>

#include <gtest/gtest.h>

#include "BuildTestSupport.h"
#include "GeneratedHead.h"
#include "build/RigBuilder.h"
#include "core/Plugin.h"
#include "core/RigRunner.h"

using namespace rigContract;

namespace {

using buildtest::indices;
using Imath::V3d;
using rghost::Rig;
using rghost::build::EyeReport;

struct HeadCase {
    heads::GeneratedHead generated;
    rghost::build::BuiltRig built;
    std::string refused; // why the builder refused the head, if it did
};

// Each head is generated and built once for all the tests that look at it.
const HeadCase& builtHead(const heads::HeadOptions& options)
{
    static std::map<std::string, std::unique_ptr<HeadCase>> built;
    auto& entry = built[heads::headName(options)];
    if (!entry) {
        entry = std::make_unique<HeadCase>();
        entry->generated = heads::generateHead(options);
        try {
            entry->built = rghost::build::buildRig(entry->generated.head, entry->generated.eyeballInputs());
        } catch (const std::exception& error) {
            entry->refused = error.what();
        }
    }
    return *entry;
}

// One lid's rows as the rig lists them, each from column to column; socket rows first.
struct Lid {
    std::vector<std::vector<std::int32_t>> rows; // socket rows, margin, skin rows, crease
    std::size_t socketRows = 0;
};

Lid lidOf(const Rig& rig, EyeSide side, const std::string& lid)
{
    const auto& margin = indices(rig, side, lid + "LidInnerIdxs");
    const std::size_t columns = margin.size();
    const auto byColumn = [&](const std::string& field) {
        const auto& grouped = indices(rig, side, lid + field);
        std::vector<std::vector<std::int32_t>> rows(grouped.size() / columns);
        for (std::size_t row = 0; row < rows.size(); ++row) {
            for (std::size_t column = 0; column < columns; ++column) {
                rows[row].push_back(grouped[column * rows.size() + row]);
            }
        }
        return rows;
    };
    Lid result;
    result.rows = byColumn("LidCenterIdxs");
    result.socketRows = result.rows.size();
    result.rows.push_back(margin);
    for (auto& row : byColumn("LidBetweenIdxs")) {
        result.rows.push_back(row);
    }
    result.rows.push_back(indices(rig, side, lid + "LidOuterIdxs"));
    return result;
}

class GeneratedHeadRig : public testing::TestWithParam<heads::HeadOptions> {
protected:
    void SetUp() override
    {
        head_ = &builtHead(GetParam());
        ASSERT_EQ(head_->refused, "");
    }
    const HeadCase& head() const { return *head_; }

private:
    const HeadCase* head_ = nullptr;
};

TEST_P(GeneratedHeadRig, FindsEachEyesOwnCornersOnItsOwnSide)
{
    ASSERT_EQ(head().built.eyes.size(), 2u);
    for (std::size_t e = 0; e < 2; ++e) {
        const heads::GeneratedEye& modelled = head().generated.eyes[e];
        const EyeReport& found = head().built.eyes[e];
        SCOPED_TRACE(eyeSideName(modelled.side));
        EXPECT_EQ(found.side, modelled.side);
        ASSERT_EQ(found.marginSize, modelled.margin.size());
        // On a dense opening the neighbours of a corner lie almost as far out: a step per 80 vertices is allowed.
        const long size = static_cast<long>(modelled.margin.size());
        const auto stepsApart = [&](std::int32_t a, std::int32_t b) {
            const auto at = [&](std::int32_t k) {
                return std::find(modelled.margin.begin(), modelled.margin.end(), k) - modelled.margin.begin();
            };
            const long d = std::labs(at(a) - at(b)) % size;
            return std::min(d, size - d);
        };
        EXPECT_LE(stepsApart(found.innerCorner, modelled.innerCorner), size / 80);
        EXPECT_LE(stepsApart(found.outerCorner, modelled.outerCorner), size / 80);
        EXPECT_NEAR(found.eyeballRadius, modelled.radius, 0.01 * modelled.radius);
    }
}

TEST_P(GeneratedHeadRig, KeepsTheLidColumnsInOrderOnEveryFrame)
{
    const Rig& rig = head().built.rig;
    const std::vector<rghost::FrameResult> frames = rghost::runRig(rghost::Plugin(LIDSHAPER_PLUGIN_PATH), rig);
    const std::vector<V3d> rest(rig.geometry.points.begin(), rig.geometry.points.end());
    for (const EyeReport& eye : head().built.eyes) {
        SCOPED_TRACE(eyeSideName(eye.side));
        // How far across the eye, from the inner corner towards the outer, a point lies. A blink
        // turns the lids about this direction, so the columns keep their order along it.
        const V3d across = (rest[eye.outerCorner] - rest[eye.innerCorner]).normalized();
        const auto acrossEye = [&](const V3d& p) { return (p - eye.eyeballCenter) ^ across; };
        for (const char* lidName : {"upper", "lower"}) {
            const Lid lid = lidOf(rig, eye.side, lidName);
            // The socket rows run towards the eye's centre, out of sight: their order is left out.
            for (std::size_t r = lid.socketRows; r < lid.rows.size(); ++r) {
                const auto& row = lid.rows[r];
                // Near a corner the loops may run almost straight out, so neighbours lie nearly level
                // there: columns count as swapped once they pass a quarter of the row's usual spacing.
                std::vector<double> spacing;
                for (std::size_t c = 0; c + 1 < row.size(); ++c) {
                    spacing.push_back(std::abs(acrossEye(rest[row[c + 1]]) - acrossEye(rest[row[c]])));
                }
                std::nth_element(spacing.begin(), spacing.begin() + spacing.size() / 2, spacing.end());
                const double allowed = 0.25 * spacing[spacing.size() / 2];
                for (const rghost::FrameResult& frame : frames) {
                    for (std::size_t c = 0; c + 1 < row.size(); ++c) {
                        const double restStep = acrossEye(rest[row[c + 1]]) - acrossEye(rest[row[c]]);
                        const double step = acrossEye(frame.points[row[c + 1]]) - acrossEye(frame.points[row[c]]);
                        ASSERT_GT(restStep > 0 ? step : -step, -allowed)
                            << lidName << " lid, frame " << frame.frame << ": columns " << c << " and " << c + 1
                            << " of row " << r << " swapped (vertices " << row[c] << " and " << row[c + 1] << ")";
                    }
                }
            }
        }
    }
}

std::string nameOf(const testing::TestParamInfo<heads::HeadOptions>& info)
{
    return heads::headName(info.param);
}

INSTANTIATE_TEST_SUITE_P(Heads, GeneratedHeadRig, testing::ValuesIn(heads::headVariety()), nameOf);

// Heads tipped every way, built without being told their up: the sides come
// from the heads' own shape, where no world axis tells them.
std::vector<heads::HeadOptions> tippedHeads()
{
    std::vector<heads::HeadOptions> tipped;
    for (const V3d& up : {V3d(0.0, -1.0, 0.0), V3d(0.6, -0.7, 0.4), V3d(-1.0, 0.2, 0.1), V3d(0.1, 0.3, -1.0)}) {
        heads::HeadOptions options;
        options.seed = 40 + tipped.size();
        options.up = up;
        options.turnDegrees = 35.0 * static_cast<double>(tipped.size());
        tipped.push_back(options);
    }
    return tipped;
}

INSTANTIATE_TEST_SUITE_P(Tipped, GeneratedHeadRig, testing::ValuesIn(tippedHeads()), nameOf);

} // namespace
