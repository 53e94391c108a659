#include "lint/IndexCheck.h"

#include <cstdint>
#include <vector>

namespace rghost {

namespace {

// The positions of a list's entries that name points.
std::vector<std::size_t> pointEntries(IndexList layout, const std::vector<std::int32_t>& values)
{
    std::vector<std::size_t> positions;
    if (layout == IndexList::Points) {
        positions.resize(values.size());
        for (std::size_t i = 0; i < values.size(); ++i) {
            positions[i] = i;
        }
        return positions;
    }
    enum class Next { Pivot, Aim, Count, Member } next = Next::Pivot;
    std::int64_t membersLeft = 0;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (values[i] == -1) {
            continue;
        }
        switch (next) {
        case Next::Pivot:
            positions.push_back(i);
            next = Next::Aim;
            break;
        case Next::Aim:
            positions.push_back(i);
            next = Next::Count;
            break;
        case Next::Count:
            membersLeft = values[i];
            next = membersLeft > 0 ? Next::Member : Next::Pivot;
            break;
        case Next::Member:
            positions.push_back(i);
            next = --membersLeft > 0 ? Next::Member : Next::Pivot;
            break;
        }
    }
    return positions;
}

} // namespace

std::optional<Observation> checkIndices(const ControlReference& reference, const std::string& key,
                                        const std::shared_ptr<RgData>& data, std::size_t pointCount)
{
    const auto list = std::dynamic_pointer_cast<const RgInt>(data);
    if (!list) {
        return std::nullopt;
    }
    std::size_t outside = 0;
    std::size_t first = 0;
    for (const std::size_t position : pointEntries(reference.indexList, list->values)) {
        const std::int32_t index = list->values[position];
        if (index < 0 || static_cast<std::size_t>(index) >= pointCount) {
            first = outside++ == 0 ? position : first;
        }
    }
    if (outside == 0) {
        return std::nullopt;
    }
    return errorObservation(FindingKind::PointIndex,
                            key + " holds " + std::to_string(list->values[first]) + " at [" + std::to_string(first) +
                                "], outside the rig's " + std::to_string(pointCount) + " points" +
                                (outside > 1 ? " (and " + std::to_string(outside - 1) + " more)" : ""));
}

} // namespace rghost
