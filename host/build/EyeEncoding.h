#pragma once

#include <cstdint>
#include <vector>

#include "build/EyeInputs.h"
#include "build/EyeLayout.h"

namespace rghost::build {

// Fraction of the way from the open lower margin to the open upper one where
// the lids meet when the eye closes, in the middle of the eye: the upper lid
// travels further.
constexpr double kClosedLineHeight = 0.35;

// Mount size of both lids: the skin rows' weights lift them by a hundredth
// of this per unit of weight.
constexpr double kMountSize = 10.0;

// Fraction of its lid's travel by which a crease follows the lid as it closes.
constexpr double kCreaseFollow = 0.15;

// The node inputs of one eye laid out by `layout`, in the rig's open pose:
// the open pose is the modelled one, closing takes both lids to a line
// between their margins, the creases follow their lids a little, the corners
// hold still when the eye is open. Records the eyeball surface in `rig` and
// sets the weights of the lid skin rows, which lift them off the straight
// span from margin to crease as modelled.
EyeInputs encodeEye(Rig& rig, const EyeLayout& layout);

// The eye's soft region: each loop column past the crease follows its crease
// vertex, pivoting about it and aiming at the last of `rings` face rings,
// which stays put. None when fewer than two loops lie past the crease.
struct SoftGroup {
    std::int32_t pivot = -1;
    std::int32_t aim = -1;
    std::vector<std::int32_t> members;
};
std::vector<SoftGroup> softRegionGroups(const EyeLayout& layout, int rings);

// An odd margin's vertex left over (see MarginSplit) and its loop column,
// from the socket rows to the crease: each follows the segment from the
// outer corner's column to the neighbouring lid column at its ring, the only
// way the node moves a vertex by two others. Empty for an even margin.
std::vector<SoftGroup> leftOverColumnGroups(const EyeLayout& layout);

// The groups as the soft-region list holds them: pivot, aim, count, members.
void appendSoftRegion(std::vector<std::int32_t>& list, const std::vector<SoftGroup>& groups);

} // namespace rghost::build
