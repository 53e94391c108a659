#pragma once

#include <vector>

#include <Imath/ImathVec.h>

#include "sample/SampleEyeMesh.h"
#include "sample/SampleRigEye.h"

namespace rghost {

// What one sample eye hands the node, worked out from the face's shape and the
// eye's mesh.

// The lids in the eyeball's surface parameters, for `columns` columns: both
// close on one line, so they share their inner parameters; the move vectors
// and minor curves take each lid from there to its open margin; the outer
// parameters and the offsets of the outer vertices let each crease follow its
// lid.
void encodeLidShapes(SampleEye& eye, int columns);

// The index lists of both lids and the corner list, the corner offsets that
// hold the open pose still (read from the rest `points`), and, with
// `softRegion`, the groups that carry the face rings with the creases.
void encodeEyeLists(SampleEye& eye, const EyeMesh& mesh, const std::vector<Imath::V3d>& points, bool softRegion);

} // namespace rghost
