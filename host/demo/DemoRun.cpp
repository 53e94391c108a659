#include "demo/DemoRun.h"

#include <filesystem>
#include <iostream>

#include <unistd.h>

#include "bake/Bake.h"
#include "bake/FrameLog.h"
#include "demo/DemoSummary.h"
#include "io/AtomicFile.h"
#include "io/RigFileWriter.h"
#include "picture/ContactSheet.h"
#include "picture/RigScene.h"
#include "sample/SampleRig.h"

namespace rghost {

namespace {

namespace fs = std::filesystem;

// One panel per key moment of the animation; the eyeballs do not move, so
// they are tessellated once.
std::string renderKeyMoments(const Rig& rig, const SampleRigOptions& rigOptions,
                             const std::vector<FrameResult>& results)
{
    const std::vector<Facet> eyeballs = eyeballFacets(rig, rig.attributes);
    std::vector<SheetPanel> panels;
    for (const SamplePose& pose : samplePoses(rigOptions)) {
        SheetPanel panel{"frame " + std::to_string(pose.frame) + "  " + pose.name, eyeballs};
        const std::vector<Facet> mesh = meshFacets(rig, results.at(pose.frame).points);
        panel.facets.insert(panel.facets.end(), mesh.begin(), mesh.end());
        panels.push_back(std::move(panel));
    }
    return renderContactSheetPng(panels);
}

} // namespace

bool runDemo(const Plugin& plugin, const std::string& directory)
{
    const fs::path folder(directory);
    fs::create_directories(folder);

    const SampleRigOptions rigOptions;
    const Rig rig = buildSampleRig(rigOptions);
    DemoOutputs outputs;
    outputs.rigFile = (folder / "sample-eye-rig.json").string();
    writeRigFile(rig, outputs.rigFile);

    // Every frame is kept for the pictures: the sample rig is small.
    std::vector<FrameResult> results;
    FrameLog log(std::cerr, ::isatty(STDERR_FILENO) == 1);
    BakeOptions bake;
    bake.onProgress = [&log](std::size_t played, std::size_t toPlay) { log.progress(played, toPlay); };
    bake.onFrame = [&](const FrameResult& frame) {
        log.frame(frame);
        results.push_back(frame);
    };
    BakeOutputs meshes;
    meshes.objDirectory = (folder / "obj").string();
    const BakeSummary baked = bakeRig(plugin, rig, bake, meshes);
    log.finish();
    const bool allSucceeded = baked.failedFrames == 0;
    outputs.objFiles = baked.files;
    std::vector<double> frameMilliseconds;
    for (const FrameResult& result : results) {
        frameMilliseconds.push_back(result.seconds * 1000.0);
    }

    outputs.contactSheet = (folder / "contact-sheet.png").string();
    writeFileAtomically(outputs.contactSheet, renderKeyMoments(rig, rigOptions, results));
    const std::string summaryPath = (folder / "summary.json").string();
    writeFileAtomically(summaryPath, formatDemoSummary(results, frameMilliseconds, outputs));

    std::cout << "Sample rig: " << rig.geometry.points.size() << " points, " << results.size() << " frames, "
              << (allSucceeded ? "all succeeded" : "some failed (see the summary)") << '\n'
              << "Rig:     " << outputs.rigFile << '\n'
              << "Summary: " << summaryPath << '\n'
              << "PNG:     " << outputs.contactSheet << '\n'
              << "OBJ:     " << outputs.objFiles.size() << " files, " << outputs.objFiles.front() << " ... "
              << outputs.objFiles.back() << '\n';
    return allSucceeded;
}

} // namespace rghost
