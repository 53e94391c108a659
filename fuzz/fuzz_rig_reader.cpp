// parseRig on arbitrary bytes: either a rig, or one RigFileError whose message
// is a single line; any other exception, crash, hang or leak is a finding. A rig
// that reads must hold one weight per point, give every frame's map, and write
// back as a document that reads as the same rig.

#include <string>
#include <string_view>

#include "FuzzContract.h"
#include "io/RigFileReader.h"
#include "io/RigFileWriter.h"

namespace {

void checkRig(const rghost::Rig& rig)
{
    if (rig.geometry.weights.size() != rig.geometry.points.size())
        contractBroken("a rig was read with " + std::to_string(rig.geometry.weights.size()) + " weights for " +
                       std::to_string(rig.geometry.points.size()) + " points");
    for (std::size_t frame = 0; frame < rghost::frameCount(rig); ++frame)
        rghost::frameAttributes(rig, frame);

    const std::string written = rghost::formatRig(rig);
    if (rghost::formatRig(rghost::parseRig(written)) != written)
        contractBroken("a rig written and read back writes differently:\n" + written);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    rghost::Rig rig;
    try {
        rig = rghost::parseRig(text);
    } catch (const rghost::RigFileError& error) {
        const std::string_view message = error.what();
        if (message.empty() || message.find_first_of("\r\n") != std::string_view::npos)
            contractBroken("a RigFileError message is not one line: " + std::string(message));
        return 0;
    }
    checkRig(rig);
    return 0;
}
