#include "sample/SampleEyeMesh.h"

namespace rghost {

void EyeMesh::appendFaces(std::vector<std::vector<std::int32_t>>& faces) const
{
    for (int column = 0; column < loopSize(); ++column) {
        for (int ring = 0; ring + 1 < ringCount(); ++ring) {
            faces.push_back({vertex(column, ring), vertex(column + 1, ring), vertex(column + 1, ring + 1),
                             vertex(column, ring + 1)});
        }
    }
}

} // namespace rghost
