#pragma once

#include <cstddef>
#include <cstdint>

#include "prepare/workingState.h"
#include "solve/lidInputs.h"

// Which of a lid's columns and rows share points. Columns that share none can
// be placed in any interleaving; a row that repeats a vertex must read it
// afresh after each write.

// Whether a row names one vertex twice, which only a degenerate rig does. Rows
// are a handful of vertices; longer ones are not searched and count as repeating.
bool namesAVertexTwice(const std::int32_t* rows, std::uint32_t rowCount);

// Whether columns [first, first + count) name no point twice between their
// inner and outer vertices and rows, among the rig's pointCount points. Marks
// the points it meets in state's point marks.
bool columnsNameEachPointOnce(EyeSolveState& state, std::size_t pointCount, const LidState& lid,
                              const LidInputs& inputs, std::size_t first, std::size_t count);
