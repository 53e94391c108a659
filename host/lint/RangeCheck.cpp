#include "lint/RangeCheck.h"

#include <utility>

#include "core/AttributeValue.h"

namespace rghost {

namespace {

// The single number a control holds, whatever numeric class it has; the
// node's own validation reports a class it does not expect.
std::optional<double> singleNumber(const std::shared_ptr<RgData>& value)
{
    if (const auto d = std::dynamic_pointer_cast<const RgDouble>(value)) {
        return d->value;
    }
    if (const auto f = std::dynamic_pointer_cast<const RgFloat>(value)) {
        return f->value;
    }
    if (const auto i = std::dynamic_pointer_cast<const RgInt>(value)) {
        return i->value;
    }
    return std::nullopt;
}

// The useful range of `reference` for the eye of `key` in this frame, its
// scaled bounds resolved; none when a scaling control is missing or outside
// its own range (it has a finding of its own).
std::optional<UsefulRange> resolveRange(const ControlReference& reference, const std::string& key,
                                        const AttributeMap& attributes)
{
    UsefulRange range = *reference.range;
    for (auto [bound, scale] : {std::pair{&range.low, &range.lowScale}, std::pair{&range.high, &range.highScale}}) {
        if (scale->empty()) {
            continue;
        }
        const std::string scaleKey = siblingKey(key, *scale);
        const auto factor = valueAs<RgDouble>(attributes, scaleKey);
        if (!factor || checkRange(*findControl(scaleKey), scaleKey, attributes.at(scaleKey), attributes)) {
            return std::nullopt;
        }
        *bound *= factor->value;
        *scale = {};
    }
    return range;
}

} // namespace

std::optional<Observation> checkRange(const ControlReference& reference, const std::string& key,
                                      const std::shared_ptr<RgData>& data, const AttributeMap& attributes)
{
    const std::optional<double> value = singleNumber(data);
    const std::optional<UsefulRange> range = value ? resolveRange(reference, key, attributes) : std::nullopt;
    if (!range) {
        return std::nullopt;
    }
    const bool below = range->excludesBounds ? !(*value > range->low) : *value < range->low;
    const bool above = range->excludesBounds ? !(*value < range->high) : *value > range->high;
    if (!below && !above) {
        return std::nullopt;
    }
    // Past the range by more than its own width the lids are wrecked, not just
    // unusual; an open value on the wrong side of 0 divides by 0 or flips the lid.
    const double width = range->high - range->low;
    const bool far = range->excludesBounds || (below ? *value < range->low - width : *value > range->high + width);
    std::string rangeText = describeRange(*range);
    if (!reference.range->lowScale.empty() || !reference.range->highScale.empty()) {
        rangeText += " (" + describeRange(*reference.range) + ")";
    }
    return Observation{FindingKind::Range, far ? FindingSeverity::Error : FindingSeverity::Warning,
                       key + " is outside its useful range " + rangeText, value, above};
}

} // namespace rghost
