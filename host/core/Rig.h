#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <maya/MObject.h>
#include <mayastandin/StandIn.h>

#include "rg/AttributeMap.h"
#include "rg/RgDeformData.h"

namespace rghost {

// The top-level fields a rig file may hold; others are ignored.
inline const std::vector<std::string> kRigFileFields = {"format",   "node",   "attributes",
                                                        "geometry", "frames", "startFrame"};

// One animation frame: the keys it sets on top of the base attributes, and the
// keys it removes for that frame (given as null in the rig file).
struct RigFrame {
    AttributeMap overrides;
    std::vector<std::string> removedKeys;
};

// A surface held by one of the rig's values, with the description it was made
// from: an MObject cannot be read back, so writing the rig needs the description.
struct RigSurface {
    MObject surface;
    mayastandin::NurbsSurfaceDescription description;
};

// Everything a host hands one deformer node, as a rig file describes it.
struct Rig {
    std::string nodeName = "rgNode1";
    AttributeMap attributes;                      // the base attribute map
    RgDeformData geometry;                        // rest points, matrix, weights, enabled
    std::vector<std::vector<std::int32_t>> faces; // polygons for mesh output only
    std::vector<RigFrame> frames;                 // empty: one frame of the base attributes
    std::int32_t startFrame = 0;                  // scene frame number of the first frame
    std::vector<RigSurface> surfaces;             // every surface the values hold
    // Top-level fields of the file that the format does not know: ignored, but
    // kept so that a misspelt "frames" can be pointed out.
    std::vector<std::string> unknownFields;
};

// The attribute map of frame `frame` (the base map when the rig has no frames).
// Throws std::out_of_range past the last frame.
AttributeMap frameAttributes(const Rig& rig, std::size_t frame);

// Number of frames evaluated for the rig (at least one).
std::size_t frameCount(const Rig& rig);

// The scene frame number of the frame at `index`.
std::int64_t sceneFrame(const Rig& rig, std::size_t index);

// Makes the surface `description` describes and records it in `rig.surfaces`.
// Throws std::invalid_argument when the description is inconsistent.
MObject addSurface(Rig& rig, const mayastandin::NurbsSurfaceDescription& description);

} // namespace rghost
