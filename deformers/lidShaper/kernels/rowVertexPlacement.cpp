#include "kernels/rowVertexPlacement.h"

#include "geometry/lidGeometry.h"

namespace {

void setWorld(const RowPlacementContext& context, std::int32_t index, const V3d& p)
{
    context.points[index] = transformPoint(p, context.toRig, context.toRigIsAffine);
}

} // namespace

void placeCenterRowVertex(const RowPlacementContext& context, const CenterRowPlan& plan, std::uint32_t k, const V3d& p)
{
    const V3d& center = context.center;
    V3d turned = transformPoint(transformPoint(p, context.centerFrameInv), plan.turn);
    turned = center + (turned - center) * plan.innerRatio;
    const V3d onLine = plan.inner + plan.intoSocket * (plan.scale * plan.pathLengths[k]);
    setWorld(context, plan.rows[k], onLine * plan.moveWeight + turned * plan.restWeight);
}

void placeBetweenRowVertex(const RowPlacementContext& context, const BetweenRowPlan& plan, std::uint32_t k,
                           const V3d& p)
{
    const std::int32_t index = plan.rows[k];
    if (k == 0) {
        // The first row keeps the unscaled map: it stays attached to the margin.
        setWorld(context, index, transformPoint(p, plan.firstCarry));
        return;
    }
    const V3d& center = context.center;
    const double radius = (center - p).length();
    const V3d carried = transformPoint(p, plan.carry);
    V3d alongSpan = plan.inner + plan.step * plan.pathLengths[k];
    const V3d alongDirection = (alongSpan - center).normalized();
    V3d place = (center + alongDirection * radius) * plan.moveWeight + carried * plan.restWeight;
    if (plan.followsLid) {
        const double weight = context.weights[index];
        if (weight > 0.0)
            alongSpan = alongSpan + alongDirection * (context.mountSize * 0.01 * weight);
        place = place * plan.restWeight + alongSpan * plan.moveWeight;
    }
    const V3d fromCenter = place - center;
    const double distance = fromCenter.length();
    if (context.minBetweenRadius > distance)
        place = center + fromCenter.normalized() * context.minBetweenRadius;
    setWorld(context, index, place);
}
