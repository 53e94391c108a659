#pragma once

#include <cstdint>
#include <vector>

#include "core/Rig.h"

// The least work any implementation of deform must do on a rig: every vertex it
// writes is read, taken to world space by the geometry matrix, taken back by its
// inverse and written.

// The vertices deform writes, each once, in the order deform first visits them:
// per eye (left, right) each lid's columns (upper, lower) with their inner,
// outer, center-row and between-row vertices, then each corner pair with the
// vertices carried along its span and around the eye center; then the members
// of the soft-region groups.
std::vector<std::int32_t> verticesDeformWrites(const rghost::Rig& rig);

// One pass of the floor's work over `vertices` of `data`.
void touchVertices(RgDeformData& data, const std::vector<std::int32_t>& vertices);
