// Soft-region groups split into runs and applied over several threads give
// exactly what applying the groups one at a time gives. Built into its own
// executable so it also runs under ThreadSanitizer.

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <random>

#include <oneapi/tbb/global_control.h>

#include "SoftRegionRig.h"
#include "geometry/lidGeometry.h"
#include "solve/parallelInvoke.h"

namespace {

TEST(SoftRegionRuns, AGroupStartsARunWhenItDependsOnTheRunSoFar)
{
    // Pivot, aim, count, members; points 0..9 exist.
    struct Case {
        const char* what;
        std::vector<std::int32_t> list;
        std::vector<std::size_t> runEnds;
    };
    const Case cases[] = {
        {"independent groups", {0, 1, 1, 2, 0, 1, 2, 3, 4, 5, 6, 1, 7}, {3}},
        {"pivot moved by an earlier group", {0, 1, 1, 2, 2, 3, 1, 4}, {1, 2}},
        {"aim moved by an earlier group", {0, 1, 1, 2, 5, 2, 1, 4}, {1, 2}},
        {"member moved by an earlier group", {0, 1, 2, 2, 3, 5, 6, 1, 3}, {1, 2}},
        {"member that is an earlier pivot", {0, 1, 1, 2, 5, 6, 1, 0}, {1, 2}},
        {"member that is an earlier aim", {0, 1, 1, 2, 5, 6, 1, 1}, {1, 2}},
        {"own pivot among the members", {0, 1, 2, 0, 2, 5, 6, 1, 3}, {2}},
        {"run restarts after a break", {0, 1, 1, 2, 2, 3, 1, 4, 5, 6, 1, 2, 7, 8, 1, 4}, {1, 2, 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const SoftRegionRig rig(std::vector<V3d>(10, V3d(0.0)), std::vector<float>(10, 1.0f), c.list);
        EXPECT_EQ(rig.state.runEnds, c.runEnds);
    }
}

// A long list of groups that follow lid-like anchors with three members of
// their own each, but for a few groups that depend on earlier ones, so that it
// breaks into a few long runs and some short ones.
std::vector<std::int32_t> longSoftRegionList(std::mt19937& random, std::int32_t anchorCount, std::size_t groupCount)
{
    std::uniform_int_distribution<std::int32_t> anchor(0, anchorCount - 1);
    std::vector<std::int32_t> list;
    std::int32_t nextMember = anchorCount;
    for (std::size_t g = 0; g < groupCount; ++g) {
        std::vector<std::int32_t> group = {anchor(random), anchor(random), 3,
                                           nextMember,     nextMember + 1, nextMember + 2};
        nextMember += 3;
        if (g == 150)
            group[0] = anchorCount + 7; // follows a pivot an earlier group moved
        if (g == 300)
            group[4] = anchorCount + 460; // moves a member again
        if (g == 301)
            group[5] = list[list.size() - 6]; // moves the pivot of the group before
        if (g == 420)
            group[1] = anchorCount + 3 * 400; // aims at a vertex an earlier group moved
        list.insert(list.end(), group.begin(), group.end());
    }
    return list;
}

TEST(SoftRegionParallel, GroupsSplitOverThreadsGiveTheOneByOnePoints)
{
    constexpr std::int32_t kAnchors = 60;
    constexpr std::size_t kGroups = 500;
    const std::int32_t pointCount = kAnchors + 3 * static_cast<std::int32_t>(kGroups);
    std::mt19937 random(11);
    std::uniform_real_distribution<double> coordinate(-4.0, 4.0);
    std::uniform_real_distribution<float> weight(-0.2f, 1.3f);
    std::vector<V3d> rest;
    std::vector<float> weights;
    for (std::int32_t i = 0; i < pointCount; ++i) {
        rest.push_back(V3d(coordinate(random), coordinate(random), coordinate(random)));
        weights.push_back(weight(random));
    }
    const std::vector<std::int32_t> list = longSoftRegionList(random, kAnchors, kGroups);
    M44d geometryMatrix = rotationBetween(V3d(1, 0, 0), V3d(0.6, 0.8, 0));
    setMatrixRow(geometryMatrix, 3, V3d(1.0, -2.0, 0.5));
    const auto moveAnchors = [&](std::vector<V3d>& points, int frame) {
        for (std::int32_t i = 0; i < kAnchors; ++i)
            points[i] += V3d(0.05 * frame, 0.1 * std::sin(i + frame), -0.02 * i);
    };

    SoftRegionRig whole(rest, weights, list, geometryMatrix);
    // Several runs, some long enough to be split over threads.
    const std::vector<std::size_t>& runEnds = whole.state.runEnds;
    ASSERT_GE(runEnds.size(), 5u);
    EXPECT_EQ(runEnds[0], 150u);
    for (int frame = 1; frame <= 3; ++frame) {
        SCOPED_TRACE(frame);
        // The reference: each group in a state of its own, applied in list order.
        std::vector<V3d> expected = rest;
        moveAnchors(expected, frame);
        double lastRatio = 0.0;
        for (std::size_t position = 0; position < list.size(); position += 6) {
            const auto group = list.begin() + static_cast<std::ptrdiff_t>(position);
            SoftRegionRig single(rest, weights, std::vector<std::int32_t>(group, group + 6), geometryMatrix);
            single.points = expected;
            applySoftRegion(single.state, single.points, single.weights);
            expected = single.points;
            lastRatio = single.state.currentRatio;
        }
        for (const bool oneThread : {false, true}) {
            std::optional<tbb::global_control> limit;
            if (oneThread)
                limit.emplace(tbb::global_control::max_allowed_parallelism, 1);
            // Several times, with a worker woken first as a deform call does,
            // so that ranges do run on other threads.
            for (int repeat = 0; repeat < 20; ++repeat) {
                whole.points = rest;
                moveAnchors(whole.points, frame);
                wakeParallelWorker();
                applySoftRegion(whole.state, whole.points, whole.weights);
                ASSERT_EQ(whole.points, expected) << (oneThread ? "one thread" : "all threads");
                ASSERT_EQ(whole.state.currentRatio, lastRatio);
            }
        }
    }
}

} // namespace
