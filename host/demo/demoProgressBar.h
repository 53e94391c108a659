#pragma once

#include <cstddef>
#include <string>

namespace rghost {

// "[#######-------------]  7/20": `done` of `total` steps as a bar `width`
// characters wide, followed by the count.
std::string formatProgressBar(std::size_t done, std::size_t total, std::size_t width = 30);

} // namespace rghost
