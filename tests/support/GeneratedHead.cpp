#include "GeneratedHead.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include <Imath/ImathMatrix.h>
#include <Imath/ImathQuat.h>

using namespace rigContract;

namespace heads {

namespace {

using Imath::V3d;
using rghost::build::HeadMesh;
using Face = std::vector<std::int32_t>;

constexpr double kPi = 3.14159265358979323846;
constexpr double kEyeballRadius = 1.4;
// The face around an eye, as wide as it is high, measured along the skin.
constexpr double kEyeRegionWidth = 3.4 * kEyeballRadius;
// How far the eyeball's centre lies behind the skin over it: its front is
// flush with the face, so the face around the opening lies outside it.
constexpr double kEyeballDepth = 1.0 * kEyeballRadius;
// The opening's half width and half height on the eyeball, per radius.
constexpr double kOpeningHalfWidth = 0.78;
constexpr double kOpeningHalfHeight = 0.42;
constexpr double kMarginRadius = 1.02 * kEyeballRadius;
constexpr double kSocketRadius = 1.004 * kEyeballRadius;
// The lid skin wraps the eyeball from the margin to the crease, thickest in
// the middle of the lid; past the crease it rounds out to the face.
constexpr double kLidThickness = 0.08 * kEyeballRadius;
constexpr double kCreaseRadius = 1.08 * kEyeballRadius;
constexpr double kCreaseFraction = 0.6; // of the way from the margin to the face, by loops

double radians(double degrees)
{
    return degrees * kPi / 180.0;
}

// splitmix64: the same numbers from a seed on every platform.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double uniform(double low, double high)
    {
        return low + (high - low) * static_cast<double>(next() >> 11) * 0x1.0p-53;
    }
    int below(int count) { return static_cast<int>(next() % static_cast<std::uint64_t>(count)); }

private:
    std::uint64_t state_;
};

// The head's skin in its own pose (Y up, Z front, +X the character's left):
// part of an ellipsoid, in longitude (about Y, 0 at the front) and latitude.
struct Shell {
    V3d axes;
    double eyeLongitude; // of the left eye; the right eye mirrors it
    double eyeLatitude;
    double longitudeReach; // the skin spans -reach..reach
    double latitudeLow;
    double latitudeHigh;

    V3d at(double longitude, double latitude) const
    {
        return {axes.x * std::cos(latitude) * std::sin(longitude), axes.y * std::sin(latitude),
                axes.z * std::cos(latitude) * std::cos(longitude)};
    }
    V3d normal(double longitude, double latitude) const
    {
        const V3d p = at(longitude, latitude);
        return V3d(p.x / (axes.x * axes.x), p.y / (axes.y * axes.y), p.z / (axes.z * axes.z)).normalized();
    }
};

Shell shellFor(EyeLayout layout)
{
    if (layout == EyeLayout::Sides) {
        return {V3d(5.0, 5.5, 10.0), radians(80), radians(12), radians(130), radians(-55), radians(60)};
    }
    return {V3d(7.0, 9.0, 7.5), radians(26), radians(6), radians(80), radians(-50), radians(60)};
}

// Grid lines of the skin: longitude i, latitude j; each eye's opening takes a
// block of m x m cells whose border lies on grid lines.
struct Grid {
    int cells = 0; // m
    double longitudeStep = 0.0;
    double latitudeStep = 0.0;
    double firstLongitude = 0.0;
    double firstLatitude = 0.0;
    int longitudeLines = 0;
    int latitudeLines = 0;
    int blockLine[2] = {0, 0}; // first longitude line of the left and right eye's block
    int blockLatitudeLine = 0;

