#pragma once

#include <string_view>

namespace rghost {

// Where a key sits when controls are shown together, as the scripting module
// and the Blender panel group them: the eye it belongs to ("left", "right", or
// "" outside the eyes) and its group ("Left eye", "Right eye", "Soft region",
// "Host settings"; a key the node does not declare counts as a host setting).
struct ControlGroup {
    std::string_view side;
    std::string_view group;
};

ControlGroup controlGroupOf(std::string_view key);

} // namespace rghost
