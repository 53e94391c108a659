#pragma once

#include <string>
#include <vector>

#include "core/Rig.h"
#include "core/RigRunner.h"
#include "overlay/Overlay.h"
#include "picture/ContactSheet.h"

namespace rghost {

// The overlay's marks of `categories` laid over `panel`, each in its
// category's colour.
void addOverlayMarks(SheetPanel& panel, const Overlay& overlay, const OverlayCategories& categories);

// One note per category: its colour and what its marks are.
std::vector<SheetNote> overlayLegend(const OverlayCategories& categories);

// The error lines of a frame that failed, as notes under the panels in the
// failure colour, each after `caption` and ": " (none when the frame succeeded
// or `categories` leave out failure).
std::vector<SheetNote> failureNotes(const std::string& caption, const FrameResult& result,
                                    const OverlayCategories& categories);

// rigPanel of one played frame, with the overlay of `categories` (none when
// empty) read from `attributes` and the frame's result.
SheetPanel overlaidRigPanel(const Rig& rig, const AttributeMap& attributes, const FrameResult& result,
                            const OverlayCategories& categories, std::string caption);

} // namespace rghost
