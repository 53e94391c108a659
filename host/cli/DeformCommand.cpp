#include <filesystem>
#include <iostream>
#include <memory>
#include <stdexcept>

#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "io/ObjFile.h"
#include "io/ResultFile.h"

namespace rghost {

namespace {

namespace fs = std::filesystem;

struct DeformOptions {
    std::string rigPath;
    std::string resultPath;
    std::string frames;
    std::string objDirectory;
    std::string pluginPath;
};

// Refuses outputs that cannot be written before any work is done, so that a
// bad argument leaves nothing behind.
void checkOutputLocations(const DeformOptions& options)
{
    const fs::path resultDirectory = fs::path(options.resultPath).parent_path();
    if (!resultDirectory.empty() && !fs::is_directory(resultDirectory)) {
        throw std::runtime_error("cannot write " + options.resultPath + ": " + resultDirectory.string() + " is not a directory");
    }
    if (fs::is_directory(options.resultPath)) {
        throw std::runtime_error("cannot write " + options.resultPath + ": it is a directory");
    }
    if (!options.objDirectory.empty() && fs::exists(options.objDirectory) && !fs::is_directory(options.objDirectory)) {
        throw std::runtime_error("--obj: " + options.objDirectory + " is not a directory");
    }
}

int runDeform(const DeformOptions& options)
{
    const Rig rig = loadRig(options.rigPath);
    RunOptions run;
    if (!options.frames.empty()) {
        const FrameRange range = parseFrameRange(options.frames);
        const std::string problem = describeFrameRangeProblem(range, frameCount(rig));
        if (!problem.empty()) {
            throw std::invalid_argument("--frames: " + problem);
        }
        run.range = range;
    }
    checkOutputLocations(options);
    const Plugin plugin = loadPlugin(options.pluginPath);

    const std::vector<FrameResult> results = runRig(plugin, rig, run);

    bool allSucceeded = true;
    for (const FrameResult& result : results) {
        for (const std::string& line : result.errors) {
            std::cerr << "frame " << result.frame << ": " << line << '\n';
        }
        allSucceeded = allSucceeded && result.status == RgStatus::Success;
    }
    if (!options.objDirectory.empty()) {
        fs::create_directories(options.objDirectory);
        for (const FrameResult& result : results) {
            writeObjFile((fs::path(options.objDirectory) / objFileName(result.frame)).string(), result.points, rig.faces);
        }
    }
    writeResultFile(options.resultPath, rig.nodeName, results);
    return allSucceeded ? 0 : 1;
}

} // namespace

void addDeformCommand(CLI::App& app, Command& command)
{
    auto options = std::make_shared<DeformOptions>();
    CLI::App* deform = app.add_subcommand("deform", "Evaluate every frame of a rig on one node and write the result file");
    deform->add_option("rig", options->rigPath, "Rig file (rg-rig/1)")->required();
    deform->add_option("-o,--output", options->resultPath, "Result file to write (rg-result/1)")->required();
    deform->add_option("--frames", options->frames, "Record only frames A:B (0-based, inclusive); earlier frames still run");
    deform->add_option("--obj", options->objDirectory, "Also write one OBJ mesh per recorded frame into this directory");
    addPluginOption(*deform, options->pluginPath);
    deform->callback([options, &command] { command = [options] { return runDeform(*options); }; });
}

} // namespace rghost