    double longitude(int i) const { return firstLongitude + i * longitudeStep; }
    double latitude(int j) const { return firstLatitude + j * latitudeStep; }
    bool insideBlock(int i, int j, int eye) const
    {
        return i > blockLine[eye] && i < blockLine[eye] + cells && j > blockLatitudeLine &&
               j < blockLatitudeLine + cells;
    }
    bool cellInBlock(int i, int j, int eye, int margin) const
    {
        return i >= blockLine[eye] - margin && i < blockLine[eye] + cells + margin && j >= blockLatitudeLine - margin &&
               j < blockLatitudeLine + cells + margin;
    }
};

Grid gridFor(const Shell& shell, int cells)
{
    const double delta = 1e-6;
    const double lon = shell.eyeLongitude;
    const double lat = shell.eyeLatitude;
    const double alongLongitude = (shell.at(lon + delta, lat) - shell.at(lon - delta, lat)).length() / (2 * delta);
    const double alongLatitude = (shell.at(lon, lat + delta) - shell.at(lon, lat - delta)).length() / (2 * delta);

    Grid grid;
    grid.cells = cells;
    // Both blocks' borders must fall on grid lines, with a cell at least between them.
    const double wantedStep = kEyeRegionWidth / (cells * alongLongitude);
    const int linesBetweenEyes = std::max(cells + 1, static_cast<int>(std::lround(2 * lon / wantedStep)));
    grid.longitudeStep = 2 * lon / linesBetweenEyes;
    grid.latitudeStep = kEyeRegionWidth / (cells * alongLatitude);

    const double halfBlockLongitude = 0.5 * cells * grid.longitudeStep;
    const int outsideLines = std::max(
        1, static_cast<int>(std::ceil((shell.longitudeReach - lon - halfBlockLongitude) / grid.longitudeStep)));
    grid.firstLongitude = -lon - halfBlockLongitude - outsideLines * grid.longitudeStep;
    grid.longitudeLines = linesBetweenEyes + cells + 2 * outsideLines + 1;
    grid.blockLine[1] = outsideLines;
    grid.blockLine[0] = outsideLines + linesBetweenEyes;

    const double halfBlockLatitude = 0.5 * cells * grid.latitudeStep;
    const int below =
        std::max(1, static_cast<int>(std::ceil((lat - halfBlockLatitude - shell.latitudeLow) / grid.latitudeStep)));
    const int above =
        std::max(1, static_cast<int>(std::ceil((shell.latitudeHigh - lat - halfBlockLatitude) / grid.latitudeStep)));
    grid.firstLatitude = lat - halfBlockLatitude - below * grid.latitudeStep;
    grid.blockLatitudeLine = below;
    grid.latitudeLines = below + cells + above + 1;
    return grid;
}

// The grid nodes around a block, counter-clockwise seen from outside, from
// the middle of its side towards +longitude.
std::vector<std::pair<int, int>> blockBorder(const Grid& grid, int eye)
{
    const int i0 = grid.blockLine[eye];
    const int j0 = grid.blockLatitudeLine;
    const int m = grid.cells;
    std::vector<std::pair<int, int>> border;
    for (int k = 0; k < m; ++k) {
        border.emplace_back(i0 + m, j0 + k);
    }
    for (int k = 0; k < m; ++k) {
        border.emplace_back(i0 + m - k, j0 + m);
    }
    for (int k = 0; k < m; ++k) {
        border.emplace_back(i0, j0 + m - k);
    }
    for (int k = 0; k < m; ++k) {
        border.emplace_back(i0 + k, j0);
    }
    std::rotate(border.begin(), border.begin() + m / 2, border.end());
    return border;
}

struct Builder {
    const HeadOptions& options;
    Random random;
    Shell shell;
    Grid grid;
    HeadMesh head;
    std::vector<std::vector<std::int32_t>> nodes; // [i][j] -> point, -1 inside an opening
    std::vector<GeneratedEye> eyes;
    std::vector<std::vector<std::vector<std::int32_t>>> eyeRings; // per eye: socket (deepest first), margin, skin
    std::vector<std::int32_t> culprits;

    bool opened(int eye) const { return !(eye == 0 && options.defect == Defect::NoOpening); }

    std::int32_t addPoint(const V3d& point)
    {
        head.points.push_back(point);
        return static_cast<std::int32_t>(head.points.size() - 1);
    }

    void addGridNodes()
    {
        nodes.assign(grid.longitudeLines, std::vector<std::int32_t>(grid.latitudeLines, -1));
        const auto onBlockBorder = [&](int i, int j) {
            for (int eye = 0; eye < 2; ++eye) {
                if (i >= grid.blockLine[eye] && i <= grid.blockLine[eye] + grid.cells && j >= grid.blockLatitudeLine &&
                    j <= grid.blockLatitudeLine + grid.cells) {
                    return true;
                }
            }
            return false;
        };
        for (int j = 0; j < grid.latitudeLines; ++j) {
            for (int i = 0; i < grid.longitudeLines; ++i) {
                if ((opened(0) && grid.insideBlock(i, j, 0)) || grid.insideBlock(i, j, 1)) {
                    continue;
                }
                // Skin away from the openings is not laid out evenly.
                const double jitter = onBlockBorder(i, j) ? 0.0 : 0.2;
                const double lon = grid.longitude(i) + random.uniform(-jitter, jitter) * grid.longitudeStep;
                const double lat = grid.latitude(j) + random.uniform(-jitter, jitter) * grid.latitudeStep;
                nodes[i][j] = addPoint(shell.at(lon, lat));
            }
        }
    }

