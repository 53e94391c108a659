#pragma once

#include <cstdint>

#include "rowPlacement.h"

// One vertex of a prepared row placed in the scalar way: row vertex k, read
// from its world point p, is written to context.points. The lane builds place
// several columns' vertex k at once with the same operations in the same order.

void placeCenterRowVertex(const RowPlacementContext& context, const CenterRowPlan& plan, std::uint32_t k,
                          const Imath::V3d& p);

void placeBetweenRowVertex(const RowPlacementContext& context, const BetweenRowPlan& plan, std::uint32_t k,
                           const Imath::V3d& p);
