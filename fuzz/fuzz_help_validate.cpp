// help and validateAttributes on fuzzed maps. Keys come from what the node
// declares, the host settings, help's own arguments, near misses of those and
// junk; values are of any class, or empty entries. Maps start empty or complete
// so both outcomes are reached. Each answer is checked against what the node
// documents: which key validation rejects first, when help throws, fails or
// replies, with at most one line shown and nothing else in the map changed.

#include <memory>
#include <stdexcept>
#include <typeinfo>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>
#include <mayastandin/StandIn.h>

#include "FuzzContract.h"
#include "ValueClasses.h"
#include "rg/RgNode.h"

extern "C" RgNode* create();
extern "C" RgStatus help(AttributeMap& arguments);

namespace {

const std::string kNodeName = "helpNode1";
const char* const kRequiredHelpKeys[] = {"HELP", "NODE_NAME", "RG_NODE_PTR"};
const char* const kPointerHelpKeys[] = {"GET_ATTRIBUTES_PTR", "RUN_ATTRIBUTES_PTR", "DEFORM_ATTRIBUTES_PTR"};
constexpr int kMostEdits = 16;

struct CheckedKey {
    std::string key;
    const std::type_info* valueClass;
};

const std::type_info& classOfType(AttributeType type)
{
    switch (type) {
    case AttributeType::Boolean: return typeid(RgBoolean);
    case AttributeType::Int: return typeid(RgInt);
    case AttributeType::Double: return typeid(RgDouble);
    case AttributeType::Vector: return typeid(RgVector);
    case AttributeType::NurbsCurve: return typeid(RgNurbsCurve);
    case AttributeType::NurbsSurface: return typeid(RgNurbsSurface);
    }
    contractBroken("a declared attribute has an unknown type code");
}

// What validateAttributes checks, in its order: three host settings, then every
// declared attribute in declaration order.
std::vector<CheckedKey> makeValidatedKeys(RgNode& node)
{
    std::vector<CheckedKey> keys{
        {"DEBUG_MODE", &typeid(RgInt)}, {"CACHE_ATTRIBUTES", &typeid(RgBoolean)}, {"ENVELOPE", &typeid(RgFloat)}};
    std::vector<AttributeDescriptor> declared;
    node.declareAttributes(declared);
    for (const AttributeDescriptor& descriptor : declared)
        keys.push_back({descriptor.key, &classOfType(descriptor.typeCode)});
    return keys;
}

struct Session {
    std::unique_ptr<RgNode> node;
    std::vector<CheckedKey> validatedKeys;
    std::vector<std::string> knownKeys; // every key the node or help reads

    Session() : node(create())
    {
        node->mayaObject = mayastandin::makeDependencyNode(kNodeName);
        validatedKeys = makeValidatedKeys(*node);
        for (const CheckedKey& checked : validatedKeys)
            knownKeys.push_back(checked.key);
        knownKeys.insert(knownKeys.end(), {"SOA_ENABLED", "OUTPUT"});
        knownKeys.insert(knownKeys.end(), std::begin(kRequiredHelpKeys), std::end(kRequiredHelpKeys));
        knownKeys.insert(knownKeys.end(), std::begin(kPointerHelpKeys), std::end(kPointerHelpKeys));
    }
};

Session& session()
{
    static Session shared;
    return shared;
}

std::shared_ptr<RgData> valueOfClass(const std::type_info& wanted)
{
    std::shared_ptr<RgData> made;
    forEachValueClass([&](auto* classTag) {
        using Value = std::remove_pointer_t<decltype(classTag)>;
        if (typeid(Value) == wanted)
            made = std::make_shared<Value>();
    });
    return made;
}

std::shared_ptr<RgPtr> pointerTo(void* address)
{
    auto pointer = std::make_shared<RgPtr>();
    pointer->value = address;
    return pointer;
}

bool holdsUsablePointer(const AttributeMap& map, const char* key)
{
    const auto entry = map.find(key);
    if (entry == map.end())
        return false;
    const auto pointer = std::dynamic_pointer_cast<RgPtr>(entry->second);
    return pointer && pointer->value;
}

class MapMaker {
public:
    explicit MapMaker(FuzzedDataProvider& bytes) : bytes_(bytes) {}

