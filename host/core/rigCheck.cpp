#include "core/rigCheck.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <tuple>
#include <utility>

#include <mayastandin/StandIn.h>

#include "core/closestName.h"
#include "core/controlReference.h"
#include "core/shortNumber.h"
#include "lidShaper/rigContract.h"
#include "rg/RgStatus.h"

namespace rghost {

namespace {

// One problem seen in one frame. Observations with the same severity and text
// in consecutive frames become one finding; a value that varies from frame to
// frame is kept apart as `value`, and the finding reports its extreme: the
// largest when the value is too large (`above`), else the smallest.
struct Observation {
    FindingKind kind = FindingKind::NodeValidation;
    FindingSeverity severity = FindingSeverity::Error;
    std::string text;
    std::optional<double> value;
    bool above = false;
};

Observation errorObservation(FindingKind kind, std::string text)
{
    Observation observation;
    observation.kind = kind;
    observation.text = std::move(text);
    return observation;
}

class FindingCollector {
public:
    void observe(std::size_t frame, const Observation& observation)
    {
        const auto [latest, inserted] =
            latest_.try_emplace({observation.severity, observation.above, observation.text}, spans_.size());
        if (!inserted && spans_[latest->second].finding.lastFrame + 1 == frame) {
            Span& span = spans_[latest->second];
            span.finding.lastFrame = frame;
            if (observation.value) {
                span.lowest = std::min(*span.lowest, *observation.value);
                span.highest = std::max(*span.highest, *observation.value);
            }
            return;
        }
        latest->second = spans_.size();
        spans_.push_back({RigFinding{observation.kind, observation.severity, false, frame, frame, observation.text},
                          observation.value, observation.value, observation.above});
    }

    void observeFile(FindingKind kind, FindingSeverity severity, std::string message)
    {
        fileFindings_.push_back(RigFinding{kind, severity, true, 0, 0, std::move(message)});
    }

    std::vector<RigFinding> finish()
    {
        std::vector<RigFinding> findings = std::move(fileFindings_);
        for (Span& span : spans_) {
            if (span.lowest) {
                span.finding.message += *span.lowest == *span.highest ? " (it is " + shortNumber(*span.lowest) + ")"
                                        : span.above                  ? " (up to " + shortNumber(*span.highest) + ")"
                                                                      : " (down to " + shortNumber(*span.lowest) + ")";
            }
            findings.push_back(std::move(span.finding));
        }
        std::stable_sort(findings.begin(), findings.end(), [](const RigFinding& a, const RigFinding& b) {
            return a.wholeFile != b.wholeFile ? a.wholeFile : a.firstFrame < b.firstFrame;
        });
        return findings;
    }

private:
    struct Span {
        RigFinding finding;
        std::optional<double> lowest; // of the values seen, if the observation has one
        std::optional<double> highest;
        bool above;
    };
    std::vector<Span> spans_;
    std::vector<RigFinding> fileFindings_;
    std::map<std::tuple<FindingSeverity, bool, std::string>, std::size_t> latest_; // latest span of each observation
};

template <typename Value>
std::shared_ptr<const Value> valueAs(const AttributeMap& attributes, const std::string& key)
{
    const auto entry = attributes.find(key);
    return entry == attributes.end() ? nullptr : std::dynamic_pointer_cast<const Value>(entry->second);
}

bool holdsClass(const std::shared_ptr<RgData>& value, std::string_view typeName)
{
    const RgData* data = value.get();
    if (typeName == "RgInt") {
        return dynamic_cast<const RgInt*>(data) != nullptr;
    }
    if (typeName == "RgFloat") {
        return dynamic_cast<const RgFloat*>(data) != nullptr;
    }
    if (typeName == "RgBoolean") {
        return dynamic_cast<const RgBoolean*>(data) != nullptr;
    }
    return dynamic_cast<const RgDouble*>(data) != nullptr;
}

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

std::optional<Observation> checkRange(const ControlReference& reference, const std::string& key,
                                      const std::shared_ptr<RgData>& data, const AttributeMap& attributes);

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

template <typename Value>
bool sameList(const std::shared_ptr<RgData>& a, const std::shared_ptr<RgData>& b)
{
    const auto first = std::dynamic_pointer_cast<const Value>(a);
    const auto second = std::dynamic_pointer_cast<const Value>(b);
    return first && second && first->values == second->values;
}

// Whether two values hold the same list, as far as the node's cache can tell.
bool sameCachedValue(const std::shared_ptr<RgData>& a, const std::shared_ptr<RgData>& b)
{
    return a == b || sameList<RgInt>(a, b) || sameList<RgVector>(a, b) || sameList<RgDouble>(a, b);
}

std::string unknownKeyText(const std::string& key, const std::vector<std::string>& knownKeys)
{
    return "unknown key '" + key + "'" + didYouMean(key, knownKeys) + ": the node never reads it";
}

class RigChecker {
public:
    RigChecker(const Rig& rig, const std::vector<AttributeDescriptor>& declared)
        : rig_(rig), firstFrame_(frameAttributes(rig, 0))
    {
        for (const ControlReference& reference : controlReferences()) {
            if (reference.scope == ControlScope::Host) {
                knownKeys_.emplace_back(reference.name);
            }
        }
        for (const AttributeDescriptor& attribute : declared) {
            knownKeys_.push_back(attribute.key);
        }
        for (const std::string& field : rig.unknownFields) {
            collector_.observeFile(FindingKind::UnknownName, FindingSeverity::Error,
                                   "unknown top-level field '" + field + "'" + didYouMean(field, kRigFileFields) +
                                       " is ignored");
        }
    }

