#include "overlay/Overlay.h"

#include <algorithm>
#include <iterator>

namespace rghost {

namespace {

template <typename Mark>
std::vector<Mark> marksOf(const std::vector<Mark>& marks, const OverlayCategories& categories)
{
    std::vector<Mark> kept;
    std::copy_if(marks.begin(), marks.end(), std::back_inserter(kept),
                 [&categories](const Mark& mark) { return categories.count(mark.category) != 0; });
    return kept;
}

} // namespace

Overlay overlayOf(const Overlay& overlay, const OverlayCategories& categories)
{
    return {marksOf(overlay.lines, categories), marksOf(overlay.points, categories),
            marksOf(overlay.labels, categories)};
}

} // namespace rghost
