#include <sstream>

#include "build/RigBuilder.h"
#include "core/ShortNumber.h"

using namespace rigContract;

namespace rghost::build {

std::string formatReport(const std::vector<EyeReport>& eyes)
{
    std::ostringstream out;
    for (const EyeReport& eye : eyes) {
        out << (eye.side == EyeSide::Left ? "left" : "right") << " eye: " << eye.upperColumns << " columns per lid, "
            << eye.centerRows << " rows into the socket, " << eye.betweenRows
            << " rows over the lid skin to the crease\n";
        out << "  margin: " << eye.marginSize << " vertices (" << (eye.marginIsHole ? "the hole" : "an edge loop")
            << "), corners " << eye.innerCorner << " (inner) and " << eye.outerCorner << " (outer), opening "
            << shortNumber(eye.openingWidth) << " wide\n";
        if (eye.leftOverVertex >= 0) {
            out << "  margin vertex " << eye.leftOverVertex
                << " (one over in an odd loop) follows the outer corner and its lid neighbour\n";
        }
        out << "  eyeball: centre (" << shortNumber(eye.eyeballCenter.x) << ", " << shortNumber(eye.eyeballCenter.y)
            << ", " << shortNumber(eye.eyeballCenter.z) << "), radius " << shortNumber(eye.eyeballRadius)
            << ", fit residual " << shortNumber(eye.eyeballResidual) << " of the radius\n";
        out << "  open pose against the model: largest move " << shortNumber(eye.neutralLargest) << ", RMS "
            << shortNumber(eye.neutralRms) << " of the opening's width\n";
    }
    return out.str();
}

} // namespace rghost::build
