#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace rghost {

// What every input of the eyelid node means to a rigger: one entry per
// attribute field (shared by both eyes), for the soft region and for each host
// setting the node reads. Validation, deform warnings, the schema listing, the
// documentation and the scripting tooltips all read this one table. A declared
// attribute's name, class, form and default come from the rig contract; the
// entries add what it means.

// Where a value lives in the attribute map.
enum class ControlScope {
    Host, // a setting the host supplies under its own key ("ENVELOPE")
    Eye,  // declared once per eye, keyed "lidShaper__eyes__<side>__<name>"
    Node, // declared once for the node ("lidShaper__softRegion__softRegion")
};

// Values a control gives sensible lids for. Outside it the node still computes,
// but lids tear through the eyeball, fold over or stop changing. A bound may be
// a multiple of another control of the same eye (`lowScale`, `highScale` name
// its field): the lid controls are measured against the open values.
struct UsefulRange {
    double low;
    double high;
    std::string_view lowScale = {};
    std::string_view highScale = {};
    bool excludesBounds = false; // the bounds themselves are outside
};

// How a list of RgInt values refers to the rig's points.
enum class IndexList {
    None,
    Points,           // every entry is a point index
    SoftRegionGroups, // records of pivot, aim, member count, members; -1 entries are skipped
};

struct ControlReference {
    std::string_view name; // field name (scope Eye) or the whole key
    ControlScope scope;
    std::string_view typeName; // value class the node reads ("RgDouble")
    bool list;                 // the node reads `values`, not `value`
    std::string_view summary;  // one line: what it does to the lids
    std::string_view unit;
    std::string defaultText;  // the declared default, or the value a rig usually carries
    const UsefulRange* range; // null: no range to check
    IndexList indexList;
    std::string_view interactions; // how it works with other controls; may be empty
    bool cached = false;           // with CACHE_ATTRIBUTES on, the node keeps its first call's value
};

// Every entry, host settings first, then the per-eye fields in the order the
// node declares them, then the soft region.
const std::vector<ControlReference>& controlReferences();

// The entry for a whole attribute-map key ("ENVELOPE",
// "lidShaper__eyes__R_eye__closeEye"), or null for a key the node never reads.
const ControlReference* findControl(std::string_view key);

// The key of field `name` of the same eye as `key` (same prefix up to the last
// "__"), e.g. for the open value that scales a lid control.
std::string siblingKey(std::string_view key, std::string_view name);

// "0 to 1", "above 0", "1.5 × lowerOpenEyeValue to 1.5 × upperOpenEyeValue".
std::string describeRange(const UsefulRange& range);

} // namespace rghost
