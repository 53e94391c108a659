#include <iostream>
#include <memory>
#include <stdexcept>

#include <unistd.h>

#include "bake/Bake.h"
#include "bake/FrameLog.h"
#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "lint/RigCheck.h"

namespace rghost {

namespace {

struct DeformOptions {
    std::string rigPath;
    std::string frames;
    std::int64_t preroll = 0;
    bool prerollGiven = false;
    BakeOutputs outputs;
    std::string pluginPath;
};

int runDeform(const DeformOptions& options)
{
    const BakeOutputs& outputs = options.outputs;
    if (outputs.resultFile.empty() && outputs.pointCache.empty() && outputs.restMesh.empty() &&
        outputs.objDirectory.empty()) {
        throw std::invalid_argument("deform: nothing to write; give -o, --pc2, --mesh or --obj");
    }
    const Rig rig = loadRig(options.rigPath);
    BakeOptions bake;
    if (!options.frames.empty()) {
        bake.frames = parseFrameOption(options.frames);
    }
    if (options.prerollGiven) {
        if (options.preroll < 0) {
            throw std::invalid_argument("--preroll: expected a number of frames (0 or more), got " +
                                        std::to_string(options.preroll));
        }
        bake.preroll = static_cast<std::size_t>(options.preroll);
    }
    const Plugin plugin = loadPlugin(options.pluginPath);
    // What the node would silently accept, once per problem rather than per
    // frame; the node still computes every frame as given.
    for (RigFinding finding : checkRigInputs(rig, declaredAttributes(plugin))) {
        if (finding.kind == FindingKind::UnknownName || finding.kind == FindingKind::Range ||
            finding.kind == FindingKind::CachedInput) {
            finding.severity = FindingSeverity::Warning;
            std::cerr << formatFinding(finding, rig.startFrame) << '\n';
        }
    }

    FrameLog log(std::cerr, ::isatty(STDERR_FILENO) == 1);
    bake.onProgress = [&log](std::size_t played, std::size_t toPlay) {
        log.progress(played, toPlay);
        throwIfInterrupted();
    };
    bake.onFrame = [&log](const FrameResult& frame) { log.frame(frame); };
    deferInterrupts();
    BakeSummary summary;
    try {
        summary = bakeRig(plugin, rig, bake, outputs);
    } catch (...) {
        log.finish();
        throw;
    }
    log.finish();
    std::cerr << formatBakeSummary(summary, peakMemoryBytes()) << '\n';
    return summary.failedFrames == 0 ? 0 : 1;
}

} // namespace

void addDeformCommand(CLI::App& app, Command& command)
{
    auto options = std::make_shared<DeformOptions>();
    CLI::App* deform = app.add_subcommand(
        "deform", "Evaluate the frames of a rig on one node and write the result file, point cache or meshes");
    deform->add_option("rig", options->rigPath, "Rig file (rg-rig/1)")->required();
    deform->add_option("-o,--output", options->outputs.resultFile,
                       "Result file to write (rg-result/1); - writes to standard output");
    deform->add_option(
        "--frames", options->frames,
        "Record only frames FIRST:LAST or one frame, as scene frame numbers (the rig's startFrame is its first)");
    CLI::Option* preroll =
        deform->add_option("--preroll", options->preroll,
                           "Replay only this many frames before the first recorded one (default: every earlier frame)");
    deform->add_option("--pc2", options->outputs.pointCache, "Also write the recorded frames as a Point Cache 2 file");
    deform->add_option("--mesh", options->outputs.restMesh, "Also write the rest points and faces once as an OBJ file");
    deform->add_option("--obj", options->outputs.objDirectory,
                       "Also write one OBJ mesh per recorded frame into this directory");
    addPluginOption(*deform, options->pluginPath);
    deform->callback([options, preroll, &command] {
        options->prerollGiven = preroll->count() != 0;
        options->outputs.rigFile = options->rigPath;
        command = [options] { return runDeform(*options); };
    });
}

} // namespace rghost