    void addFarFaces()
    {
        const int width = grid.longitudeLines - 1;
        const int height = grid.latitudeLines - 1;
        std::vector<std::vector<bool>> taken(width, std::vector<bool>(height, false));
        const auto inBlock = [&](int i, int j, int margin) {
            return (opened(0) && grid.cellInBlock(i, j, 0, margin)) || grid.cellInBlock(i, j, 1, margin);
        };
        for (int j = 0; j < height; ++j) {
            for (int i = 0; i < width; ++i) {
                if (taken[i][j] || inBlock(i, j, 0)) {
                    continue;
                }
                const Face quad = {nodes[i][j], nodes[i + 1][j], nodes[i + 1][j + 1], nodes[i][j + 1]};
                FarFaces kind = options.farFaces;
                if (inBlock(i, j, 1)) {
                    kind = FarFaces::Quads; // the face next to an opening stays quads
                } else if (kind == FarFaces::Mixed) {
                    const FarFaces kinds[] = {FarFaces::Quads, FarFaces::Quads, FarFaces::Triangles, FarFaces::NGons};
                    kind = kinds[random.below(4)];
                }
                const bool canMerge = i + 1 < width && !taken[i + 1][j] && !inBlock(i + 1, j, 1);
                if (kind == FarFaces::NGons && canMerge) {
                    // Two cells as one hexagon.
                    taken[i + 1][j] = true;
                    head.faces.push_back({nodes[i][j], nodes[i + 1][j], nodes[i + 2][j], nodes[i + 2][j + 1],
                                          nodes[i + 1][j + 1], nodes[i][j + 1]});
                } else if (kind == FarFaces::Triangles) {
                    if (random.below(2) == 0) {
                        head.faces.push_back({quad[0], quad[1], quad[2]});
                        head.faces.push_back({quad[0], quad[2], quad[3]});
                    } else {
                        head.faces.push_back({quad[0], quad[1], quad[3]});
                        head.faces.push_back({quad[1], quad[2], quad[3]});
                    }
                } else {
                    head.faces.push_back(quad);
                }
            }
        }
    }