    // `nodeLines`: what the node's validation said about this frame; a host
    // setting it already reports is not reported again.
    void checkFrame(std::size_t frame, const AttributeMap& attributes, const std::vector<std::string>& nodeLines)
    {
        for (const std::string& line : nodeLines) {
            collector_.observe(frame, errorObservation(FindingKind::NodeValidation, line));
        }
        const auto known = [this](const std::string& key) {
            return std::find(knownKeys_.begin(), knownKeys_.end(), key) != knownKeys_.end();
        };
        if (!rig_.frames.empty()) {
            for (const std::string& key : rig_.frames[frame].removedKeys) {
                if (!known(key)) {
                    collector_.observe(frame, errorObservation(FindingKind::UnknownName,
                                                               "removes " + unknownKeyText(key, knownKeys_)));
                }
            }
        }
        for (const auto& [key, value] : attributes) {
            if (!known(key)) {
                collector_.observe(frame, errorObservation(FindingKind::UnknownName, unknownKeyText(key, knownKeys_)));
            }
        }
        for (const ControlReference& reference : controlReferences()) {
            if (reference.scope == ControlScope::Host) {
                checkHostSetting(frame, reference, attributes, nodeLines);
            }
        }
        for (const auto& [key, value] : attributes) {
            const ControlReference* reference = findControl(key);
            if (reference == nullptr) {
                continue;
            }
            if (reference->range) {
                observe(frame, checkRange(*reference, key, value, attributes));
            }
            if (reference->cached && frame > 0 && cacheOn(attributes)) {
                const auto first = firstFrame_.find(key);
                if (first == firstFrame_.end() || !sameCachedValue(first->second, value)) {
                    collector_.observe(frame, {FindingKind::CachedInput, FindingSeverity::Warning,
                                               key + " differs from the first frame's while CACHE_ATTRIBUTES is on: "
                                                     "the node keeps the first frame's",
                                               std::nullopt, false});
                }
            }
            if (reference->indexList != IndexList::None) {
                const auto [cached, isNew] = indexFindings_.try_emplace({value.get(), key});
                if (isNew) {
                    cached->second = checkIndices(*reference, key, value, rig_.geometry.points.size());
                }
                observe(frame, cached->second);
            }
        }
    }

    std::vector<RigFinding> finish() { return collector_.finish(); }

private:
    void observe(std::size_t frame, const std::optional<Observation>& observation)
    {
        if (observation) {
            collector_.observe(frame, *observation);
        }
    }

    void checkHostSetting(std::size_t frame, const ControlReference& reference, const AttributeMap& attributes,
                          const std::vector<std::string>& nodeLines)
    {
        const std::string key(reference.name);
        const std::string type(reference.typeName);
        for (const std::string& line : nodeLines) {
            if (line.find("'" + key + "'") != std::string::npos) {
                return;
            }
        }
        const auto entry = attributes.find(key);
        if (entry == attributes.end()) {
            collector_.observe(frame,
                               errorObservation(FindingKind::HostSetting, "missing host setting '" + key + "' (" +
                                                                              type + "): deform fails without it"));
        } else if (!holdsClass(entry->second, reference.typeName)) {
            collector_.observe(frame,
                               errorObservation(FindingKind::HostSetting, "host setting '" + key + "' must be an " +
                                                                              type + ": deform fails otherwise"));
        }
    }

    static bool cacheOn(const AttributeMap& attributes)
    {
        const auto cache = valueAs<RgBoolean>(attributes, kCacheAttributesKey);
        return cache && cache->value;
    }

    const Rig& rig_;
    AttributeMap firstFrame_; // what the node's cache is built from
    std::vector<std::string> knownKeys_;
    FindingCollector collector_;
    // An index list usually stays the same value for the whole rig: check it once.
    std::map<std::pair<const RgData*, std::string>, std::optional<Observation>> indexFindings_;
};

} // namespace

std::vector<RigFinding> checkRigInputs(const Rig& rig, const std::vector<AttributeDescriptor>& declared)
{
    RigChecker checker(rig, declared);
    for (std::size_t frame = 0; frame < frameCount(rig); ++frame) {
        checker.checkFrame(frame, frameAttributes(rig, frame), {});
    }
    return checker.finish();
}

std::vector<RigFinding> validateRig(RgNode& node, const Rig& rig)
{
    std::vector<AttributeDescriptor> declared;
    node.declareAttributes(declared);
    node.mayaObject = mayastandin::makeDependencyNode(rig.nodeName);
    RigChecker checker(rig, declared);
    for (std::size_t frame = 0; frame < frameCount(rig); ++frame) {
        const AttributeMap attributes = frameAttributes(rig, frame);
        mayastandin::ErrorCapture capture;
        const RgStatus status = node.validateAttributes(attributes);
        std::vector<std::string> nodeLines = capture.lines();
        if (status != RgStatus::Success && nodeLines.empty()) {
            nodeLines.push_back(std::string("validateAttributes returned ") + statusName(status));
        }
        checker.checkFrame(frame, attributes, nodeLines);
    }
    return checker.finish();
}

std::string formatFinding(const RigFinding& finding, std::int64_t firstFrameNumber)
{
    std::string text;
    if (!finding.wholeFile) {
        const std::int64_t first = firstFrameNumber + static_cast<std::int64_t>(finding.firstFrame);
        const std::int64_t last = firstFrameNumber + static_cast<std::int64_t>(finding.lastFrame);
        text = first == last ? "frame " + std::to_string(first) + ": "
                             : "frames " + std::to_string(first) + "-" + std::to_string(last) + ": ";
    }
    return text + (finding.severity == FindingSeverity::Error ? "error: " : "warning: ") + finding.message;
}

} // namespace rghost
