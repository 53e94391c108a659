#pragma once

#include <cstdint>

#include "processorLevel.h"
#include "rowPlacement.h"

// Row vertices of several lid columns placed at once in SIMD lanes: lane j
// works on column j of a run of consecutive columns and does exactly what the
// scalar placement does for it, operation for operation (no fused multiply-add,
// no reordering, IEEE division and square root), so every lane gives the
// scalar bits.
//
// The caller guarantees that the columns name every point once between them,
// so the order in which their vertices are written does not matter, and that
// every map (toRig, centerFrameInv, turn, both carries) is affine. A vertex k
// is left unwritten for every lane, and needsScalar[k] set, when any lane meets
// a case the lanes leave to the scalar code: a placed point whose coordinates
// do not sum to a finite number (which any non-finite input or intermediate
// leads to), or a length small enough for Imath's tiny-vector path. Other
// vertices get needsScalar[k] = 0.

// Columns placed at once: two doubles fill an SSE2 register.
constexpr std::uint32_t kRowPlacementLanes = 2;

using CenterRowLanesFunction = void (*)(const RowPlacementContext& context, const CenterRowPlan* plans,
                                        std::uint32_t rowCount, std::uint8_t* needsScalar);
using BetweenRowLanesFunction = void (*)(const RowPlacementContext& context, const BetweenRowPlan* plans,
                                         std::uint32_t rowCount, std::uint8_t* needsScalar);

// One instruction-set build's row functions, each taking kRowPlacementLanes
// plans; null where no build runs, and columns are placed one at a time.
struct RowPlacementLanes {
    CenterRowLanesFunction centerRows = nullptr;
    BetweenRowLanesFunction betweenRows = nullptr;
};

// The build for a processor of `level`.
RowPlacementLanes rowPlacementLanesForLevel(ProcessorLevel level);

// The build for this processor.
RowPlacementLanes rowPlacementLanes();

// The x86 build; other processors have none. A four-column AVX build of the
// same source gave the same bits but made whole deform calls slower on the
// machines measured, so there is none.
namespace rowPlacementLanesSse2 {
void placeCenterRows(const RowPlacementContext&, const CenterRowPlan*, std::uint32_t, std::uint8_t*);
void placeBetweenRows(const RowPlacementContext&, const BetweenRowPlan*, std::uint32_t, std::uint8_t*);
} // namespace rowPlacementLanesSse2
