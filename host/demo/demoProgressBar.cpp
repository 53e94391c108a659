#include "demo/demoProgressBar.h"

#include <algorithm>

namespace rghost {

std::string formatProgressBar(std::size_t done, std::size_t total, std::size_t width)
{
    const std::size_t shown = std::min(done, total);
    const std::size_t filled = total == 0 ? width : shown * width / total;
    const std::string count = std::to_string(shown) + "/" + std::to_string(total);
    const std::string totalText = std::to_string(total);
    // Pad the count to its final width so the line never shrinks while redrawn.
    const std::size_t countWidth = 2 * totalText.size() + 1;
    return "[" + std::string(filled, '#') + std::string(width - filled, '-') + "] "
        + std::string(countWidth - count.size(), ' ') + count;
}

} // namespace rghost