    void addEye(int eye)
    {
        const EyeSide side = eye == 0 ? EyeSide::Left : EyeSide::Right;
        const double mirror = eye == 0 ? 1.0 : -1.0;
        const double lon = mirror * shell.eyeLongitude;
        const double lat = shell.eyeLatitude;
        const V3d skin = shell.at(lon, lat);
        const V3d out = shell.normal(lon, lat);
        const double delta = 1e-6;
        const V3d towardsLongitude = shell.at(lon + delta, lat) - shell.at(lon - delta, lat);
        const V3d x = (towardsLongitude - out * (out ^ towardsLongitude)).normalized();
        const V3d y = out % x;

        GeneratedEye generated;
        generated.side = side;
        generated.radius = kEyeballRadius;
        generated.center = skin - out * kEyeballDepth;
        const V3d center = generated.center;

        std::vector<std::vector<std::int32_t>> rings;
        if (opened(eye)) {
            const auto border = blockBorder(grid, eye);
            const int loopSize = static_cast<int>(border.size());
            const double tilt = mirror * radians(options.tiltDegrees);
            std::vector<V3d> marginDirections;
            for (const auto& [i, j] : border) {
                const double alpha = std::atan2(j - grid.blockLatitudeLine - 0.5 * grid.cells,
                                                i - grid.blockLine[eye] - 0.5 * grid.cells);
                // An almond: the upper lid arches higher than the lower one.
                const double u = kOpeningHalfWidth * std::cos(alpha);
                const double v = kOpeningHalfHeight * std::sin(alpha) * (std::sin(alpha) > 0 ? 1.1 : 0.9);
                const double tiltedU = u * std::cos(tilt) - v * std::sin(tilt);
                const double tiltedV = u * std::sin(tilt) + v * std::cos(tilt);
                const double depth = std::sqrt(std::max(1.0 - tiltedU * tiltedU - tiltedV * tiltedV, 0.05));
                marginDirections.push_back((x * tiltedU + y * tiltedV + out * depth).normalized());
            }
            for (int socket = options.socketLoops; socket >= 1; --socket) {
                std::vector<std::int32_t> ring;
                for (const V3d& direction : marginDirections) {
                    ring.push_back(addPoint(center + (direction - out * (0.32 * socket)).normalized() * kSocketRadius));
                }
                rings.push_back(ring);
            }
            std::vector<std::int32_t> margin;
            std::vector<V3d> marginPoints;
            for (const V3d& direction : marginDirections) {
                marginPoints.push_back(center + direction * (kMarginRadius + random.uniform(-0.005, 0.005)));
                margin.push_back(addPoint(marginPoints.back()));
            }
            rings.push_back(margin);
            for (int loop = 1; loop <= options.skinLoops; ++loop) {
                const double lambda = static_cast<double>(loop) / (options.skinLoops + 1);
                std::vector<std::int32_t> ring;
                for (int k = 0; k < loopSize; ++k) {
                    const V3d outer = head.points[nodes[border[k].first][border[k].second]];
                    const V3d marginDirection = (marginPoints[k] - center).normalized();
                    const V3d creaseDirection =
                        (marginDirection + ((outer - center).normalized() - marginDirection) * kCreaseFraction)
                            .normalized();
                    const V3d crease = center + creaseDirection * kCreaseRadius;
                    V3d point;
                    if (lambda <= kCreaseFraction) {
                        const double t = lambda / kCreaseFraction;
                        const double radius =
                            kMarginRadius + (kCreaseRadius - kMarginRadius) * t + kLidThickness * std::sin(kPi * t);
                        point =
                            center + (marginDirection + (creaseDirection - marginDirection) * t).normalized() * radius;
                    } else {
                        // Up from the fold, then into the face along it: brow
                        // and cheek round over the socket.
                        const double t = (lambda - kCreaseFraction) / (1.0 - kCreaseFraction);
                        const auto& [i, j] = border[k];
                        const V3d faceNormal = shell.normal(grid.longitude(i), grid.latitude(j));
                        const V3d span = outer - crease;
                        const V3d along = (span - faceNormal * (span ^ faceNormal)).normalized();
                        const double reach = span.length() / 3.0;
                        const V3d rise = crease + (out + along).normalized() * reach;
                        const V3d settle = outer - along * reach;
                        const double u = 1.0 - t;
                        point = crease * (u * u * u) + rise * (3 * u * u * t) + settle * (3 * u * t * t) +
                                outer * (t * t * t);
                    }
                    ring.push_back(addPoint(point));
                }
                rings.push_back(ring);
            }
            std::vector<std::int32_t> outermost;
            for (const auto& [i, j] : border) {
                outermost.push_back(nodes[i][j]);
            }
            rings.push_back(outermost);
            for (std::size_t r = 0; r + 1 < rings.size(); ++r) {
                for (int k = 0; k < loopSize; ++k) {
                    const int next = (k + 1) % loopSize;
                    head.faces.push_back({rings[r][k], rings[r + 1][k], rings[r + 1][next], rings[r][next]});
                }
            }
            generated.margin = margin;
            // The block's +longitude side points to the temple on the left eye, to the nose on the right.
            const std::int32_t plusEnd = margin[0];
            const std::int32_t minusEnd = margin[loopSize / 2];
            generated.outerCorner = eye == 0 ? plusEnd : minusEnd;
            generated.innerCorner = eye == 0 ? minusEnd : plusEnd;
        }
        eyes.push_back(generated);
        eyeRings.push_back(rings);
    }

