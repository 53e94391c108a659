#include "build/EyeOpening.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include <Imath/ImathMatrixAlgo.h>

namespace rghost::build {

using Imath::V3d;

std::vector<std::int32_t> openingInFront(const MeshAdjacency& mesh, const std::vector<std::vector<std::int32_t>>& holes,
                                         const Sphere& eyeball, int eyeNumber)
{
    const std::vector<V3d>& points = mesh.mesh().points;
    const std::vector<std::int32_t>* best = nullptr;
    double bestGap = std::numeric_limits<double>::infinity();
    for (const std::vector<std::int32_t>& hole : holes) {
        double gap = 0.0;
        V3d centroid(0.0);
        for (std::int32_t v : hole) {
            gap += std::abs((points[v] - eyeball.center).length() - eyeball.radius);
            centroid += points[v];
        }
        gap /= static_cast<double>(hole.size());
        centroid /= static_cast<double>(hole.size());
        // A hole around the eyeball's equator or behind its centre is not its opening.
        const double reach = (centroid - eyeball.center).length();
        if (reach < 0.2 * eyeball.radius || reach > 1.5 * eyeball.radius) {
            continue;
        }
        if (gap < bestGap) {
            bestGap = gap;
            best = &hole;
        }
    }
    if (best == nullptr || bestGap > 0.5 * eyeball.radius) {
        throw BuildError("no opening found in front of eyeball " + std::to_string(eyeNumber) +
                         ": no hole of the head lies near its surface (give the margin loop instead)");
    }
    return *best;
}

void checkEdgeLoop(const MeshAdjacency& mesh, const std::vector<std::int32_t>& loop)
{
    if (loop.size() < 3) {
        throw BuildError("the margin loop given has fewer than three vertices");
    }
    for (std::size_t j = 0; j < loop.size(); ++j) {
        const std::int32_t a = loop[j];
        const std::int32_t b = loop[(j + 1) % loop.size()];
        if (a < 0 || b < 0 || static_cast<std::size_t>(std::max(a, b)) >= mesh.vertexCount()) {
            throw BuildError("the margin loop names vertex " + std::to_string(a < 0 ? a : b) +
                             ", which does not exist");
        }
        if (mesh.edgeFaceCount(a, b) == 0) {
            throw BuildError("the margin loop is not an edge loop: vertex " + std::to_string(a) +
                             " is not joined to vertex " + std::to_string(b));
        }
    }
}

EyeAxes openingAxes(const std::vector<V3d>& points, const V3d& center, const V3d& nose, const V3d& characterUp)
{
    V3d centroid(0.0);
    for (const V3d& p : points) {
        centroid += p;
    }
    centroid /= static_cast<double>(points.size());
    EyeAxes axes;
    axes.front = (centroid - center).normalized();

    // The opening's long axis: the main axis of its points across the front.
    Imath::M33d spread(0.0);
    for (const V3d& p : points) {
        V3d d = p - centroid;
        d -= axes.front * d.dot(axes.front);
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j) {
                spread[i][j] += d[i] * d[j];
            }
        }
    }
    Imath::M33d vectors;
    V3d values;
    Imath::jacobiEigenSolver(spread, values, vectors);
    const int longest = values[0] >= values[1] && values[0] >= values[2] ? 0 : (values[1] >= values[2] ? 1 : 2);
    V3d temple(vectors[0][longest], vectors[1][longest], vectors[2][longest]);
    temple = (temple - axes.front * temple.dot(axes.front)).normalized();
    if (temple.dot(center - nose) < 0.0) {
        temple = -temple;
    }
    axes.temple = temple;
    axes.up = axes.front.cross(temple).normalized();
    if (axes.up.dot(characterUp) < 0.0) {
        axes.up = -axes.up;
    }
    return axes;
}

std::pair<std::size_t, std::size_t> widestSpan(const std::vector<std::int32_t>& loop, const std::vector<V3d>& points)
{
    const std::size_t m = loop.size();
    const std::size_t half = m / 2;
    std::pair<std::size_t, std::size_t> widest{0, half % m};
    double length = -1.0;
    for (std::size_t j = 0; j < (m % 2 != 0 ? m : half); ++j) {
        const std::size_t opposite = (j + half) % m;
        const double span = (points[loop[opposite]] - points[loop[j]]).length();
        if (span > length) {
            length = span;
            widest = {j, opposite};
        }
    }
    return widest;
}

V3d openingArch(const std::vector<std::int32_t>& loop, const std::vector<V3d>& points, const V3d& front)
{
    const auto [a, b] = widestSpan(loop, points);
    const V3d span = points[loop[b]] - points[loop[a]];
    if (!(span.length() > 0.0)) {
        return V3d(0.0);
    }
    const V3d along = span.normalized();
    V3d centroid(0.0);
    for (std::int32_t v : loop) {
        centroid += points[v];
    }
    V3d arch = centroid / static_cast<double>(loop.size()) - (points[loop[a]] + points[loop[b]]) * 0.5;
    arch -= along * arch.dot(along);
    const V3d square = (front - along * front.dot(along)).normalized();
    arch -= square * arch.dot(square);
    return arch / span.length();
}

