#include "build/HeadScene.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

#include "build/MeshAdjacency.h"
#include "build/SphereFit.h"

namespace rghost::build {

using Imath::V3d;

namespace {

// The mesh of the points and faces kept, its points renumbered in order.
HeadMesh partOf(const HeadMesh& mesh, const std::vector<char>& pointKept, const std::vector<char>& faceKept)
{
    HeadMesh part;
    std::vector<std::int32_t> renumbered(mesh.points.size(), -1);
    for (std::size_t p = 0; p < mesh.points.size(); ++p) {
        if (pointKept[p]) {
            renumbered[p] = static_cast<std::int32_t>(part.points.size());
            part.points.push_back(mesh.points[p]);
        }
    }
    for (std::size_t f = 0; f < mesh.faces.size(); ++f) {
        if (faceKept[f]) {
            std::vector<std::int32_t> face;
            for (std::int32_t v : mesh.faces[f]) {
                face.push_back(renumbered[v]);
            }
            part.faces.push_back(std::move(face));
        }
    }
    return part;
}

// Splits `mesh` into eyeballs (the faces `eyeballOfFace` gives an eyeball
// number) and the head (the other faces, and every point no eyeball uses).
HeadScene splitByFaces(const HeadMesh& mesh, const std::vector<std::int32_t>& eyeballOfFace, std::int32_t eyeballCount)
{
    HeadScene scene;
    std::vector<char> usedByEyeball(mesh.points.size(), 0);
    for (std::int32_t e = 0; e < eyeballCount; ++e) {
        std::vector<char> faces(mesh.faces.size(), 0);
        std::vector<char> points(mesh.points.size(), 0);
        for (std::size_t f = 0; f < mesh.faces.size(); ++f) {
            if (eyeballOfFace[f] == e) {
                faces[f] = 1;
                for (std::int32_t v : mesh.faces[f]) {
                    points[v] = 1;
                    usedByEyeball[v] = 1;
                }
            }
        }
        EyeballInput eyeball;
        eyeball.points = partOf(mesh, points, faces).points;
        scene.eyeballs.push_back(std::move(eyeball));
    }
    std::vector<char> headPoints(mesh.points.size(), 0);
    std::vector<char> headFaces(mesh.faces.size(), 0);
    for (std::size_t p = 0; p < mesh.points.size(); ++p) {
        headPoints[p] = !usedByEyeball[p];
    }
    for (std::size_t f = 0; f < mesh.faces.size(); ++f) {
        headFaces[f] = eyeballOfFace[f] < 0;
        for (std::int32_t v : mesh.faces[f]) {
            if (headFaces[f] && usedByEyeball[v]) {
                throw BuildError("face " + std::to_string(f) + " of the head shares vertex " + std::to_string(v) +
                                 " with an eyeball");
            }
        }
    }
    scene.head = partOf(mesh, headPoints, headFaces);
    return scene;
}

std::string lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// "eyeball_L", "L_eye", "Eye.R": a name that says eyeball.
bool namesAnEyeball(const std::string& name)
{
    const std::string text = lowered(name);
    if (text.find("eyeball") != std::string::npos) {
        return true;
    }
    for (std::size_t at = text.find("eye"); at != std::string::npos; at = text.find("eye", at + 1)) {
        const bool startsWord = at == 0 || !std::isalpha(static_cast<unsigned char>(text[at - 1]));
        const bool endsWord = at + 3 == text.size() || !std::isalpha(static_cast<unsigned char>(text[at + 3]));
        if (startsWord && endsWord) {
            return true;
        }
    }
    return false;
}

} // namespace

HeadScene splitLooseEyeballs(const HeadMesh& mesh)
{
    const MeshAdjacency adjacency(mesh);
    std::int32_t partCount = 0;
    const std::vector<std::int32_t> part = adjacency.looseParts(partCount);
    std::vector<std::vector<V3d>> partPoints(partCount);
    for (std::size_t p = 0; p < mesh.points.size(); ++p) {
        partPoints[part[p]].push_back(mesh.points[p]);
    }
    std::vector<char> open(partCount, 0);
    for (const std::vector<std::int32_t>& hole : adjacency.boundaryLoops()) {
        open[part[hole.front()]] = 1;
    }
    std::vector<char> hasFaces(partCount, 0);
    for (const auto& face : mesh.faces) {
        hasFaces[part[face.front()]] = 1;
    }
    std::vector<std::int32_t> eyeballOfPart(partCount, -1);
    std::int32_t eyeballCount = 0;
    for (std::int32_t k = 0; k < partCount; ++k) {
        if (open[k] || !hasFaces[k] || partPoints[k].size() < 8) {
            continue;
        }
        try {
            if (fitSphere(partPoints[k], "a loose part").residual < 0.1) {
                eyeballOfPart[k] = eyeballCount++;
            }
        } catch (const BuildError&) {
            // A flat or degenerate part is no eyeball.
        }
    }
    if (eyeballCount != 2) {
        throw BuildError("found " + std::to_string(eyeballCount) +
                         " closed, roughly spherical loose parts where two eyeballs are needed: name the eyeball "
                         "objects or groups, or give the eyeballs' centres and radii");
    }
    std::vector<std::int32_t> eyeballOfFace(mesh.faces.size(), -1);
    for (std::size_t f = 0; f < mesh.faces.size(); ++f) {
        eyeballOfFace[f] = eyeballOfPart[part[mesh.faces[f].front()]];
    }
    return splitByFaces(mesh, eyeballOfFace, eyeballCount);
}

HeadScene parseHeadObj(const std::string& text, const std::string& name, const std::vector<std::string>& eyeballNames,
                       bool eyeballsGiven)
{
    HeadMesh mesh;
    std::vector<std::string> partOfFace;
    std::string part;
    std::istringstream lines(text);
    std::string line;
    for (std::size_t number = 1; std::getline(lines, line); ++number) {
        const auto fail = [&](const std::string& what) {
            throw BuildError(name + ":" + std::to_string(number) + ": " + what);
        };
        std::istringstream words(line);
        std::string keyword;
        words >> keyword;
        if (keyword == "v") {
            V3d p;
            if (!(words >> p.x >> p.y >> p.z)) {
                fail("a point needs three numbers");
            }
            mesh.points.push_back(p);
        } else if (keyword == "f") {
            std::vector<std::int32_t> face;
            std::string corner;
            while (words >> corner) {
                long index = 0;
                try {
                    index = std::stol(corner.substr(0, corner.find('/')));
                } catch (const std::exception&) {
                    fail("face corner '" + corner + "' is not a point number");
                }
                const long count = static_cast<long>(mesh.points.size());
                const long resolved = index < 0 ? count + index : index - 1;
                if (index == 0 || resolved < 0 || resolved >= count) {
                    fail("face corner " + corner + " names no point read so far");
                }
                face.push_back(static_cast<std::int32_t>(resolved));
            }
            if (face.size() < 3) {
                fail("a face needs at least three corners");
            }
            mesh.faces.push_back(std::move(face));
            partOfFace.push_back(part);
        } else if (keyword == "o" || keyword == "g") {
            std::getline(words >> std::ws, part);
        }
    }
    if (mesh.faces.empty()) {
        throw BuildError(name + ": no faces");
    }
    if (eyeballsGiven) {
        return {mesh, {}};
    }
    std::vector<std::string> eyeballParts;
    for (const std::string& partName : partOfFace) {
        const bool named = eyeballNames.empty()
                               ? namesAnEyeball(partName)
                               : std::find(eyeballNames.begin(), eyeballNames.end(), partName) != eyeballNames.end();
        if (named && std::find(eyeballParts.begin(), eyeballParts.end(), partName) == eyeballParts.end()) {
            eyeballParts.push_back(partName);
        }
    }
    for (const std::string& wanted : eyeballNames) {
        if (std::find(eyeballParts.begin(), eyeballParts.end(), wanted) == eyeballParts.end()) {
            throw BuildError(name + ": no object or group named '" + wanted + "'");
        }
    }
    if (eyeballParts.empty()) {
        return splitLooseEyeballs(mesh);
    }
    std::vector<std::int32_t> eyeballOfFace(mesh.faces.size(), -1);
    for (std::size_t f = 0; f < mesh.faces.size(); ++f) {
        const auto found = std::find(eyeballParts.begin(), eyeballParts.end(), partOfFace[f]);
        if (found != eyeballParts.end()) {
            eyeballOfFace[f] = static_cast<std::int32_t>(found - eyeballParts.begin());
        }
    }
    return splitByFaces(mesh, eyeballOfFace, static_cast<std::int32_t>(eyeballParts.size()));
}

HeadScene readHeadObj(const std::string& path, const std::vector<std::string>& eyeballNames, bool eyeballsGiven)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw BuildError(path + ": cannot be read");
    }
    std::ostringstream text;
    text << file.rdbuf();
    return parseHeadObj(text.str(), path, eyeballNames, eyeballsGiven);
}

} // namespace rghost::build
