#include "build/MeshAdjacency.h"

#include <algorithm>
#include <numeric>
#include <string>

namespace rghost::build {

MeshAdjacency::MeshAdjacency(const HeadMesh& mesh) : mesh_(mesh), faceStart_(mesh.points.size() + 1, 0)
{
    const auto pointCount = static_cast<std::int64_t>(mesh.points.size());
    for (std::size_t f = 0; f < mesh.faces.size(); ++f) {
        const std::vector<std::int32_t>& face = mesh.faces[f];
        if (face.size() < 3) {
            throw BuildError("face " + std::to_string(f) + " has fewer than three corners");
        }
        for (std::size_t k = 0; k < face.size(); ++k) {
            if (face[k] < 0 || face[k] >= pointCount) {
                throw BuildError("face " + std::to_string(f) + " names point " + std::to_string(face[k]) +
                                 ", which does not exist");
            }
            if (std::find(face.begin(), face.begin() + static_cast<std::ptrdiff_t>(k), face[k]) !=
                face.begin() + static_cast<std::ptrdiff_t>(k)) {
                throw BuildError("face " + std::to_string(f) + " repeats vertex " + std::to_string(face[k]));
            }
            ++faceStart_[face[k] + 1];
        }
    }
    std::partial_sum(faceStart_.begin(), faceStart_.end(), faceStart_.begin());
    vertexFaces_.resize(faceStart_.back());
    cornersAfter_.resize(faceStart_.back());
    cornersBefore_.resize(faceStart_.back());
    std::vector<std::size_t> slot(faceStart_.begin(), faceStart_.end() - 1);
    for (std::size_t f = 0; f < mesh.faces.size(); ++f) {
        const std::vector<std::int32_t>& face = mesh.faces[f];
        const std::size_t n = face.size();
        for (std::size_t k = 0; k < n; ++k) {
            const std::size_t at = slot[face[k]]++;
            vertexFaces_[at] = static_cast<std::int32_t>(f);
            cornersAfter_[at] = face[(k + 1) % n];
            cornersBefore_[at] = face[(k + n - 1) % n];
        }
    }
}

std::int32_t MeshAdjacency::cornerBefore(std::int32_t face, std::int32_t vertex) const
{
    for (std::size_t at = faceStart_[vertex]; at < faceStart_[vertex + 1]; ++at) {
        if (vertexFaces_[at] == face) {
            return cornersBefore_[at];
        }
    }
    return -1;
}

std::int32_t MeshAdjacency::cornerAfter(std::int32_t face, std::int32_t vertex) const
{
    for (std::size_t at = faceStart_[vertex]; at < faceStart_[vertex + 1]; ++at) {
        if (vertexFaces_[at] == face) {
            return cornersAfter_[at];
        }
    }
    return -1;
}

std::vector<std::int32_t> MeshAdjacency::edgeFaces(std::int32_t a, std::int32_t b) const
{
    std::vector<std::int32_t> faces;
    for (std::size_t at = faceStart_[a]; at < faceStart_[a + 1]; ++at) {
        if (cornersAfter_[at] == b || cornersBefore_[at] == b) {
            faces.push_back(vertexFaces_[at]);
        }
    }
    return faces;
}

std::size_t MeshAdjacency::edgeFaceCount(std::int32_t a, std::int32_t b) const
{
    std::size_t count = 0;
    for (std::size_t at = faceStart_[a]; at < faceStart_[a + 1]; ++at) {
        count += (cornersAfter_[at] == b || cornersBefore_[at] == b) ? 1 : 0;
    }
    return count;
}

std::vector<std::vector<std::int32_t>> MeshAdjacency::boundaryLoops() const
{
    // A boundary edge a->b runs along its one face's winding; following those
    // directed edges from vertex to vertex walks each hole once.
    std::vector<std::int32_t> nextOnBoundary(vertexCount(), -1);
    for (std::int32_t a = 0; a < static_cast<std::int32_t>(vertexCount()); ++a) {
        for (std::size_t at = faceStart_[a]; at < faceStart_[a + 1]; ++at) {
            if (edgeFaceCount(a, cornersAfter_[at]) == 1) {
                nextOnBoundary[a] = cornersAfter_[at];
            }
        }
    }
    std::vector<std::vector<std::int32_t>> loops;
    std::vector<char> visited(vertexCount(), 0);
    for (std::int32_t start = 0; start < static_cast<std::int32_t>(vertexCount()); ++start) {
        if (nextOnBoundary[start] < 0 || visited[start]) {
            continue;
        }
        std::vector<std::int32_t> loop;
        std::int32_t v = start;
        while (v >= 0 && !visited[v]) {
            visited[v] = 1;
            loop.push_back(v);
            v = nextOnBoundary[v];
        }
        if (v == start) {
            loops.push_back(std::move(loop));
        }
    }
    return loops;
}

std::vector<std::int32_t> MeshAdjacency::looseParts(std::int32_t& partCount) const
{
    std::vector<std::int32_t> part(vertexCount(), -1);
    partCount = 0;
    std::vector<std::int32_t> stack;
    for (std::int32_t seed = 0; seed < static_cast<std::int32_t>(vertexCount()); ++seed) {
        if (part[seed] >= 0) {
            continue;
        }
        part[seed] = partCount;
        stack.push_back(seed);
        while (!stack.empty()) {
            const std::int32_t v = stack.back();
            stack.pop_back();
            for (const std::int32_t* f = facesBegin(v); f != facesEnd(v); ++f) {
                for (std::int32_t w : mesh_.faces[*f]) {
                    if (part[w] < 0) {
                        part[w] = partCount;
                        stack.push_back(w);
                    }
                }
            }
        }
        ++partCount;
    }
    return part;
}

} // namespace rghost::build
