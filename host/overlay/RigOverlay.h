#pragma once

#include <string>
#include <vector>

#include <Imath/ImathMatrix.h>
#include <Imath/ImathVec.h>

#include "overlay/Overlay.h"
#include "rg/AttributeMap.h"

namespace rghost {

// The overlay of one frame, every category, read from the frame's inputs and
// the node's result alone:
// - `attributes`: the frame's attribute map, as the node was given it;
// - `points`: the points after the node's deform call (rig space);
// - `geometryMatrix`: takes rig space into world space, as the node's;
// - `errorLines`: what the node showed for the frame (the failure marks).
// Each eye is drawn from whatever of its inputs is there and usable: a missing
// list, a short list or an index outside `points` leaves out only the marks
// that need it, so a broken rig still shows what it has.
Overlay rigOverlay(const AttributeMap& attributes, const std::vector<Imath::V3d>& points,
                   const Imath::M44d& geometryMatrix, const std::vector<std::string>& errorLines = {});

} // namespace rghost
