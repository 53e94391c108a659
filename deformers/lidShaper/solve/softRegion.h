#pragma once

#include <string>

#include "prepare/workingState.h"

// Soft-region groups: each group of vertices follows the motion of a pivot and an
// aim vertex from the rest pose captured at build time to the current points,
// each member as far as its weight says.
//
// The list format, front to back: pivot index, aim index, member count K, then K
// member indices; repeated. Entries of -1 are skipped wherever they stand.

// Why `indices` cannot be read as groups over `pointCount` points with
// `weightCount` weights ("" when it can): a record cut off at the end, a count
// below 1, or an index outside the points or weights. Names the list position.
std::string findSoftRegionProblem(const std::vector<std::int32_t>& indices, std::size_t pointCount,
                                  std::size_t weightCount);

// What a build may keep from the last one: its groups and runs when
// state.indices is the list it parsed; also the rest frame of every group whose
// pivot and aim are where they were, when the geometry matrix is the same.
struct SoftRegionReuse {
    bool sameList = false;
    bool sameMatrix = false;
};

// Parses state.indices into groups and records each group's rest frame from
// `points`, the call's points. The list must be well formed
// (findSoftRegionProblem). What `reuse` allows is kept instead of derived
// again: the state is the same either way.
void buildSoftRegion(SoftRegionState& state, const std::vector<V3d>& points, SoftRegionReuse reuse = {});

// Moves every group member among the call's `points` by its group's current
// frame, scaled by its weight.
void applySoftRegion(SoftRegionState& state, std::vector<V3d>& points, const std::vector<float>& weights);