namespace {

std::size_t positionOf(const std::vector<std::int32_t>& margin, std::int32_t vertex, const char* what)
{
    const auto found = std::find(margin.begin(), margin.end(), vertex);
    if (found == margin.end()) {
        throw BuildError(std::string("the ") + what + " given, vertex " + std::to_string(vertex) +
                         ", is not on the margin loop of vertex " + std::to_string(margin.front()));
    }
    return static_cast<std::size_t>(found - margin.begin());
}

std::vector<std::size_t> run(std::size_t from, std::size_t to, bool forward, std::size_t size)
{
    std::vector<std::size_t> positions;
    for (std::size_t j = forward ? (from + 1) % size : (from + size - 1) % size; j != to;
         j = forward ? (j + 1) % size : (j + size - 1) % size) {
        positions.push_back(j);
    }
    return positions;
}

} // namespace

MarginSplit splitMargin(const std::vector<std::int32_t>& margin, const std::vector<V3d>& points, const EyeAxes& axes,
                        const EyeOverrides& overrides)
{
    const std::size_t m = margin.size();
    const std::string loopName = "the margin loop of vertex " + std::to_string(margin.front());
    if (m < 6) {
        throw BuildError(loopName + " has " + std::to_string(m) +
                         " vertices: fewer than two columns per lid (at least 6 are needed)");
    }
    // Corners half the loop apart; with an odd count the run from the outer
    // corner back to the inner one is a vertex longer.
    const std::size_t half = m / 2;
    const bool odd = m % 2 != 0;
    MarginSplit split;
    if (overrides.innerCorner || overrides.outerCorner) {
        if (overrides.innerCorner) {
            split.innerCorner = positionOf(margin, *overrides.innerCorner, "inner corner");
        }
        if (overrides.outerCorner) {
            split.outerCorner = positionOf(margin, *overrides.outerCorner, "outer corner");
        }
        if (!overrides.innerCorner) {
            split.innerCorner = (split.outerCorner + half) % m;
        }
        if (!overrides.outerCorner) {
            split.outerCorner = (split.innerCorner + half) % m;
        }
        const std::size_t apart = (split.outerCorner + m - split.innerCorner) % m;
        if (apart != half && !(odd && apart == half + 1)) {
            throw BuildError("the corners given, vertices " + std::to_string(margin[split.innerCorner]) + " and " +
                             std::to_string(margin[split.outerCorner]) +
                             ", split the margin into lids of different lengths");
        }
    } else {
        // The opening's longest span between opposite vertices; the temple
        // axis only tells its ends apart.
        const auto [a, b] = widestSpan(margin, points);
        const bool outwards = (points[margin[b]] - points[margin[a]]).dot(axes.temple) > 0.0;
        split.innerCorner = outwards ? a : b;
        split.outerCorner = outwards ? b : a;
    }
    std::vector<std::size_t> forward = run(split.innerCorner, split.outerCorner, true, m);
    std::vector<std::size_t> backward = run(split.innerCorner, split.outerCorner, false, m);
    const auto height = [&](const std::vector<std::size_t>& lid) {
        double sum = 0.0;
        for (std::size_t j : lid) {
            sum += points[margin[j]].dot(axes.up);
        }
        return sum / static_cast<double>(lid.size());
    };
    const auto holds = [&](const std::vector<std::size_t>& lid, std::int32_t vertex) {
        return std::any_of(lid.begin(), lid.end(), [&](std::size_t j) { return margin[j] == vertex; });
    };
    bool forwardIsUpper = height(forward) > height(backward);
    for (const auto& [middle, upper] : {std::pair{overrides.upperMiddle, true}, {overrides.lowerMiddle, false}}) {
        if (!middle) {
            continue;
        }
        positionOf(margin, *middle, upper ? "upper lid middle" : "lower lid middle");
        if (!holds(forward, *middle) && !holds(backward, *middle)) {
            throw BuildError(std::string("the ") + (upper ? "upper" : "lower") + " lid middle given, vertex " +
                             std::to_string(*middle) + ", is a corner");
        }
        forwardIsUpper = holds(forward, *middle) == upper;
    }
    split.upper = forwardIsUpper ? std::move(forward) : std::move(backward);
    split.lower = forwardIsUpper ? run(split.innerCorner, split.outerCorner, false, m)
                                 : run(split.innerCorner, split.outerCorner, true, m);
    // The longer lid's vertex next to the outer corner follows the corner
    // and that lid's last column instead of being a column of its own.
    std::vector<std::size_t>& longer = split.upper.size() > split.lower.size() ? split.upper : split.lower;
    if (split.upper.size() != split.lower.size()) {
        split.extra = longer.back();
        longer.pop_back();
        split.extraAim = longer.back();
    }
    return split;
}

} // namespace rghost::build