    void addEyeballMeshes()
    {
        if (options.eyeballs == EyeballForm::CentreAndRadius) {
            return;
        }
        const int around = 24;
        const int down = 12;
        for (GeneratedEye& eye : eyes) {
            Imath::Quatd turn;
            turn.setAxisAngle(V3d(random.uniform(-1, 1), random.uniform(-1, 1), random.uniform(0.1, 1)).normalized(),
                              random.uniform(0, 2 * kPi));
            const auto spherePoint = [&](double polar, double azimuth) {
                const double radius = eye.radius * (1 + random.uniform(-1, 1) * options.eyeballNoise);
                const V3d unit(std::sin(polar) * std::cos(azimuth), std::cos(polar),
                               std::sin(polar) * std::sin(azimuth));
                return eye.center + turn.rotateVector(unit) * radius;
            };
            HeadMesh& ball = eye.eyeball;
            ball.points.push_back(spherePoint(0, 0));
            for (int row = 1; row < down; ++row) {
                for (int k = 0; k < around; ++k) {
                    ball.points.push_back(spherePoint(kPi * row / down, 2 * kPi * k / around));
                }
            }
            ball.points.push_back(spherePoint(kPi, 0));
            const auto ringPoint = [&](int row, int k) { return 1 + (row - 1) * around + (k % around); };
            const std::int32_t bottom = static_cast<std::int32_t>(ball.points.size() - 1);
            for (int k = 0; k < around; ++k) {
                ball.faces.push_back({0, ringPoint(1, k + 1), ringPoint(1, k)});
                for (int row = 1; row + 1 < down; ++row) {
                    ball.faces.push_back(
                        {ringPoint(row, k), ringPoint(row, k + 1), ringPoint(row + 1, k + 1), ringPoint(row + 1, k)});
                }
                ball.faces.push_back({bottom, ringPoint(down - 1, k), ringPoint(down - 1, k + 1)});
            }
        }
    }

    // A fault on the upper lid of the left eye, in the middle of it.
    void breakHead()
    {
        if (eyeRings.empty() || eyeRings[0].empty()) {
            return;
        }
        const auto& rings = eyeRings[0];
        const std::size_t marginRing = static_cast<std::size_t>(options.socketLoops);
        const auto& margin = rings[marginRing];
        const auto& firstSkin = rings[marginRing + 1];
        const std::size_t k = margin.size() / 4;
        switch (options.defect) {
        case Defect::PoleAtLoop: {
            const std::int32_t kept = firstSkin[k];
            const std::int32_t merged = firstSkin[k + 1];
            for (Face& face : head.faces) {
                std::replace(face.begin(), face.end(), merged, kept);
                face.erase(std::unique(face.begin(), face.end()), face.end());
                if (face.size() > 1 && face.front() == face.back()) {
                    face.pop_back();
                }
            }
            const auto& secondSkin = rings[marginRing + 2];
            culprits = {margin[k], margin[k + 1], kept, merged, secondSkin[k], secondSkin[k + 1]};
            break;
        }
        case Defect::NonManifoldMargin: {
            const V3d middle = (head.points[margin[k]] + head.points[margin[k + 1]]) * 0.5;
            const V3d out = (middle - eyes[0].center).normalized();
            const std::int32_t flapA = addPoint(middle + out * 0.3);
            const std::int32_t flapB = addPoint(middle + out * 0.5 + V3d(0, 0.2, 0));
            head.faces.push_back({margin[k], margin[k + 1], flapA});
            head.faces.push_back({margin[k + 1], margin[k], flapB});
            culprits = {margin[k], margin[k + 1], flapA, flapB};
            break;
        }
        case Defect::ZeroAreaMargin: {
            const V3d a = head.points[margin[k]];
            const V3d b = head.points[margin[k + 1]];
            head.points[firstSkin[k]] = a + (b - a) * 0.25;
            head.points[firstSkin[k + 1]] = a + (b - a) * 0.75;
            culprits = {margin[k], margin[k + 1], firstSkin[k], firstSkin[k + 1]};
            break;
        }
        default: break;
        }
    }

    void moveEyeballs()
    {
        if (options.defect == Defect::EyeballBehindNothing) {
            eyes[0].center += V3d(0, 2.5 * shell.axes.y, 0);
        } else if (options.defect == Defect::EyeballInFrontOfFace) {
            const double lon = shell.eyeLongitude;
            eyes[0].center += shell.normal(lon, shell.eyeLatitude) * (3 * kEyeballRadius);
        } else if (options.defect == Defect::OverlappingEyeballs) {
            for (GeneratedEye& eye : eyes) {
                eye.radius *= 2.6;
            }
        }
    }

