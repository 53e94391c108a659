#pragma once

// Byte-driven changes to the inputs of a deform call: what a careless or hostile
// host could hand the node. A change puts new values into the map instead of
// editing the ones already there, so the rig a case started from stays intact.

#include <fuzzer/FuzzedDataProvider.h>

#include "rg/AttributeMap.h"
#include "rg/RgDeformData.h"

// What one deform call is given.
struct DeformCase {
    AttributeMap attributes;
    RgDeformData data;
};

// Applies one change that the next bytes choose: a key removed, emptied, given
// another class or copied from elsewhere; a list resized or an entry, value or
// curve set to an edge value; points, weights, matrix or the geometry flag
// changed; the cache switched; the envelope set; or everything back to `rest`,
// the case the node started from.
void mutateDeformCase(FuzzedDataProvider& bytes, const DeformCase& rest, DeformCase& deformCase);

// Smoothing pass counts in the billions are valid and only make a call run for
// minutes; they are folded into a small range so every input stays quick.
void keepCallShort(DeformCase& deformCase);
