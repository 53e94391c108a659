#include "lint/RigCheck.h"

#include <algorithm>
#include <map>
#include <optional>
#include <utility>

#include <mayastandin/StandIn.h>

#include "core/AttributeValue.h"
#include "core/ClosestName.h"
#include "core/ControlReference.h"
#include "lidShaper/rigContract.h"
#include "lint/FindingCollector.h"
#include "lint/IndexCheck.h"
#include "lint/RangeCheck.h"
#include "rg/RgStatus.h"

using namespace rigContract;

namespace rghost {

namespace {

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

} // namespace rghost
