#include <memory>
#include <stdexcept>

#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "console/ConsoleBake.h"

namespace rghost {

namespace {

struct DeformArguments {
    std::string rigPath;
    std::string frames;
    std::int64_t preroll = 0;
    bool prerollGiven = false;
    BakeOutputs outputs;
    std::string pluginPath;
};

int runDeform(const DeformArguments& arguments)
{
    const BakeOutputs& outputs = arguments.outputs;
    if (outputs.resultFile.empty() && outputs.pointCache.empty() && outputs.restMesh.empty() &&
        outputs.objDirectory.empty()) {
        throw std::invalid_argument("deform: nothing to write; give -o, --pc2, --mesh or --obj");
    }
    const Rig rig = loadRig(arguments.rigPath);
    BakeOptions bake;
    if (!arguments.frames.empty()) {
        bake.frames = parseFrameOption(arguments.frames);
    }
    if (arguments.prerollGiven) {
        if (arguments.preroll < 0) {
            throw std::invalid_argument("--preroll: expected a number of frames (0 or more), got " +
                                        std::to_string(arguments.preroll));
        }
        bake.preroll = static_cast<std::size_t>(arguments.preroll);
    }
    return bakeOnConsole(loadPlugin(arguments.pluginPath), rig, bake, outputs) ? 0 : 1;
}

} // namespace

void addDeformCommand(CLI::App& app, Command& command)
{
    auto arguments = std::make_shared<DeformArguments>();
    CLI::App* deform = app.add_subcommand(
        "deform", "Evaluate the frames of a rig on one node and write the result file, point cache or meshes");
    deform->add_option("rig", arguments->rigPath, "Rig file (rg-rig/1)")->required();
    deform->add_option("-o,--output", arguments->outputs.resultFile,
                       "Result file to write (rg-result/1); - writes to standard output");
    deform->add_option(
        "--frames", arguments->frames,
        "Record only frames FIRST:LAST or one frame, as scene frame numbers (the rig's startFrame is its first)");
    CLI::Option* preroll =
        deform->add_option("--preroll", arguments->preroll,
                           "Replay only this many frames before the first recorded one (default: every earlier frame)");
    deform->add_option("--pc2", arguments->outputs.pointCache,
                       "Also write the recorded frames as a Point Cache 2 file");
    deform->add_option("--mesh", arguments->outputs.restMesh,
                       "Also write the rest points and faces once as an OBJ file");
    deform->add_option("--obj", arguments->outputs.objDirectory,
                       "Also write one OBJ mesh per recorded frame into this directory");
    addPluginOption(*deform, arguments->pluginPath);
    deform->callback([arguments, preroll, &command] {
        arguments->prerollGiven = preroll->count() != 0;
        arguments->outputs.rigFile = arguments->rigPath;
        command = [arguments] { return runDeform(*arguments); };
    });
}

} // namespace rghost
