#pragma once

#include "MyNode.h"
#include "deformInputs.h"

// Everything deform does after its inputs are read: the per-eye checks, the
// cached and per-call preparation, the two eye solves, the soft region.
RgStatus runDeformDriver(MyNode& node, const DeformInputs& inputs);
