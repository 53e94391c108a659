#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "lint/FindingCollector.h"
#include "core/ControlReference.h"
#include "rg/RgData.h"

namespace rghost {

// Whether the index list `key`, holding `data`, names a point outside the
// rig's `pointCount` points: an error naming the first such entry and how many
// more there are. Only entries that name points count (a pivot-and-aim list's
// member counts and -1 separators do not).
std::optional<Observation> checkIndices(const ControlReference& reference, const std::string& key,
                                        const std::shared_ptr<RgData>& data, std::size_t pointCount);

} // namespace rghost
