#include <chrono>
#include <filesystem>
#include <iostream>
#include <memory>

#include "io/AtomicFile.h"
#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "io/ObjFile.h"
#include "io/RigFileWriter.h"
#include "demo/demoContactSheet.h"
#include "demo/demoProgressBar.h"
#include "demo/demoScene.h"
#include "demo/demoSummary.h"
#include "sample/sampleRig.h"

namespace rghost {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct DemoOptions {
    std::string outDirectory = "demo-output";
    std::string pluginPath;
};

// Plays the rig with a progress bar on stderr; `frameMilliseconds` gets how
// long each frame took.
std::vector<FrameResult> playWithProgress(const Plugin& plugin, const Rig& rig, std::vector<double>& frameMilliseconds)
{
    Clock::time_point frameStart = Clock::now();
    RunOptions run;
    run.onFrameEvaluated = [&](std::size_t frame, std::size_t count) {
        const Clock::time_point now = Clock::now();
        frameMilliseconds.push_back(std::chrono::duration<double, std::milli>(now - frameStart).count());
        frameStart = now;
        std::cerr << "\revaluating " << formatProgressBar(frame + 1, count) << std::flush;
    };
    std::vector<FrameResult> results = runRig(plugin, rig, run);
    std::cerr << '\n';
    return results;
}

std::vector<std::string> writeObjSequence(const fs::path& directory, const Rig& rig, const std::vector<FrameResult>& results)
{
    fs::create_directories(directory);
    std::vector<std::string> paths;
    for (const FrameResult& result : results) {
        paths.push_back((directory / objFileName(result.frame)).string());
        writeObjFile(paths.back(), result.points, rig.faces);
    }
    return paths;
}

// One panel per key moment of the animation; the eyeballs do not move, so
// they are tessellated once.
std::string renderKeyMoments(const Rig& rig, const SampleRigOptions& rigOptions, const std::vector<FrameResult>& results)
{
    const std::vector<Facet> eyeballs = eyeballFacets(rig);
    std::vector<SheetPanel> panels;
    for (const SamplePose& pose : samplePoses(rigOptions)) {
        SheetPanel panel{"frame " + std::to_string(pose.frame) + "  " + pose.name, eyeballs};
        const std::vector<Facet> mesh = meshFacets(rig, results.at(pose.frame).points);
        panel.facets.insert(panel.facets.end(), mesh.begin(), mesh.end());
        panels.push_back(std::move(panel));
    }
    return renderContactSheetPng(panels);
}

int runDemo(const DemoOptions& options)
{
    const Plugin plugin = loadPlugin(options.pluginPath);
    const fs::path directory(options.outDirectory);
    fs::create_directories(directory);

    const SampleRigOptions rigOptions;
    const Rig rig = buildSampleRig(rigOptions);
    DemoOutputs outputs;
    outputs.rigFile = (directory / "sample-eye-rig.json").string();
    writeRigFile(rig, outputs.rigFile);

    std::vector<double> frameMilliseconds;
    const std::vector<FrameResult> results = playWithProgress(plugin, rig, frameMilliseconds);
    bool allSucceeded = true;
    for (const FrameResult& result : results) {
        for (const std::string& line : result.errors) {
            std::cerr << "frame " << result.frame << ": " << line << '\n';
        }
        allSucceeded = allSucceeded && result.status == RgStatus::Success;
    }

    outputs.objFiles = writeObjSequence(directory / "obj", rig, results);
    outputs.contactSheet = (directory / "contact-sheet.png").string();
    writeFileAtomically(outputs.contactSheet, renderKeyMoments(rig, rigOptions, results));
    const std::string summaryPath = (directory / "summary.json").string();
    writeFileAtomically(summaryPath, formatDemoSummary(results, frameMilliseconds, outputs));

    std::cout << "Sample rig: " << rig.geometry.points.size() << " points, " << results.size() << " frames, "
              << (allSucceeded ? "all succeeded" : "some failed (see the summary)") << '\n'
              << "Rig:     " << outputs.rigFile << '\n'
              << "Summary: " << summaryPath << '\n'
              << "PNG:     " << outputs.contactSheet << '\n'
              << "OBJ:     " << outputs.objFiles.size() << " files, " << outputs.objFiles.front() << " ... "
              << outputs.objFiles.back() << '\n';
    return allSucceeded ? 0 : 1;
}

} // namespace

void addDemoCommand(CLI::App& app, Command& command)
{
    auto options = std::make_shared<DemoOptions>();
    CLI::App* demo = app.add_subcommand(
        "demo", "Build the sample eye rig, play its animation on one node, and write OBJ meshes, a contact sheet and a summary");
    demo->add_option("--out", options->outDirectory, "Directory to write into (created if missing)")->capture_default_str();
    addPluginOption(*demo, options->pluginPath);
    demo->callback([options, &command] { command = [options] { return runDemo(*options); }; });
}

} // namespace rghost
