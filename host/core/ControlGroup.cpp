#include "core/ControlGroup.h"

#include "lidShaper/rigContract.h"

using namespace rigContract;

namespace rghost {

ControlGroup controlGroupOf(std::string_view key)
{
    for (const EyeSide side : kEyeSides) {
        if (key.rfind(eyeAttributeKey(side, ""), 0) == 0) {
            return side == EyeSide::Left ? ControlGroup{"left", "Left eye"} : ControlGroup{"right", "Right eye"};
        }
    }
    if (key == kSoftRegionKey) {
        return {"", "Soft region"};
    }
    return {"", "Host settings"};
}

} // namespace rghost
