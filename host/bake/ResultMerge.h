#pragma once

#include <string>
#include <vector>

namespace rghost {

// Joins result files of chunks of one bake (for example farm tasks given
// --frames ranges) into `output`, byte for byte the file one run over all
// their frames writes. The chunks may be given in any order; they must come
// from the same node with the same point count, and their frames must follow
// on from one another without overlap or gap. Every line copied is checked
// first (see ResultReader), one frame at a time, so memory does not grow with
// the chunks' size. Throws std::invalid_argument naming the chunk and the
// fault (nothing is written then), also when `output` would replace one of
// the chunks, and std::runtime_error when `output` cannot be written.
void mergeResultFiles(const std::vector<std::string>& chunks, const std::string& output);

} // namespace rghost
