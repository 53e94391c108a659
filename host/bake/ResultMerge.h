#pragma once

#include <string>
#include <vector>

namespace rghost {

// Joins result files of chunks of one bake (for example farm tasks given
// --frames ranges) into `output`, byte for byte the file one run over all
// their frames writes. The chunks may be given in any order; they must come
// from the same node with the same point count, and their frames must follow
// on from one another without overlap or gap. Each chunk is read one frame at
// a time, so memory does not grow with their size. Throws std::invalid_argument
// naming the chunk for anything else (nothing is written then), and
// std::runtime_error when `output` cannot be written.
void mergeResultFiles(const std::vector<std::string>& chunks, const std::string& output);

} // namespace rghost
