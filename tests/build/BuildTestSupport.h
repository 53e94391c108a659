#pragma once

// Rigs the builder tests share: the sample face as a bare mesh, and the
// lists of a rig to compare.

#include <cmath>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <Imath/ImathMatrix.h>

#include "RigAttributes.h"
#include "build/RigBuilder.h"
#include "core/Rig.h"
#include "lidShaper/rigContract.h"
#include "sample/SampleFaceShape.h"
#include "sample/SampleRig.h"

namespace buildtest {

using namespace rigContract;

using Imath::V3d;

using rigattributes::attribute;
using rigattributes::indices;

// Every index list an eye hands the node, by name: its lists of integers.
inline const std::vector<std::string>& indexLists()
{
    static const std::vector<std::string> lists = [] {
        std::vector<std::string> names;
        for (const Field& field : kEyeFields)
            if (field.valueClass == ValueClass::Int && field.list)
                names.emplace_back(field.name);
        return names;
    }();
    return lists;
}

// Points of a UV sphere whose radius wanders by up to `noise` of it, like an
// eyeball modelled by hand.
inline std::vector<V3d> spherePoints(const V3d& center, double radius, double noise)
{
    std::vector<V3d> points;
    for (int i = 0; i < 12; ++i) {
        for (int j = 1; j < 8; ++j) {
            const double theta = 3.14159265358979 * j / 8.0;
            const double phi = 2.0 * 3.14159265358979 * i / 12.0;
            const double r = radius * (1.0 + noise * std::sin(7.0 * i + 3.0 * j));
            points.push_back(
                center + V3d(std::sin(theta) * std::cos(phi), std::sin(theta) * std::sin(phi), std::cos(theta)) * r);
        }
    }
    return points;
}

// The sample face as a modeller hands it over, its points taken through
// `transform`: the mesh and the two eyeball spheres.
struct SampleHead {
    rghost::Rig sample;
    rghost::build::HeadMesh head;
    std::vector<rghost::build::EyeballInput> eyeballs;
};

inline SampleHead sampleHead(const rghost::SampleRigOptions& options, const Imath::M44d& transform = {})
{
    SampleHead made{rghost::buildSampleRig(options), {}, {}};
    for (const V3d& p : made.sample.geometry.points) {
        made.head.points.push_back(p * transform);
    }
    made.head.faces = made.sample.faces;
    const double scale = V3d(transform[0][0], transform[0][1], transform[0][2]).length();
    for (EyeSide side : kEyeSides) {
        rghost::build::EyeballInput eyeball;
        eyeball.center =
            attribute<RgVector>(made.sample.attributes, eyeAttributeKey(side, "centerEye")).value * transform;
        eyeball.radius = rghost::kEyeballRadius * scale;
        made.eyeballs.push_back(eyeball);
    }
    return made;
}

// The same head with its eyeballs as meshes 2 % off a sphere, so that the
// fitted spheres miss the modelled ones a little.
inline SampleHead withRoughEyeballs(SampleHead made)
{
    for (rghost::build::EyeballInput& eyeball : made.eyeballs) {
        eyeball.points = spherePoints(*eyeball.center, eyeball.radius, 0.02);
        eyeball.center.reset();
        eyeball.radius = 0.0;
    }
    return made;
}

// Two eyes, each a cap of `rings` concentric loops of `size` vertices (odd
// sizes too) over an eyeball of radius 1, the first loop a hole; the eyes
// look along +z, 3 apart along x, the lid skin standing off the eyeball more
// towards the crease.
struct CapHead {
    rghost::build::HeadMesh head;
    std::vector<rghost::build::EyeballInput> eyeballs;
};

inline CapHead capHead(int size, int rings)
{
    CapHead made;
    for (const double x : {1.5, -1.5}) {
        const auto first = static_cast<std::int32_t>(made.head.points.size());
        for (int r = 0; r < rings; ++r) {
            const double opening = 0.55 + 0.12 * r; // angle from the front, radians
            const double radius = 1.03 + 0.02 * r;
            for (int j = 0; j < size; ++j) {
                const double around = 2.0 * 3.14159265358979 * j / size;
                // An almond: wider than high.
                const double a = opening * 1.3 * std::cos(around);
                const double b = opening * 0.7 * std::sin(around);
                const V3d direction = V3d(std::sin(a), std::sin(b), std::cos(a) * std::cos(b)).normalized();
                made.head.points.push_back(V3d(x, 0.0, 0.0) + direction * radius);
            }
        }
        for (int r = 0; r + 1 < rings; ++r) {
            for (int j = 0; j < size; ++j) {
                const int k = (j + 1) % size;
                made.head.faces.push_back({first + r * size + j, first + r * size + k, first + (r + 1) * size + k,
                                           first + (r + 1) * size + j});
            }
        }
        rghost::build::EyeballInput eyeball;
        eyeball.center = V3d(x, 0.0, 0.0);
        eyeball.radius = 1.0;
        made.eyeballs.push_back(eyeball);
    }
    return made;
}

} // namespace buildtest
