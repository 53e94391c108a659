#include "core/ControlReference.h"

#include "core/ShortNumber.h"
#include "lidShaper/rigContract.h"

#include <cmath>
#include <limits>

using namespace rigContract;

namespace rghost {

namespace {

constexpr double kUnbounded = std::numeric_limits<double>::infinity();

constexpr UsefulRange kHostSwitch{0.0, 1.0};
constexpr UsefulRange kFraction{0.0, 1.0};
constexpr UsefulRange kSigned{-1.0, 1.0};
constexpr UsefulRange kSmoothingPasses{0.0, 20.0};
// Past 1.5 times its open value a lid leaves the eyeball's upper or lower half.
constexpr UsefulRange kLidControl{1.5, 1.5, "lowerOpenEyeValue", "upperOpenEyeValue"};
// The node clamps an outer control to 0.0001 .. 2.
constexpr UsefulRange kOuterControl{0.0, 2.0};
constexpr UsefulRange kPositive{0.0, kUnbounded, {}, {}, true};
constexpr UsefulRange kNegative{-kUnbounded, 0.0, {}, {}, true};
constexpr UsefulRange kMountSize{0.0, 50.0};

std::string defaultTextOf(const Field& field)
{
    if (field.list) {
        return "[]";
    }
    switch (field.valueClass) {
    case ValueClass::NurbsCurve:
    case ValueClass::NurbsSurface: return "none (required)";
    case ValueClass::Boolean: return field.defaultValue != 0.0 ? "true" : "false";
    case ValueClass::Vector: return "(" + shortNumber(field.defaultValue) + ", 0, 0)";
    case ValueClass::Int:
    case ValueClass::Float:
    case ValueClass::Double: break;
    }
    return shortNumber(field.defaultValue);
}

// A declared attribute: its class, form and default as the rig contract gives them.
ControlReference control(std::string_view name, ControlScope scope, const Field& field, std::string_view summary,
                         std::string_view unit, const UsefulRange* range, IndexList indexList,
                         std::string_view interactions, bool cached = false)
{
    return {name,
            scope,
            valueClassName(field.valueClass),
            field.list,
            summary,
            unit,
            defaultTextOf(field),
            range,
            indexList,
            interactions,
            cached};
}

ControlReference eyeControl(std::size_t field, std::string_view summary, std::string_view unit,
                            const UsefulRange* range, IndexList indexList, std::string_view interactions,
                            bool cached = false)
{
    return control(kEyeFields[field].name, ControlScope::Eye, kEyeFields[field], summary, unit, range, indexList,
                   interactions, cached);
}

} // namespace

// Built on first use: the host keys are the rig contract's strings.
const std::vector<ControlReference>& controlReferences()
{
    static const std::vector<ControlReference> references = {
        {kDebugModeKey, ControlScope::Host, "RgInt", false, "Required by the node; has no effect on the result.",
         "none", "0", nullptr, IndexList::None, ""},
        {kCacheAttributesKey, ControlScope::Host, "RgBoolean", false,
         "Reuse each eye's prepared rest data (columns, offsets, corners, soft region) from the first call.", "on/off",
         "true", nullptr, IndexList::None,
         "While on, changes after the first frame to index lists, UV lists, move vectors, pointsOffset, "
         "cornersIdxs and softRegion have no effect; the controls still follow every frame."},
        {kEnvelopeKey, ControlScope::Host, "RgFloat", false,
         "Below 0.00001 the node leaves every point alone; any larger value deforms fully.", "on/off (not a blend)",
         "1", &kHostSwitch, IndexList::None, "With a negligible envelope no eye attribute is looked up at all."},
        {kSoaEnabledKey, ControlScope::Host, "RgBoolean", false, "Required by the node; has no effect on the result.",
         "none", "false", nullptr, IndexList::None, ""},

        eyeControl(eyeField::nurbsSphere,
                   "The eyeball the lids slide over; lid points are placed on it by surface parameters.", "surface",
                   nullptr, IndexList::None,
                   "Its world matrix carries the lid opening: turning the eyeball turns the opening with it (the look "
                   "direction)."),
        eyeControl(eyeField::upperLidMinorCurve,
                   "Profile of the upper lid margin from the inner to the outer corner (its y shifts each column).",
                   "surface parameter", nullptr, IndexList::None,
                   "Blended with the lower curve by closeEye and closeLine; needs as many CVs as the lower curve."),
        eyeControl(eyeField::lowerLidMinorCurve, "Profile of the lower lid margin from the inner to the outer corner.",
                   "surface parameter", nullptr, IndexList::None,
                   "Blended with the upper curve by closeEye and closeLine."),
        eyeControl(eyeField::centerEye, "Centre of the eyeball in world space; lids keep their distance from it.",
                   "world units", nullptr, IndexList::None,
                   "Must follow the eyeball's world matrix, or the lids slide off-centre."),
        eyeControl(eyeField::closeEye,
                   "Closes both lids towards each other: 0 leaves them where their controls put them, 1 meets them.",
                   "fraction", &kFraction, IndexList::None,
                   "Blends the lid controls and the minor curves towards the line closeLine picks."),
        eyeControl(eyeField::closeLine, "Where closed lids meet: 1 on the upper lid, -1 on the lower lid, 0 halfway.",
                   "fraction", &kSigned, IndexList::None, "Only matters while closeEye is above 0."),
        eyeControl(eyeField::smoothOuter, "Smoothing passes over the crease row; 0 or less smooths nothing.", "passes",
                   &kSmoothingPasses, IndexList::None, "Passes stop early once a pass changes nothing."),
        eyeControl(eyeField::eyeCompute, "The eye is deformed only when this is on.", "on/off", nullptr,
                   IndexList::None, "An eye that is off still needs all of its attributes with the right types."),
        eyeControl(eyeField::upperLidControl,
                   "Opening of the upper lid: 0 puts its margin on the closing line, upperOpenEyeValue opens it fully.",
                   "control units", &kLidControl, IndexList::None,
                   "Positive values are divided by upperOpenEyeValue, others by lowerOpenEyeValue; past 1 the "
                   "pointsOffset overshoots apply; closeEye blends it with lowerLidControl."),
        eyeControl(
            eyeField::upperLidOuterControl,
            "Where the upper crease sits: 1 holds it, lower values draw it towards the margin as far as the lid has "
            "closed, up to 2 push it away.",
            "fraction", &kOuterControl, IndexList::None, "Clamped to 0.0001 .. 2 by the node."),
        eyeControl(eyeField::upperOpenEyeValue, "Lid control value of the fully open eye for positive controls.",
                   "control units", &kPositive, IndexList::None, "Scales both lids' positive controls; must not be 0."),
        eyeControl(
            eyeField::upperLidInnerIdxs,
            "Upper lid margin points, one per column from the inner to the outer corner; sets the column count N.",
            "point indices", nullptr, IndexList::Points, "", true),
        eyeControl(eyeField::upperLidOuterIdxs, "Upper crease points, one per column.", "point indices", nullptr,
                   IndexList::Points, "", true),
        eyeControl(eyeField::upperLidCenterIdxs,
                   "Points from the upper margin into the socket, the same number per column.", "point indices",
                   nullptr, IndexList::Points, "Its length is a multiple of N.", true),
        eyeControl(eyeField::upperLidBetweenIdxs,
                   "Upper lid skin points from the margin to the crease, the same number per column.", "point indices",
                   nullptr, IndexList::Points, "Its length is a multiple of N; upperMountSize lifts them.", true),
        eyeControl(eyeField::upperLidInnerUV,
                   "Eyeball surface parameters (u, v) of the closing line, the two corners included (N + 2 entries).",
                   "surface parameters", nullptr, IndexList::None,
                   "Its length also scales the lower lid's profile positions.", true),
        eyeControl(eyeField::upperLidOuterUV, "Eyeball surface parameters (u, v) of the upper crease points.",
                   "surface parameters", nullptr, IndexList::None, ""),
        eyeControl(eyeField::upperLidMoveVector,
                   "Per column, the fully open upper lid's offset from the closing line: (du, dv, radius).",
                   "surface parameters", nullptr, IndexList::None, "pointsOffset adds to it.", true),
        eyeControl(eyeField::upperLidOutLoopOffset, "Required by the node; has no effect on the result.", "none",
                   nullptr, IndexList::None, ""),
        eyeControl(eyeField::lowerLidControl,
                   "Opening of the lower lid: 0 puts its margin on the closing line, lowerOpenEyeValue opens it fully.",
                   "control units", &kLidControl, IndexList::None,
                   "Positive values are divided by upperOpenEyeValue, others by lowerOpenEyeValue; closeEye blends it "
                   "with upperLidControl."),
        eyeControl(
            eyeField::lowerLidOuterControl,
            "Where the lower crease sits: 1 holds it, lower values draw it towards the margin as far as the lid has "
            "closed, up to 2 push it away.",
            "fraction", &kOuterControl, IndexList::None, "Clamped to 0.0001 .. 2 by the node."),
        eyeControl(eyeField::lowerOpenEyeValue, "Lid control value of the fully open eye for controls of 0 and below.",
                   "control units", &kNegative, IndexList::None,
                   "Scales both lids' negative controls; must be below 0."),
        eyeControl(eyeField::lowerLidInnerIdxs,
                   "Lower lid margin points, one per column (N, as many as the upper lid).", "point indices", nullptr,
                   IndexList::Points, "", true),
        eyeControl(eyeField::lowerLidOuterIdxs, "Lower crease points, one per column.", "point indices", nullptr,
                   IndexList::Points, "", true),
        eyeControl(eyeField::lowerLidCenterIdxs,
                   "Points from the lower margin into the socket; the upper lid's count per column is used.",
                   "point indices", nullptr, IndexList::Points, "Its length is a multiple of N.", true),
        eyeControl(eyeField::lowerLidBetweenIdxs,
                   "Lower lid skin points from the margin to the crease; the upper lid's count per column is used.",
                   "point indices", nullptr, IndexList::Points,
                   "Its length is a multiple of N; lowerMountSize lifts them.", true),
        eyeControl(eyeField::lowerLidInnerUV,
                   "Eyeball surface parameters of the lower closing line, corners included (N + 2 entries).",
                   "surface parameters", nullptr, IndexList::None, "", true),
        eyeControl(eyeField::lowerLidOuterUV, "Eyeball surface parameters (u, v) of the lower crease points.",
                   "surface parameters", nullptr, IndexList::None, ""),
        eyeControl(eyeField::lowerLidMoveVector,
                   "Per column, the fully open lower lid's offset from the closing line: (du, dv, radius).",
                   "surface parameters", nullptr, IndexList::None, "pointsOffset adds to it.", true),
        eyeControl(eyeField::lowerLidOutLoopOffset, "Required by the node; has no effect on the result.", "none",
                   nullptr, IndexList::None, ""),
        eyeControl(
            eyeField::cornersIdxs,
            "Eye corner points, their neighbours, then the points carried with the corners (24 entries at least).",
            "point indices", nullptr, IndexList::Points,
            "Corners follow the lids by how far both lid controls are open towards their open values.", true),
        eyeControl(eyeField::upperMountSize,
                   "How far the upper lid skin bulges over the eyeball as the lid opens, per unit of point weight.",
                   "hundredths of a world unit", &kMountSize, IndexList::None,
                   "Scaled by each point's weight; 0 and below add nothing."),
        eyeControl(eyeField::lowerMountSize,
                   "How far the lower lid skin bulges over the eyeball as the lid opens, per unit of point weight.",
                   "hundredths of a world unit", &kMountSize, IndexList::None,
                   "Scaled by each point's weight; 0 and below add nothing."),
        eyeControl(
            eyeField::pointsOffset,
            "Offset table of 8N + 8 vectors: move and crease offsets per column, corner offsets, overshoots.",
            "surface parameters", nullptr, IndexList::None,
            "Missing entries count as (0, 0, 0); the overshoot entries apply once a lid control passes its open value.",
            true),

        control(kSoftRegionKey, ControlScope::Node, kSoftRegionField,
                "Groups of skin points that follow two others: pivot, aim, member count, members; -1 separates groups.",
                "point indices", nullptr, IndexList::SoftRegionGroups,
                "Moved after both eyes, scaled by each member's weight.", true),
    };
    return references;
}

namespace {

bool isEyeKey(std::string_view key, std::string_view name)
{
    static const std::string prefixes[] = {eyeAttributeKey(EyeSide::Left, ""), eyeAttributeKey(EyeSide::Right, "")};
    for (const std::string& prefix : prefixes) {
        if (key.size() == prefix.size() + name.size() && key.compare(0, prefix.size(), prefix) == 0 &&
            key.substr(prefix.size()) == name) {
            return true;
        }
    }
    return false;
}

std::string bound(double value, std::string_view scale)
{
    return scale.empty() ? shortNumber(value) : shortNumber(value) + " × " + std::string(scale);
}

} // namespace

const ControlReference* findControl(std::string_view key)
{
    for (const ControlReference& reference : controlReferences()) {
        if (reference.scope == ControlScope::Eye ? isEyeKey(key, reference.name) : key == reference.name) {
            return &reference;
        }
    }
    return nullptr;
}

std::string siblingKey(std::string_view key, std::string_view name)
{
    const std::size_t separator = key.rfind("__");
    const std::string_view prefix =
        separator == std::string_view::npos ? std::string_view() : key.substr(0, separator + 2);
    return std::string(prefix) + std::string(name);
}

std::string describeRange(const UsefulRange& range)
{
    if (std::isinf(range.high)) {
        return (range.excludesBounds ? "above " : "at least ") + bound(range.low, range.lowScale);
    }
    if (std::isinf(range.low)) {
        return (range.excludesBounds ? "below " : "at most ") + bound(range.high, range.highScale);
    }
    return bound(range.low, range.lowScale) + " to " + bound(range.high, range.highScale);
}

} // namespace rghost
