#include "picture/PictureOptions.h"

#include <stdexcept>

#include "picture/OverlayMarks.h"
#include "picture/RigScene.h"

namespace rghost {

SheetLayout pictureLayout(const PictureOptions& options, const Rig& rig, const AttributeMap& attributes)
{
    SheetLayout layout = options.layout;
    layout.captions = !options.withoutCaptions;
    layout.notes = overlayLegend(options.overlay);
    if (!options.closeUp.empty()) {
        layout.framed = eyeCloseUp(
            rig, attributes, options.closeUp == "left" ? rigContract::EyeSide::Left : rigContract::EyeSide::Right);
        if (layout.framed.empty()) {
            throw std::invalid_argument("--close-up " + options.closeUp + ": the rig has no such eyeball to frame");
        }
    }
    return layout;
}

} // namespace rghost
