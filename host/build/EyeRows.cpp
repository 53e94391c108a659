#include "build/EyeRows.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

namespace rghost::build {

using Imath::V3d;

namespace {

constexpr std::size_t kMostRings = 64;

double meanDistance(const std::vector<std::int32_t>& from, const std::vector<std::int32_t>& to,
                    const std::vector<V3d>& points)
{
    double sum = 0.0;
    for (std::size_t j = 0; j < from.size(); ++j) {
        sum += (points[to[j]] - points[from[j]]).length();
    }
    return sum / static_cast<double>(from.size());
}

std::string cannotContinue(const RingStep& stop, std::size_t ring)
{
    return "loop " + std::to_string(ring) + " around the eye cannot continue at vertex " +
           std::to_string(stop.stuckAt) + ": " + stop.why + " where the next loop should be";
}

} // namespace

EyeRings walkRings(const MeshAdjacency& mesh, const std::vector<std::int32_t>& opening, RingSide side, double reach,
                   std::vector<char>& taken)
{
    EyeRings result;
    for (std::int32_t v : opening) {
        taken[v] = 1;
    }
    result.rings.push_back(opening);
    const std::vector<V3d>& points = mesh.mesh().points;
    while (result.rings.size() < kMostRings && meanDistance(opening, result.rings.back(), points) <= reach) {
        RingStep step = nextRing(mesh, result.rings.back(), side, taken);
        if (step.ring.empty()) {
            result.stop = std::move(step);
            break;
        }
        result.rings.push_back(std::move(step.ring));
    }
    return result;
}

void chooseMargin(EyeRings& rings, const std::vector<V3d>& points, const Sphere& eyeball, const V3d& front,
                  std::optional<int> centerRows)
{
    if (centerRows) {
        if (*centerRows < 0 || static_cast<std::size_t>(*centerRows) + 1 >= rings.rings.size()) {
            throw BuildError("the margin cannot lie " + std::to_string(*centerRows) +
                             " loops out from the hole: " + cannotContinue(rings.stop, rings.rings.size() - 1));
        }
        rings.margin = static_cast<std::size_t>(*centerRows);
        rings.socket = 0;
        return;
    }
    // How far a loop's vertices lie from the eyeball's centre, and at what
    // angle from its front.
    const auto radius = [&](const std::vector<std::int32_t>& ring) {
        double sum = 0.0;
        for (std::int32_t v : ring) {
            sum += (points[v] - eyeball.center).length();
        }
        return sum / static_cast<double>(ring.size());
    };
    const auto opening = [&](const std::vector<std::int32_t>& ring) {
        double angle = 0.0;
        for (std::int32_t v : ring) {
            angle += std::acos(std::clamp((points[v] - eyeball.center).normalized().dot(front), -1.0, 1.0));
        }
        return angle / static_cast<double>(ring.size());
    };
    // Socket loops run from the margin down towards the eyeball's centre or
    // back around the eyeball: stepping out of the socket, the opening seen
    // from the centre narrows or widens much less than the step rises. The
    // lid skin past the margin widens the opening. Comparing the widening
    // with the rise, both lengths, holds at any scale and for a roughly
    // fitted eyeball, whose centre error tilts the socket's straight lines
    // by far less than the allowance.
    const double allowance = 0.0875; // the tangent of 5 degrees
    const auto intoTheSocket = [&](std::size_t k) {
        const double rise = std::abs(radius(rings.rings[k + 1]) - radius(rings.rings[k]));
        const double widening = radius(rings.rings[k]) * (opening(rings.rings[k + 1]) - opening(rings.rings[k]));
        return radius(rings.rings[k]) < 0.99 * eyeball.radius || widening <= allowance * rise;
    };
    std::size_t margin = 0;
    while (margin + 1 < rings.rings.size() && intoTheSocket(margin)) {
        ++margin;
    }
    if (margin + 1 >= rings.rings.size()) {
        throw BuildError("no lid skin beyond the margin: " + cannotContinue(rings.stop, rings.rings.size() - 1));
    }
    rings.margin = margin;
    const auto onTheLines = [&](const std::vector<std::int32_t>& ring) {
        for (std::size_t j = 0; j < ring.size(); ++j) {
            const V3d& top = points[rings.rings[margin][j]];
            const V3d line = eyeball.center - top;
            const V3d offset = points[ring[j]] - top;
            const double along = offset.dot(line) / line.length2();
            if (!(along > 0.0 && along < 1.0) || (offset - line * along).length() > 0.02 * eyeball.radius) {
                return false;
            }
        }
        return true;
    };
    rings.socket = margin;
    while (rings.socket > 0 && onTheLines(rings.rings[rings.socket - 1])) {
        --rings.socket;
    }
}

void chooseCrease(EyeRings& rings, const std::vector<V3d>& points, const V3d& center, double reach,
                  std::optional<int> betweenRows)
{
    const std::size_t available = rings.rings.size() - rings.margin - 1; // loops outside the margin
    if (betweenRows) {
        if (*betweenRows < 0 || static_cast<std::size_t>(*betweenRows) >= available) {
            throw BuildError("the crease cannot lie " + std::to_string(*betweenRows + 1) +
                             " loops out from the margin: " + cannotContinue(rings.stop, rings.rings.size() - 1));
        }
        rings.crease = rings.margin + 1 + static_cast<std::size_t>(*betweenRows);
        return;
    }
    const std::vector<std::int32_t>& margin = rings.rings[rings.margin];
    rings.crease = rings.margin + 1;
    double sharpest = -std::numeric_limits<double>::infinity();
    for (std::size_t k = rings.margin + 1; k + 1 < rings.rings.size(); ++k) {
        if (meanDistance(margin, rings.rings[k], points) > reach) {
            break;
        }
        // How sharply the line of edges bends away from the eyeball here: a
        // fold like the crease bends outwards, the lid's rounded lip inwards.
        double turn = 0.0;
        for (std::size_t j = 0; j < margin.size(); ++j) {
            const V3d& here = points[rings.rings[k][j]];
            const V3d in = (here - points[rings.rings[k - 1][j]]).normalized();
            const V3d out = (points[rings.rings[k + 1][j]] - here).normalized();
            turn += (out - in).dot((here - center).normalized());
        }
        if (turn > sharpest) {
            sharpest = turn;
            rings.crease = k;
        }
    }
}

} // namespace rghost::build
