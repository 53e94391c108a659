#pragma once

#include <cstdint>
#include <vector>

#include "build/RigBuilder.h"

namespace rghost::build {

// Which faces meet at each vertex and along each edge of a polygon mesh,
// built once in time linear in the mesh's size.
class MeshAdjacency {
public:
    // Throws BuildError naming the face when a face has fewer than three
    // corners, names a point that does not exist or repeats a point.
    explicit MeshAdjacency(const HeadMesh& mesh);

    std::size_t vertexCount() const { return faceStart_.size() - 1; }

    // The faces that have `vertex` as a corner.
    const std::int32_t* facesBegin(std::int32_t vertex) const { return vertexFaces_.data() + faceStart_[vertex]; }
    const std::int32_t* facesEnd(std::int32_t vertex) const { return vertexFaces_.data() + faceStart_[vertex + 1]; }

    // The faces that have the edge a-b as a side (either direction), and how many.
    std::vector<std::int32_t> edgeFaces(std::int32_t a, std::int32_t b) const;
    std::size_t edgeFaceCount(std::int32_t a, std::int32_t b) const;

    // The corners of `face` next to `vertex` (before and after it), or -1 when
    // `vertex` is not a corner of `face`.
    std::int32_t cornerBefore(std::int32_t face, std::int32_t vertex) const;
    std::int32_t cornerAfter(std::int32_t face, std::int32_t vertex) const;

    // The loops of edges with exactly one face: each loop's vertices in order.
    // Vertices where boundaries touch start their own loops.
    std::vector<std::vector<std::int32_t>> boundaryLoops() const;

    // Which loose part (edge-connected set of faces and their vertices) each
    // vertex belongs to; vertices on no face get parts of their own.
    std::vector<std::int32_t> looseParts(std::int32_t& partCount) const;

    const HeadMesh& mesh() const { return mesh_; }

private:
    const HeadMesh& mesh_;
    std::vector<std::size_t> faceStart_;
    // Per vertex, per face it is a corner of (faceStart_ ranges): the face,
    // and the corners after and before the vertex in it.
    std::vector<std::int32_t> vertexFaces_;
    std::vector<std::int32_t> cornersAfter_;
    std::vector<std::int32_t> cornersBefore_;
};

} // namespace rghost::build
