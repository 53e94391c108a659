#pragma once

#include <string>

#include "core/Rig.h"
#include "overlay/OverlayCategory.h"
#include "picture/ContactSheet.h"

namespace rghost {

// What the picture commands share: where the PNG goes and how it is laid out.
struct PictureOptions {
    std::string outputPath; // "-" is standard output
    SheetLayout layout;
    bool withoutCaptions = false;
    std::string closeUp;       // "left", "right" or empty
    OverlayCategories overlay; // marks drawn over each panel; none when empty
};

// The layout `options` ask for, for pictures of `rig` with `attributes`
// (a close-up frames that map's eye; an overlay adds its legend).
SheetLayout pictureLayout(const PictureOptions& options, const Rig& rig, const AttributeMap& attributes);

} // namespace rghost
