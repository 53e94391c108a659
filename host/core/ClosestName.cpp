#include "core/ClosestName.h"

#include <algorithm>
#include <numeric>

namespace rghost {

namespace {

std::size_t editDistance(std::string_view a, std::string_view b)
{
    std::vector<std::size_t> row(b.size() + 1);
    std::iota(row.begin(), row.end(), std::size_t{0});
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

} // namespace

std::optional<std::string> closestName(std::string_view name, const std::vector<std::string>& candidates)
{
    std::size_t best = std::max<std::size_t>(1, name.size() / 3) + 1;
    std::optional<std::string> closest;
    for (const std::string& candidate : candidates) {
        const std::size_t distance = editDistance(name, candidate);
        if (distance < best) {
            best = distance;
            closest = candidate;
        }
    }
    return closest;
}

std::string didYouMean(std::string_view name, const std::vector<std::string>& candidates)
{
    const std::optional<std::string> closest = closestName(name, candidates);
    return closest ? " (did you mean '" + *closest + "'?)" : "";
}

} // namespace rghost
