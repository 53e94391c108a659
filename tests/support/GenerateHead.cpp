// generate-head: writes a generated head as an OBJ file, for trying the rig
// builder on heads modelled unlike the sample face, and for pictures of them.
//
//   generate-head -o head.obj [--variety N | --points N] [--seed S] [--broken DEFECT]
//
// The eyeballs' centres and radii go to standard output, one line per eye.

#include <fstream>
#include <iostream>
#include <map>

#include <CLI/CLI.hpp>

#include "GeneratedHead.h"

int main(int argc, char** argv)
{
    CLI::App app("Writes a head modelled unlike the sample face as an OBJ file");
    std::string output;
    int variety = 0;
    std::size_t points = 0;
    std::uint64_t seed = 0;
    std::string broken;
    app.add_option("-o,--output", output, "the OBJ file to write")->required();
    auto* varietyOption =
        app.add_option("--variety", variety, "which of the test heads (0: the first)")->check(CLI::NonNegativeNumber);
    app.add_option("--points", points, "a dense head of about this many points instead")->excludes(varietyOption);
    app.add_option("--seed", seed, "another seed for the same kind of head");
    const std::map<std::string, heads::Defect> defects = {
        {"no-opening", heads::Defect::NoOpening},
        {"pole-at-loop", heads::Defect::PoleAtLoop},
        {"too-few-columns", heads::Defect::TooFewColumns},
        {"eyeball-behind-nothing", heads::Defect::EyeballBehindNothing},
        {"eyeball-in-front", heads::Defect::EyeballInFrontOfFace},
        {"non-manifold-margin", heads::Defect::NonManifoldMargin},
        {"zero-area-margin", heads::Defect::ZeroAreaMargin},
        {"overlapping-eyeballs", heads::Defect::OverlappingEyeballs}};
    app.add_option("--broken", broken, "break the head this way")->check(CLI::IsMember(defects));
    CLI11_PARSE(app, argc, argv);

    const std::vector<heads::HeadOptions> kinds = heads::headVariety();
    if (static_cast<std::size_t>(variety) >= kinds.size()) {
        std::cerr << "generate-head: --variety " << variety << " is past the " << kinds.size() << " kinds of head\n";
        return 2;
    }
    heads::HeadOptions options = points > 0 ? heads::headOfSize(points) : kinds[variety];
    if (seed != 0) {
        options.seed = seed;
    }
    if (!broken.empty()) {
        options.defect = defects.at(broken);
    }
    const heads::GeneratedHead head = heads::generateHead(options);
    std::ofstream file(output, std::ios::binary);
    file << heads::formatHeadObj(head);
    if (!file.flush()) {
        std::cerr << "generate-head: cannot write " << output << "\n";
        return 2;
    }
    std::cout.precision(17);
    for (const heads::GeneratedEye& eye : head.eyes) {
        std::cout << eyeSideName(eye.side) << " eyeball centre " << eye.center.x << " " << eye.center.y << " "
                  << eye.center.z << " radius " << eye.radius << "\n";
    }
    return 0;
}