    AttributeMap make()
    {
        AttributeMap map;
        if (bytes_.ConsumeBool())
            for (const CheckedKey& checked : session().validatedKeys)
                map[checked.key] = valueOfClass(*checked.valueClass);
        if (bytes_.ConsumeBool()) {
            for (const char* key : kRequiredHelpKeys)
                map[key] = std::make_shared<RgBoolean>();
            map["RG_NODE_PTR"] = pointerTo(session().node.get());
            for (const char* key : kPointerHelpKeys)
                map[key] = pointerTo(&map);
        }
        const int edits = bytes_.ConsumeIntegralInRange(0, kMostEdits);
        for (int edit = 0; edit < edits; ++edit) {
            const std::string key = pickKey();
            switch (bytes_.ConsumeIntegralInRange(0, 2)) {
            case 0: map.erase(key); break;
            case 1: map[key] = nullptr; break;
            default: map[key] = valueOfAnyClass(); break;
            }
        }
        // The host's side of help: RG_NODE_PTR names a live node or nothing.
        if (holdsUsablePointer(map, "RG_NODE_PTR"))
            map["RG_NODE_PTR"] = pointerTo(session().node.get());
        return map;
    }

private:
    std::string pickKey()
    {
        const std::vector<std::string>& known = session().knownKeys;
        std::string key = known[bytes_.ConsumeIntegralInRange<std::size_t>(0, known.size() - 1)];
        switch (bytes_.ConsumeIntegralInRange(0, 3)) {
        case 0: return key;
        case 1: return key.substr(0, bytes_.ConsumeIntegralInRange<std::size_t>(0, key.size()));
        case 2:
            key[bytes_.ConsumeIntegralInRange<std::size_t>(0, key.size() - 1)] = bytes_.ConsumeIntegral<char>();
            return key;
        default: return bytes_.ConsumeRandomLengthString(40);
        }
    }

    // Pointers hold any address: neither operation follows them.
    std::shared_ptr<RgData> valueOfAnyClass()
    {
        const int wanted = bytes_.ConsumeIntegralInRange(0, kValueClassCount - 1);
        int index = 0;
        std::shared_ptr<RgData> made;
        forEachValueClass([&](auto* classTag) {
            using Value = std::remove_pointer_t<decltype(classTag)>;
            if (index++ == wanted)
                made = std::make_shared<Value>();
        });
        if (const auto pointer = std::dynamic_pointer_cast<RgPtr>(made))
            pointer->value = reinterpret_cast<void*>(bytes_.ConsumeIntegral<std::uintptr_t>());
        return made;
    }

    FuzzedDataProvider& bytes_;
};

// The first key validation must reject, or "" for a map it must accept.
std::string firstRejectedKey(const AttributeMap& map)
{
    for (const CheckedKey& checked : session().validatedKeys) {
        const auto entry = map.find(checked.key);
        const RgData* value = entry == map.end() ? nullptr : entry->second.get();
        if (!value || typeid(*value) != *checked.valueClass)
            return checked.key;
    }
    return {};
}

void checkValidation(const AttributeMap& map)
{
    const std::string rejected = firstRejectedKey(map);
    mayastandin::ErrorCapture capture;
    const RgStatus status = session().node->validateAttributes(map);
    const std::vector<std::string>& lines = capture.lines();
    if (rejected.empty()) {
        if (status != RgStatus::Success || !lines.empty())
            contractBroken("validateAttributes rejected a complete map");
        return;
    }
    if (status != RgStatus::Failure || lines.size() != 1)
        contractBroken("validateAttributes accepted a map without a good '" + rejected + "'");
    if (!isMessageLine(lines.front(), kNodeName) || lines.front().find("'" + rejected + "'") == std::string::npos)
        contractBroken("validateAttributes should name '" + rejected + "' but showed: " + lines.front());
}

void checkHelp(AttributeMap map)
{
    bool requiredMissing = false;
    for (const char* key : kRequiredHelpKeys)
        requiredMissing = requiredMissing || map.count(key) == 0;
    bool pointersUsable = true;
    for (const char* key : kPointerHelpKeys)
        pointersUsable = pointersUsable && holdsUsablePointer(map, key);
    const std::string nodeName = holdsUsablePointer(map, "RG_NODE_PTR") ? kNodeName : "";

    AttributeMap before = map;
    mayastandin::ErrorCapture capture;
    RgStatus status = RgStatus::NotHandled;
    try {
        status = help(map);
    } catch (const std::out_of_range&) {
        if (!requiredMissing)
            contractBroken("help threw out_of_range with HELP, NODE_NAME and RG_NODE_PTR present");
        if (map != before || !capture.lines().empty())
            contractBroken("help changed the map or showed a line before throwing");
        return;
    }
    if (requiredMissing)
        contractBroken("help answered without one of HELP, NODE_NAME, RG_NODE_PTR");

    const std::vector<std::string>& lines = capture.lines();
    if (pointersUsable) {
        const auto reply = std::dynamic_pointer_cast<RgString>(map["OUTPUT"]);
        if (status != RgStatus::Success || !lines.empty() || !reply || reply->value != "Commands: " ||
            !reply->values.empty())
            contractBroken("help did not reply \"Commands: \" to complete arguments");
        map.erase("OUTPUT");
        before.erase("OUTPUT");
    } else if (status != RgStatus::Failure || lines.size() != 1 || !isMessageLine(lines.front(), nodeName)) {
        contractBroken("help must fail with one line when a pointer argument is unusable");
    }
    if (map != before)
        contractBroken("help changed an argument other than OUTPUT");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    session();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider bytes(data, size);
    AttributeMap map = MapMaker(bytes).make();
    checkValidation(map);
    checkHelp(map);
    return 0;
}
