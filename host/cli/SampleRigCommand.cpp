#include <iostream>
#include <memory>
#include <stdexcept>

#include "cli/Commands.h"
#include "io/RigFileWriter.h"
#include "sample/SampleRig.h"

namespace rghost {

namespace {

struct SampleRigCommandOptions {
    std::string outputPath;
    SampleRigOptions rig;
    bool withoutSoftRegion = false;
};

int runSampleRig(const SampleRigCommandOptions& options)
{
    SampleRigOptions rigOptions = options.rig;
    rigOptions.softRegion = !options.withoutSoftRegion;
    const std::string problem = describeSampleRigProblem(rigOptions);
    if (!problem.empty()) {
        throw std::invalid_argument("sample-rig: " + problem);
    }
    const Rig rig = buildSampleRig(rigOptions);
    writeRigFile(rig, options.outputPath);
    std::cout << "Wrote " << options.outputPath << " (" << rig.geometry.points.size() << " points, " << frameCount(rig)
              << " frames)\n";
    return 0;
}

} // namespace

void addSampleRigCommand(CLI::App& app, Command& command)
{
    auto options = std::make_shared<SampleRigCommandOptions>();
    CLI::App* sampleRig =
        app.add_subcommand("sample-rig", "Write the built-in sample eye rig (two eyes, animated) as a rig file");
    sampleRig->add_option("-o,--output", options->outputPath, "Rig file to write (rg-rig/1)")->required();
    sampleRig->add_option("--columns", options->rig.columns, "Lid columns per lid, corner to corner")
        ->capture_default_str();
    sampleRig
        ->add_option("--rows-center", options->rig.centerRows, "Rows per column from the lid margin into the socket")
        ->capture_default_str();
    sampleRig
        ->add_option("--rows-between", options->rig.betweenRows, "Rows per column over the lid skin, margin to crease")
        ->capture_default_str();
    sampleRig->add_option("--frames", options->rig.frames, "Length of the animation")->capture_default_str();
    sampleRig->add_flag("--no-soft-region", options->withoutSoftRegion,
                        "Leave out the brow and cheek groups that follow the lids");
    sampleRig->callback([options, &command] { command = [options] { return runSampleRig(*options); }; });
}

} // namespace rghost
