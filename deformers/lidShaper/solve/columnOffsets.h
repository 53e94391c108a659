#pragma once

#include <cstdint>
#include <vector>

#include "prepare/workingState.h"

// Where one lid's columns send their inner and outer vertices, before any
// vertex moves: the offsets from rest, then the outer row smoothed outwards.

// Writes every column's inner and outer offsets, move and rest weights and
// unsmoothed outer parameters. The lid takes its move vectors from the upper
// and lower lids' columns (one of which is its own); outerUV holds the outer
// vertices' rest parameters and outerControl how far the outer row slides.
void computeColumnOffsets(LidState& lid, const std::vector<LidColumn>& upperColumns,
                          const std::vector<LidColumn>& lowerColumns, double outerControl,
                          const std::vector<V3d>& outerUV);

// Smooths the outer row's v in up to `passes` left-to-right passes, keeping
// only the updates that push the row away from the lid's margin.
void smoothOuterRow(LidState& lid, std::int32_t passes);
