#include "node/commandProtocol.h"

#include <array>

#include "attributes/attributeLookup.h"

namespace {

struct PointerArgument {
    const char* key;
    const char* invalidText;
};

constexpr std::array<PointerArgument, 3> kPointerArguments{{
    {"GET_ATTRIBUTES_PTR", "Invalid GetAttributes"},
    {"RUN_ATTRIBUTES_PTR", "Invalid RunAttributes"},
    {"DEFORM_ATTRIBUTES_PTR", "Invalid DeformAttributes"},
}};

// Stands in for the node when the host's node pointer is unusable: messages then
// carry an empty node name instead of following a bad pointer.
class UnnamedNode final : public RgNode {
public:
    void declareAttributes(std::vector<AttributeDescriptor>&) override {}
};

} // namespace

RgStatus answerHelp(AttributeMap& arguments)
{
    // Neither the class nor the value of these two matters; they must be there.
    arguments.at("HELP");
    arguments.at("NODE_NAME");
    const auto nodePointer = std::dynamic_pointer_cast<const RgPtr>(arguments.at("RG_NODE_PTR"));
    const UnnamedNode unnamed;
    const RgNode& node = nodePointer && nodePointer->value ? *static_cast<const RgNode*>(nodePointer->value) : unnamed;

    const MessageSink messages(node);
    for (const PointerArgument& argument : kPointerArguments) {
        const auto pointer = getTypedAttribute<RgPtr>(messages, arguments, argument.key);
        if (!pointer)
            return RgStatus::Failure;
        if (pointer->value == nullptr) {
            messages.assertion(LIDSHAPER_CHECK_SITE, argument.invalidText);
            return RgStatus::Failure;
        }
    }

    arguments["OUTPUT"] = std::make_shared<RgString>("Commands: ");
    return RgStatus::Success;
}