    // Points in a modeller's order, faces starting anywhere; drops points no face uses.
    void renumber()
    {
        std::vector<std::int32_t> used(head.points.size(), 0);
        for (const Face& face : head.faces) {
            for (const std::int32_t index : face) {
                used[index] = 1;
            }
        }
        std::vector<std::int32_t> order;
        for (std::size_t p = 0; p < head.points.size(); ++p) {
            if (used[p]) {
                order.push_back(static_cast<std::int32_t>(p));
            }
        }
        for (std::size_t p = order.size(); p > 1; --p) {
            std::swap(order[p - 1], order[random.below(static_cast<int>(p))]);
        }
        std::vector<std::int32_t> renamed(head.points.size(), -1);
        std::vector<V3d> points(order.size());
        for (std::size_t p = 0; p < order.size(); ++p) {
            renamed[order[p]] = static_cast<std::int32_t>(p);
            points[p] = head.points[order[p]];
        }
        head.points = std::move(points);
        for (Face& face : head.faces) {
            for (std::int32_t& index : face) {
                index = renamed[index];
            }
            std::rotate(face.begin(), face.begin() + random.below(static_cast<int>(face.size())), face.end());
        }
        for (std::size_t f = head.faces.size(); f > 1; --f) {
            std::swap(head.faces[f - 1], head.faces[random.below(static_cast<int>(f))]);
        }
        const auto rename = [&](std::int32_t& index) {
            if (index >= 0) {
                index = renamed[index];
            }
        };
        for (GeneratedEye& eye : eyes) {
            std::for_each(eye.margin.begin(), eye.margin.end(), rename);
            rename(eye.innerCorner);
            rename(eye.outerCorner);
        }
        culprits.erase(std::remove_if(culprits.begin(), culprits.end(), [&](std::int32_t c) { return !used[c]; }),
                       culprits.end());
        std::for_each(culprits.begin(), culprits.end(), rename);
    }
};

} // namespace

std::vector<rghost::build::EyeballInput> GeneratedHead::eyeballInputs() const
{
    std::vector<rghost::build::EyeballInput> inputs;
    for (const GeneratedEye& eye : eyes) {
        rghost::build::EyeballInput input;
        if (eye.eyeball.points.empty()) {
            input.center = eye.center;
            input.radius = eye.radius;
        } else {
            input.points = eye.eyeball.points;
        }
        inputs.push_back(input);
    }
    return inputs;
}

GeneratedHead generateHead(const HeadOptions& requested)
{
    HeadOptions options = requested;
    if (options.defect == Defect::TooFewColumns) {
        options.openingCells = 1;
    }
    if (options.defect == Defect::PoleAtLoop) {
        options.skinLoops = std::max(options.skinLoops, 2);
    }
    Builder builder{options, Random(options.seed), shellFor(options.layout), {}, {}, {}, {}, {}, {}};
    builder.grid = gridFor(builder.shell, std::max(options.openingCells, 1));
    builder.addGridNodes();
    builder.addFarFaces();
    builder.addEye(0);
    builder.addEye(1);
    builder.breakHead();
    builder.moveEyeballs();
    builder.addEyeballMeshes();
    builder.renumber();

    // Into the file's pose: the character's up where asked, turned about it, scaled and moved.
    Imath::Quatd upright;
    upright.setRotation(V3d(0, 1, 0), options.up.normalized());
    Imath::Quatd turn;
    turn.setAxisAngle(options.up.normalized(), radians(options.turnDegrees));
    const Imath::Quatd pose = upright * turn;
    const V3d offset(builder.random.uniform(-5, 5), builder.random.uniform(-5, 5), builder.random.uniform(-5, 5));
    const auto place = [&](const V3d& p) { return pose.rotateVector(p) * options.scale + offset * options.scale; };

    GeneratedHead result;
    result.name = headName(requested);
    result.options = options;
    result.head = std::move(builder.head);
    for (V3d& p : result.head.points) {
        p = place(p);
    }
    result.eyes = std::move(builder.eyes);
    for (GeneratedEye& eye : result.eyes) {
        eye.center = place(eye.center);
        eye.radius *= options.scale;
        for (V3d& p : eye.eyeball.points) {
            p = place(p);
        }
    }
    result.up = pose.rotateVector(V3d(0, 1, 0));
    result.front = pose.rotateVector(V3d(0, 0, 1));
    result.left = pose.rotateVector(V3d(1, 0, 0));
    result.culprits = std::move(builder.culprits);
    return result;
}

} // namespace heads
