#pragma once

#include <memory>
#include <optional>
#include <string>

#include "lint/FindingCollector.h"
#include "core/ControlReference.h"
#include "rg/AttributeMap.h"

namespace rghost {

// Whether the control `key`, holding `data` in a frame with `attributes`, is
// outside the useful range of its `reference`: a warning, or an error when it
// is past the range by more than the range's width or the range excludes its
// bounds. Bounds scaled by another control of the same eye use that control's
// value in this frame; none when the scaling control is missing or outside its
// own range (it has a finding of its own), or when `data` holds no number.
std::optional<Observation> checkRange(const ControlReference& reference, const std::string& key,
                                      const std::shared_ptr<RgData>& data, const AttributeMap& attributes);

} // namespace rghost
