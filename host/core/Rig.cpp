#include "core/Rig.h"

#include <stdexcept>

namespace rghost {

AttributeMap frameAttributes(const Rig& rig, std::size_t frame)
{
    if (frame >= frameCount(rig)) {
        throw std::out_of_range("frame " + std::to_string(frame) + " is past the rig's " +
                                std::to_string(frameCount(rig)) + " frames");
    }
    AttributeMap attributes = rig.attributes;
    if (rig.frames.empty()) {
        return attributes;
    }
    const RigFrame& overlay = rig.frames[frame];
    for (const std::string& key : overlay.removedKeys) {
        attributes.erase(key);
    }
    for (const auto& [key, value] : overlay.overrides) {
        attributes[key] = value;
    }
    return attributes;
}

std::size_t frameCount(const Rig& rig)
{
    return rig.frames.empty() ? 1 : rig.frames.size();
}

std::int64_t sceneFrame(const Rig& rig, std::size_t index)
{
    return std::int64_t{rig.startFrame} + static_cast<std::int64_t>(index);
}

MObject addSurface(Rig& rig, const mayastandin::NurbsSurfaceDescription& description)
{
    MObject surface = mayastandin::makeNurbsSurface(description);
    rig.surfaces.push_back(RigSurface{surface, description});
    return surface;
}

} // namespace rghost
