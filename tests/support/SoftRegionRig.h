#pragma once

#include <utility>
#include <vector>

#include "softRegion.h"

// Points, weights and the node's soft-region state, built from a list the way
// the driver builds it. The state points at the rig's own lists: a rig must not
// move once built.
struct SoftRegionRig {
    SoftRegionRig(std::vector<V3d> restPoints, std::vector<float> pointWeights, std::vector<std::int32_t> list,
                  const M44d& geometryMatrix = M44d())
        : points(std::move(restPoints)), weights(std::move(pointWeights))
    {
        state.indices = std::move(list);
        state.points = &points;
        state.weights = &weights;
        state.geometryMatrix = geometryMatrix;
        state.geometryInverse = geometryMatrix.inverse();
        buildSoftRegion(state);
    }
    SoftRegionRig(const SoftRegionRig&) = delete;
    SoftRegionRig& operator=(const SoftRegionRig&) = delete;

    std::vector<V3d> points;
    std::vector<float> weights;
    SoftRegionState state;
};
