#include <iostream>
#include <limits>
#include <memory>

#include "build/BuildRigFile.h"
#include "cli/CommandSupport.h"
#include "cli/Commands.h"

namespace rghost {

namespace {

// What may be given for one side's eye on the command line; -1 and empty
// leave it to the builder.
struct SideOptions {
    std::vector<std::int32_t> margin;
    std::int32_t innerCorner = -1;
    std::int32_t outerCorner = -1;
    std::int32_t upperMiddle = -1;
    std::int32_t lowerMiddle = -1;
    int centerRows = -1;
    int betweenRows = -1;

    build::EyeOverrides overrides() const
    {
        build::EyeOverrides o;
        o.margin = margin;
        const auto set = [](auto& field, auto value) {
            if (value >= 0) {
                field = value;
            }
        };
        set(o.innerCorner, innerCorner);
        set(o.outerCorner, outerCorner);
        set(o.upperMiddle, upperMiddle);
        set(o.lowerMiddle, lowerMiddle);
        set(o.centerRows, centerRows);
        set(o.betweenRows, betweenRows);
        return o;
    }
};

struct BuildRigCommandOptions {
    build::BuildRigRequest request;
    std::vector<std::vector<double>> eyes; // x, y, z, radius
    std::vector<double> up;
    std::vector<double> front;
    bool withoutSoftRegion = false;
    SideOptions sides[2];
    std::string pluginPath;
};

Imath::V3d vectorOf(const std::vector<double>& xyz)
{
    return Imath::V3d(xyz[0], xyz[1], xyz[2]);
}

int runBuildRig(BuildRigCommandOptions& options)
{
    build::BuildRigRequest& request = options.request;
    for (const std::vector<double>& eye : options.eyes) {
        build::EyeballInput eyeball;
        eyeball.center = vectorOf(eye);
        eyeball.radius = eye[3];
        request.eyeballs.push_back(eyeball);
    }
    if (!options.up.empty()) {
        request.options.up = vectorOf(options.up);
    }
    if (!options.front.empty()) {
        request.options.front = vectorOf(options.front);
    }
    request.options.softRegion = !options.withoutSoftRegion;
    request.options.leftEye = options.sides[0].overrides();
    request.options.rightEye = options.sides[1].overrides();
    std::cout << build::buildRigFile(request, loadPlugin(options.pluginPath));
    std::cout << "Wrote " << request.outputPath << '\n';
    return 0;
}

void addSideOptions(CLI::App& command, SideOptions& side, const std::string& name)
{
    const CLI::Range nonNegative(0, std::numeric_limits<std::int32_t>::max());
    const std::string prefix = "--" + name + "-";
    const std::string eye = "The " + name + " eye's ";
    command.add_option(prefix + "margin", side.margin, eye + "margin loop, vertices in order (V,V,...)")
        ->delimiter(',');
    command.add_option(prefix + "inner-corner", side.innerCorner, eye + "margin vertex at the nose end")
        ->check(nonNegative);
    command.add_option(prefix + "outer-corner", side.outerCorner, eye + "margin vertex at the temple end")
        ->check(nonNegative);
    command
        .add_option(prefix + "upper-middle", side.upperMiddle, "A margin vertex of the " + name + " eye's upper lid")
        ->check(nonNegative);
    command
        .add_option(prefix + "lower-middle", side.lowerMiddle, "A margin vertex of the " + name + " eye's lower lid")
        ->check(nonNegative);
    command.add_option(prefix + "center-rows", side.centerRows, eye + "loops from the hole to the margin")
        ->check(nonNegative);
    command
        .add_option(prefix + "between-rows", side.betweenRows,
                    eye + "loops from the margin to the crease, crease excluded")
        ->check(nonNegative);
}

} // namespace

void addBuildRigCommand(CLI::App& app, Command& command)
{
    auto options = std::make_shared<BuildRigCommandOptions>();
    CLI::App* buildRig = app.add_subcommand(
        "build-rig", "Build a rig file from a head mesh (OBJ) and its eyeballs, and report what was chosen");
    buildRig->add_option("head", options->request.headPath, "OBJ file: the head and its eyeballs")->required();
    buildRig->add_option("-o,--output", options->request.outputPath, "Rig file to write (rg-rig/1)")->required();
    buildRig->add_option("--eyeball", options->request.eyeballNames,
                         "OBJ object or group that is an eyeball (repeat; default: names holding 'eyeball' or 'eye', "
                         "else the closed, roughly spherical loose parts)");
    buildRig->add_option("--eye", options->eyes, "An eyeball's centre and radius X,Y,Z,R instead of its mesh (twice)")
        ->delimiter(',')
        ->expected(4);
    buildRig->add_option("--up", options->up, "The character's up X,Y,Z (default: from the scene's axes)")
        ->delimiter(',')
        ->expected(3);
    buildRig->add_option("--front", options->front, "The way the character looks X,Y,Z (default: from the openings)")
        ->delimiter(',')
        ->expected(3);
    buildRig->add_flag("--swap-sides", options->request.options.swapSides, "Name the other eye left");
    buildRig->add_flag("--no-soft-region", options->withoutSoftRegion,
                       "Leave out the brow and cheek loops that follow the creases");
    buildRig
        ->add_option("--soft-region-rings", options->request.options.softRegionRings,
                     "Face loops past each crease that follow it")
        ->capture_default_str()
        ->check(CLI::PositiveNumber);
    buildRig->add_option("--frames", options->request.options.frames, "Length of the test animation")
        ->capture_default_str()
        ->check(CLI::PositiveNumber);
    addSideOptions(*buildRig, options->sides[0], "left");
    addSideOptions(*buildRig, options->sides[1], "right");
    addPluginOption(*buildRig, options->pluginPath);
    buildRig->callback([options, &command] { command = [options] { return runBuildRig(*options); }; });
}

} // namespace rghost
