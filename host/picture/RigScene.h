#pragma once

#include <map>
#include <string>
#include <vector>

#include <Imath/ImathVec.h>

#include "core/Rig.h"
#include "lidShaper/rigContract.h"
#include "picture/ContactSheet.h"

namespace rghost {

// The rig's faces laid over `points` (one frame's result), skin coloured, with
// the strips that run from the lid margins into the sockets a wet pink.
std::vector<Facet> meshFacets(const Rig& rig, const std::vector<Imath::V3d>& points);

// Every eyeball in `attributes` (one frame's map: each "...nurbsSphere" surface
// recorded in the rig, with its "...centerEye"), tessellated by evaluating the
// surface: white, with an iris and a pupil where the eye looks (towards the
// middle of the line where its lids close, which turns with the eyeball).
std::vector<Facet> eyeballFacets(const Rig& rig, const AttributeMap& attributes);

// One panel of a sheet: the eyeballs of `attributes` behind the rig's faces
// over `points`.
SheetPanel rigPanel(const Rig& rig, const AttributeMap& attributes, const std::vector<Imath::V3d>& points,
                    std::string caption);

// What a close-up of one eye frames: its eyeball, widened about its center so
// that the lids and the skin up to the creases show.
std::vector<Facet> eyeCloseUp(const Rig& rig, const AttributeMap& attributes, rigContract::EyeSide side);

// How a picture names a view on the command line: "front", "three-quarter", "side".
const std::map<std::string, SheetView>& sheetViewNames();

} // namespace rghost
