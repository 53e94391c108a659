#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/Rig.h"
#include "lint/RigFinding.h"
#include "rg/AttributeDescriptor.h"
#include "rg/RgNode.h"

namespace rghost {

// What a host can tell from the file and the node's declarations alone, frame
// by frame as each frame will be evaluated: top-level fields the format does
// not know; keys the node never reads, with the closest key it does read;
// missing or mistyped host settings; point indices outside the rig's points;
// controls outside their useful range (far outside: an error); values the
// node's cache keeps from the first frame that later frames change. Deform
// uses these to warn without changing what the node computes.
std::vector<RigFinding> checkRigInputs(const Rig& rig, const std::vector<AttributeDescriptor>& declared);

// checkRigInputs plus the node's own validation of every frame's attribute
// map (its first failing key per frame), ordered by the first frame each
// finding spans, the file's own findings first.
std::vector<RigFinding> validateRig(RgNode& node, const Rig& rig);

} // namespace rghost
