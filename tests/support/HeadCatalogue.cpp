#include <algorithm>
#include <cmath>
#include <map>

#include "GeneratedHead.h"

using Imath::V3d;

namespace heads {

std::string headName(const HeadOptions& options)
{
    static const std::map<FarFaces, const char*> farNames = {{FarFaces::Quads, "quads"},
                                                             {FarFaces::Triangles, "triangles"},
                                                             {FarFaces::NGons, "ngons"},
                                                             {FarFaces::Mixed, "mixed"}};
    static const std::map<EyeballForm, const char*> formNames = {{EyeballForm::LooseParts, "loose"},
                                                                 {EyeballForm::Objects, "objects"},
                                                                 {EyeballForm::Groups, "groups"},
                                                                 {EyeballForm::CentreAndRadius, "spheres"}};
    static const std::map<Defect, const char*> defectNames = {{Defect::None, ""},
                                                              {Defect::NoOpening, "_noOpening"},
                                                              {Defect::PoleAtLoop, "_poleAtLoop"},
                                                              {Defect::TooFewColumns, "_tooFewColumns"},
                                                              {Defect::EyeballBehindNothing, "_eyeballBehindNothing"},
                                                              {Defect::EyeballInFrontOfFace, "_eyeballInFront"},
                                                              {Defect::NonManifoldMargin, "_nonManifoldMargin"},
                                                              {Defect::ZeroAreaMargin, "_zeroAreaMargin"},
                                                              {Defect::OverlappingEyeballs, "_overlappingEyeballs"}};
    const bool yUp = options.up.normalized().equalWithAbsError(V3d(0, 1, 0), 1e-9);
    const bool zUp = options.up.normalized().equalWithAbsError(V3d(0, 0, 1), 1e-9);
    return std::string(options.layout == EyeLayout::Sides ? "sides" : "front") + "_opening" +
           std::to_string(4 * options.openingCells) + "_loops" + std::to_string(options.skinLoops) + "x" +
           std::to_string(options.socketLoops) + "_" + farNames.at(options.farFaces) + "_" +
           formNames.at(options.eyeballs) +
           (yUp   ? "_yUp"
            : zUp ? "_zUp"
                  : "_tippedUp") +
           (options.turnDegrees != 0 ? "_turned" : "") + "_seed" + std::to_string(options.seed) +
           defectNames.at(options.defect);
}

std::vector<HeadOptions> headVariety()
{
    std::vector<HeadOptions> variety;
    const auto add = [&](auto change) {
        HeadOptions options;
        options.seed = variety.size() + 1;
        change(options);
        variety.push_back(options);
    };
    add([](HeadOptions&) {});
    add([](HeadOptions& o) { // coarse: an opening of 8, one loop to the face, no socket
        o.openingCells = 2;
        o.skinLoops = 1;
        o.socketLoops = 0;
        o.farFaces = FarFaces::Quads;
        o.eyeballs = EyeballForm::LooseParts;
    });
    add([](HeadOptions& o) { // dense loops, triangles away from the eye, a steep tilt
        o.openingCells = 24;
        o.skinLoops = 10;
        o.socketLoops = 3;
        o.farFaces = FarFaces::Triangles;
        o.eyeballs = EyeballForm::Groups;
        o.tiltDegrees = 20;
    });
    add([](HeadOptions& o) { // an opening of a few hundred vertices
        o.openingCells = 60;
        o.skinLoops = 6;
        o.socketLoops = 1;
        o.farFaces = FarFaces::NGons;
        o.eyeballs = EyeballForm::CentreAndRadius;
    });
    add([](HeadOptions& o) { // Z-up, as some packages save
        o.openingCells = 8;
        o.up = V3d(0, 0, 1);
        o.eyeballNoise = 0.05;
    });
    add([](HeadOptions& o) { // tipped and turned, at a small scale
        o.up = V3d(0.3, 0.9, 0.2);
        o.turnDegrees = 140;
        o.scale = 0.05;
        o.eyeballs = EyeballForm::Groups;
        o.tiltDegrees = -10;
    });
    add([](HeadOptions& o) { // an animal: eyes on the sides of a long head
        o.layout = EyeLayout::Sides;
        o.eyeballs = EyeballForm::LooseParts;
        o.farFaces = FarFaces::NGons;
    });
    add([](HeadOptions& o) { // an animal lying in a Z-up scene, turned, at a large scale
        o.layout = EyeLayout::Sides;
        o.openingCells = 10;
        o.up = V3d(0, 0, 1);
        o.turnDegrees = 75;
        o.scale = 30;
        o.skinLoops = 7;
    });
    return variety;
}

std::vector<HeadOptions> brokenHeads()
{
    std::vector<HeadOptions> broken;
    for (const Defect defect : {Defect::NoOpening, Defect::PoleAtLoop, Defect::TooFewColumns,
                                Defect::EyeballBehindNothing, Defect::EyeballInFrontOfFace, Defect::NonManifoldMargin,
                                Defect::ZeroAreaMargin, Defect::OverlappingEyeballs}) {
        HeadOptions options;
        options.seed = 100 + broken.size();
        options.defect = defect;
        broken.push_back(options);
    }
    return broken;
}

HeadOptions headOfSize(std::size_t vertexCount)
{
    HeadOptions options;
    options.skinLoops = 6;
    // The point count grows with the square of the opening's cells; a few steps settle it.
    double cells = 10;
    for (int step = 0; step < 4; ++step) {
        options.openingCells = std::max(2, static_cast<int>(std::lround(cells)));
        const double made = static_cast<double>(generateHead(options).head.points.size());
        cells = options.openingCells * std::sqrt(static_cast<double>(vertexCount) / made);
    }
    options.openingCells = std::max(2, static_cast<int>(std::lround(cells)));
    return options;
}
} // namespace heads
