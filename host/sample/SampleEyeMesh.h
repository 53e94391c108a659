#pragma once

#include <cstdint>
#include <vector>

namespace rghost {

// How the vertices of one eye's patch of skin are numbered and joined. Loop
// columns run around the eye: the inner corner, the upper lid from the inner
// to the outer corner, the outer corner, the lower lid back to the inner
// corner. Each column is a line of rings running outwards: the socket rows
// (deepest first), the margin, the lid skin rows, the crease, then the face
// rings. A vertex is numbered column by column from `firstVertex`.
class EyeMesh {
public:
    static constexpr int kFaceRings = 4;

    EyeMesh(int columns, int centerRows, int betweenRows, std::int32_t firstVertex)
        : columns_(columns), centerRows_(centerRows), betweenRows_(betweenRows), firstVertex_(firstVertex)
    {
    }

    int columns() const { return columns_; }
    int centerRows() const { return centerRows_; }
    int betweenRows() const { return betweenRows_; }
    int ringCount() const { return centerRows_ + 1 + betweenRows_ + 1 + kFaceRings; }
    int loopSize() const { return 2 * columns_ + 2; }
    std::int32_t firstVertex() const { return firstVertex_; }
    std::int32_t endVertex() const { return firstVertex_ + loopSize() * ringCount(); }

    int innerCornerColumn() const { return 0; }
    int upperColumn(int i) const { return 1 + i; }
    int outerCornerColumn() const { return columns_ + 1; }
    int lowerColumn(int i) const { return 2 * columns_ + 1 - i; }

    int socketRing(int row) const { return centerRows_ - 1 - row; }
    int marginRing() const { return centerRows_; }
    int skinRing(int row) const { return centerRows_ + 1 + row; }
    int creaseRing() const { return centerRows_ + 1 + betweenRows_; }
    int faceRing(int ring) const { return creaseRing() + 1 + ring; }

    // Columns wrap around the loop.
    std::int32_t vertex(int column, int ring) const
    {
        return firstVertex_ + ((column % loopSize()) * ringCount()) + ring;
    }

    // One quad between each two neighbouring columns and rings, appended to `faces`.
    void appendFaces(std::vector<std::vector<std::int32_t>>& faces) const;

private:
    int columns_;
    int centerRows_;
    int betweenRows_;
    std::int32_t firstVertex_;
};

} // namespace rghost
