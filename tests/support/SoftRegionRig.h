#pragma once

#include <utility>
#include <vector>

#include "solve/softRegion.h"

// Points, weights and the node's soft-region state, built from a list the way
// the driver builds it.
struct SoftRegionRig {
    SoftRegionRig(std::vector<V3d> restPoints, std::vector<float> pointWeights, std::vector<std::int32_t> list,
                  const M44d& geometryMatrix = M44d())
        : points(std::move(restPoints)), weights(std::move(pointWeights))
    {
        state.indices = std::move(list);
        state.geometryMatrix = geometryMatrix;
        state.geometryInverse = geometryMatrix.inverse();
        buildSoftRegion(state, points);
    }
    std::vector<V3d> points;
    std::vector<float> weights;
    SoftRegionState state;
};
