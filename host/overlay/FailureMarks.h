#pragma once

#include <optional>
#include <string>
#include <vector>

#include "lidShaper/rigContract.h"
#include "overlay/Overlay.h"
#include "overlay/OverlayInputs.h"

namespace rghost {

// Where a node's error line points: an entry of one eye's list and, for the
// lid lists, the column that entry belongs to.
struct FailurePointer {
    rigContract::EyeSide side = rigContract::EyeSide::Left;
    std::string field;                 // "upperLidBetweenIdxs", "cornersIdxs", ...
    std::size_t position = 0;          // the entry of the list
    std::optional<std::size_t> column; // the lid column it belongs to
};

// What `line` points at: an entry named as "<eye key>[<position>]", or, for a
// check that names only a list ("upperLidOuterIdxs"), the first entry the
// first computed eye's list is short of. Nothing when the line names no list
// entry of `eyes`.
std::optional<FailurePointer> failurePointer(const std::string& line, const std::vector<EyeOverlayInputs>& eyes);

// Failure marks for `line`: the column it points at, drawn on its eyeball
// from inner to outer surface point and through its vertices, with the entry
// named beside it; or the named vertex of a corner list entry.
void addFailureMarks(Overlay& overlay, const std::vector<EyeOverlayInputs>& eyes, const WorldPoints& world,
                     const std::string& line);

} // namespace rghost
