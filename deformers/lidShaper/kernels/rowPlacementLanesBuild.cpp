// One instruction-set build of the row placement lanes. CMake compiles this
// file once per build, each time with its own target flags and namespace name.
#include <emmintrin.h>

#include <limits>

#include "rowPlacementLanes.h"

#if !defined(ROW_PLACEMENT_LANES_NAME)
#error "ROW_PLACEMENT_LANES_NAME must name the build being compiled"
#endif

namespace ROW_PLACEMENT_LANES_NAME {
namespace {

constexpr std::uint32_t kLanes = kRowPlacementLanes;

// One double per column; comparisons give all-ones or all-zeros per lane.
typedef double Lanes __attribute__((vector_size(kLanes * sizeof(double))));
typedef std::int64_t LaneMask __attribute__((vector_size(kLanes * sizeof(double))));

static_assert(kLanes == 2, "one SSE2 register holds two columns");

Lanes laneSqrt(Lanes v)
{
    return reinterpret_cast<Lanes>(_mm_sqrt_pd(reinterpret_cast<__m128d>(v)));
}

Lanes splat(double value)
{
    Lanes lanes;
    for (std::uint32_t lane = 0; lane < kLanes; ++lane)
        lanes[lane] = value;
    return lanes;
}

bool allLanes(LaneMask mask)
{
    for (std::uint32_t lane = 0; lane < kLanes; ++lane)
        if (mask[lane] == 0)
            return false;
    return true;
}

// Imath's Vec3<double>, one per lane, with the operations the rows use in
// Imath's own order of evaluation.
struct LaneVec {
    Lanes x, y, z;
};

LaneVec operator+(const LaneVec& a, const LaneVec& b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
LaneVec operator-(const LaneVec& a, const LaneVec& b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
LaneVec operator*(const LaneVec& a, Lanes s)
{
    return {a.x * s, a.y * s, a.z * s};
}
LaneVec select(LaneMask mask, const LaneVec& a, const LaneVec& b)
{
    return {mask ? a.x : b.x, mask ? a.y : b.y, mask ? a.z : b.z};
}

LaneVec splat(const Imath::V3d& v)
{
    return {splat(v.x), splat(v.y), splat(v.z)};
}

Lanes lengthSquared(const LaneVec& v)
{
    return v.x * v.x + v.y * v.y + v.z * v.z;
}

// Lanes where Imath's length() takes its square root; it rescales below this,
// and those lanes go to the scalar code.
LaneMask lengthIsPlain(Lanes squared)
{
    return !(squared < splat(2.0 * std::numeric_limits<double>::min()));
}

// Lanes where transformPoint takes its affine path: the coordinate sum is finite.
LaneMask sumIsFinite(const LaneVec& p)
{
    const Lanes sum = p.x + p.y + p.z;
    return sum - sum == splat(0.0);
}

constexpr LaneMask kEveryLane = {-1, -1};

// An affine map per lane: rows 0 to 2 of the linear part, row 3 the translation.
struct LaneAffine {
    Lanes m[4][3];
};

// Imath's multDirMatrix plus the translation row, as transformPoint's affine path.
LaneVec transform(const LaneAffine& a, const LaneVec& p)
{
    return {(p.x * a.m[0][0] + p.y * a.m[1][0] + p.z * a.m[2][0]) + a.m[3][0],
            (p.x * a.m[0][1] + p.y * a.m[1][1] + p.z * a.m[2][1]) + a.m[3][1],
            (p.x * a.m[0][2] + p.y * a.m[1][2] + p.z * a.m[2][2]) + a.m[3][2]};
}

LaneAffine splatAffine(const Imath::M44d& matrix)
{
    LaneAffine affine;
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 3; ++column)
            affine.m[row][column] = splat(matrix[row][column]);
    return affine;
}

// Per-lane gathers from the plans: one plan per lane.
template <typename Plan>
LaneAffine gatherAffine(const Plan* plans, Imath::M44d Plan::*field)
{
    LaneAffine affine;
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 3; ++column)
            for (std::uint32_t lane = 0; lane < kLanes; ++lane)
                affine.m[row][column][lane] = (plans[lane].*field)[row][column];
    return affine;
}

template <typename Plan>
LaneVec gatherVec(const Plan* plans, Imath::V3d Plan::*field)
{
    LaneVec v;
    for (std::uint32_t lane = 0; lane < kLanes; ++lane) {
        const Imath::V3d& value = plans[lane].*field;
        v.x[lane] = value.x;
        v.y[lane] = value.y;
        v.z[lane] = value.z;
    }
    return v;
}

template <typename Plan>
Lanes gather(const Plan* plans, double Plan::*field)
{
    Lanes lanes;
    for (std::uint32_t lane = 0; lane < kLanes; ++lane)
        lanes[lane] = plans[lane].*field;
    return lanes;
}

template <typename Plan>
LaneVec rowPoint(const Plan* plans, std::uint32_t k)
{
    LaneVec p;
    for (std::uint32_t lane = 0; lane < kLanes; ++lane) {
        const Imath::V3d& point = plans[lane].rowPoints[k];
        p.x[lane] = point.x;
        p.y[lane] = point.y;
        p.z[lane] = point.z;
    }
    return p;
}

template <typename Plan>
Lanes pathLength(const Plan* plans, std::uint32_t k)
{
    Lanes lanes;
    for (std::uint32_t lane = 0; lane < kLanes; ++lane)
        lanes[lane] = plans[lane].pathLengths[k];
    return lanes;
}

// Writes vertex k of every lane's row, taken to rig space, when every lane is
// exact and has a world place transformPoint maps affinely (coordinates that sum
// to a finite number); flags the vertex for the scalar code otherwise. A
// non-finite point or intermediate always makes the place non-finite, so this
// also covers transformPoint's affine test for every map applied on the way.
template <typename Plan>
void storeOrFlag(const RowPlacementContext& context, const LaneAffine& toRig, const Plan* plans, std::uint32_t k,
                 LaneMask exact, const LaneVec& place, std::uint8_t* needsScalar)
{
    if (!allLanes(exact & sumIsFinite(place))) {
        needsScalar[k] = 1;
        return;
    }
    needsScalar[k] = 0;
    const LaneVec rig = transform(toRig, place);
    for (std::uint32_t lane = 0; lane < kLanes; ++lane)
        context.points[plans[lane].rows[k]] = Imath::V3d(rig.x[lane], rig.y[lane], rig.z[lane]);
}

} // namespace

void placeCenterRows(const RowPlacementContext& context, const CenterRowPlan* plans, std::uint32_t rowCount,
                     std::uint8_t* needsScalar)
{
    const LaneAffine toRig = splatAffine(context.toRig);
    const LaneAffine fromCenter = splatAffine(context.centerFrameInv);
    const LaneAffine turn = gatherAffine(plans, &CenterRowPlan::turn);
    const LaneVec center = splat(context.center);
    const LaneVec inner = gatherVec(plans, &CenterRowPlan::inner);
    const LaneVec intoSocket = gatherVec(plans, &CenterRowPlan::intoSocket);
    const Lanes innerRatio = gather(plans, &CenterRowPlan::innerRatio);
    const Lanes scale = gather(plans, &CenterRowPlan::scale);
    const Lanes moveWeight = gather(plans, &CenterRowPlan::moveWeight);
    const Lanes restWeight = gather(plans, &CenterRowPlan::restWeight);

    for (std::uint32_t k = 0; k < rowCount; ++k) {
        const LaneVec p = rowPoint(plans, k);
        const LaneVec local = transform(fromCenter, p);
        LaneVec turned = transform(turn, local);
        turned = center + (turned - center) * innerRatio;
        const LaneVec onLine = inner + intoSocket * (scale * pathLength(plans, k));
        const LaneVec place = onLine * moveWeight + turned * restWeight;
        storeOrFlag(context, toRig, plans, k, kEveryLane, place, needsScalar);
    }
}

void placeBetweenRows(const RowPlacementContext& context, const BetweenRowPlan* plans, std::uint32_t rowCount,
                      std::uint8_t* needsScalar)
{
    if (rowCount == 0)
        return;
    const LaneAffine toRig = splatAffine(context.toRig);
    const LaneVec center = splat(context.center);

    // The first vertex keeps the unscaled map: it stays attached to the margin.
    const LaneVec first = rowPoint(plans, 0);
    const LaneVec firstPlace = transform(gatherAffine(plans, &BetweenRowPlan::firstCarry), first);
    storeOrFlag(context, toRig, plans, 0, kEveryLane, firstPlace, needsScalar);

    const LaneAffine carry = gatherAffine(plans, &BetweenRowPlan::carry);
    const LaneVec inner = gatherVec(plans, &BetweenRowPlan::inner);
    const LaneVec step = gatherVec(plans, &BetweenRowPlan::step);
    const Lanes moveWeight = gather(plans, &BetweenRowPlan::moveWeight);
    const Lanes restWeight = gather(plans, &BetweenRowPlan::restWeight);
    const Lanes mountScale = splat(context.mountSize * 0.01);
    const Lanes minRadius = splat(context.minBetweenRadius);
    LaneMask followsLid;
    for (std::uint32_t lane = 0; lane < kLanes; ++lane)
        followsLid[lane] = plans[lane].followsLid ? -1 : 0;

    for (std::uint32_t k = 1; k < rowCount; ++k) {
        const LaneVec p = rowPoint(plans, k);
        const Lanes radiusSquared = lengthSquared(center - p);
        const Lanes radius = laneSqrt(radiusSquared);
        const LaneVec carried = transform(carry, p);
        const LaneVec alongSpan = inner + step * pathLength(plans, k);
        const LaneVec fromCenterAlong = alongSpan - center;
        const Lanes alongSquared = lengthSquared(fromCenterAlong);
        const Lanes alongLength = laneSqrt(alongSquared);
        const LaneVec alongDirection = {fromCenterAlong.x / alongLength, fromCenterAlong.y / alongLength,
                                        fromCenterAlong.z / alongLength};
        LaneVec place = (center + alongDirection * radius) * moveWeight + carried * restWeight;

        Lanes weight;
        for (std::uint32_t lane = 0; lane < kLanes; ++lane)
            weight[lane] = context.weights[plans[lane].rows[k]];
        const LaneVec mounted =
            select(weight > splat(0.0), alongSpan + alongDirection * (mountScale * weight), alongSpan);
        place = select(followsLid, place * restWeight + mounted * moveWeight, place);

        const LaneVec fromCenter = place - center;
        const Lanes distanceSquared = lengthSquared(fromCenter);
        const Lanes distance = laneSqrt(distanceSquared);
        const LaneVec direction = {fromCenter.x / distance, fromCenter.y / distance, fromCenter.z / distance};
        place = select(minRadius > distance, center + direction * minRadius, place);

        const LaneMask exact =
            lengthIsPlain(radiusSquared) & lengthIsPlain(alongSquared) & lengthIsPlain(distanceSquared);
        storeOrFlag(context, toRig, plans, k, exact, place, needsScalar);
    }
}

} // namespace ROW_PLACEMENT_LANES_NAME
