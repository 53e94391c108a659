#include "touchFloor.h"

#include <memory>
#include <stdexcept>
#include <string>

#include "lidShaper/rigContract.h"
#include "rg/RgData.h"

using namespace rigContract;

namespace {

const std::vector<std::int32_t>& intList(const rghost::Rig& rig, const std::string& key)
{
    const auto entry = rig.attributes.find(key);
    const auto* list = entry == rig.attributes.end() ? nullptr : dynamic_cast<const RgInt*>(entry->second.get());
    if (list == nullptr)
        throw std::invalid_argument("the rig has no index list " + key);
    return list->values;
}

// Collects vertices in visiting order, each at its first visit only.
class VisitOrder {
public:
    explicit VisitOrder(std::size_t pointCount) : visited_(pointCount, false) {}

    void visit(std::int32_t vertex)
    {
        if (!visited_.at(static_cast<std::size_t>(vertex))) {
            visited_[static_cast<std::size_t>(vertex)] = true;
            order_.push_back(vertex);
        }
    }

    void visitRun(const std::vector<std::int32_t>& list, std::size_t first, std::size_t count)
    {
        for (std::size_t k = first; k < first + count; ++k)
            visit(list.at(k));
    }

    std::vector<std::int32_t> order() { return std::move(order_); }

private:
    std::vector<bool> visited_;
    std::vector<std::int32_t> order_;
};

void visitLid(VisitOrder& order, const rghost::Rig& rig, EyeSide side, Lid lid)
{
    const LidFields fields = lidFields(lid);
    const auto& inner = intList(rig, eyeFieldKey(side, fields.innerIdxs));
    const auto& outer = intList(rig, eyeFieldKey(side, fields.outerIdxs));
    const auto& center = intList(rig, eyeFieldKey(side, fields.centerIdxs));
    const auto& between = intList(rig, eyeFieldKey(side, fields.betweenIdxs));
    const std::size_t columns = inner.size();
    const std::size_t centerRows = center.size() / columns;
    const std::size_t betweenRows = between.size() / columns;
    for (std::size_t i = 0; i < columns; ++i) {
        order.visit(inner[i]);
        order.visit(outer[i]);
        order.visitRun(center, i * centerRows, centerRows);
        order.visitRun(between, i * betweenRows, betweenRows);
    }
}

// Each corner pair moves its two corners, then the vertices along its span,
// then those around the eye center; the lists run from entry 4 of the corner
// list, center rows and between rows of one corner after the other.
void visitCorners(VisitOrder& order, const rghost::Rig& rig, EyeSide side)
{
    const auto& corners = intList(rig, eyeFieldKey(side, eyeField::cornersIdxs));
    const std::size_t columns = intList(rig, eyeFieldKey(side, eyeField::upperLidInnerIdxs)).size();
    const std::size_t centerRows = intList(rig, eyeFieldKey(side, eyeField::upperLidCenterIdxs)).size() / columns;
    const std::size_t betweenRows = intList(rig, eyeFieldKey(side, eyeField::upperLidBetweenIdxs)).size() / columns;
    using cornerList::Ring;
    for (std::size_t c = 0; c < 2; ++c) {
        const std::size_t aroundCenter = cornerList::carriedStart(c, centerRows, betweenRows);
        order.visit(corners.at(cornerList::pairEntry(corners.size(), Ring::Corner, c, false)));
        order.visit(corners.at(cornerList::pairEntry(corners.size(), Ring::Corner, c, true)));
        order.visitRun(corners, aroundCenter + centerRows, betweenRows);
        order.visitRun(corners, aroundCenter, centerRows);
    }
}

// Records of pivot, aim, member count and members; -1 entries are skipped.
void visitSoftRegionMembers(VisitOrder& order, const std::vector<std::int32_t>& softRegion)
{
    enum class Role { Pivot, Aim, Count, Member } role = Role::Pivot;
    std::int32_t membersLeft = 0;
    for (const std::int32_t entry : softRegion) {
        if (entry == -1)
            continue;
        switch (role) {
        case Role::Pivot: role = Role::Aim; break;
        case Role::Aim: role = Role::Count; break;
        case Role::Count:
            membersLeft = entry;
            role = Role::Member;
            break;
        case Role::Member:
            order.visit(entry);
            if (--membersLeft == 0)
                role = Role::Pivot;
            break;
        }
    }
}

} // namespace

std::vector<std::int32_t> verticesDeformWrites(const rghost::Rig& rig)
{
    VisitOrder order(rig.geometry.points.size());
    for (const EyeSide side : kEyeSides) {
        visitLid(order, rig, side, Lid::Upper);
        visitLid(order, rig, side, Lid::Lower);
        visitCorners(order, rig, side);
    }
    visitSoftRegionMembers(order, intList(rig, kSoftRegionKey));
    return order.order();
}

void touchVertices(RgDeformData& data, const std::vector<std::int32_t>& vertices)
{
    const Imath::M44d& toWorld = data.geometryMatrix;
    const Imath::M44d toLocal = toWorld.inverse(false);
    for (const std::int32_t vertex : vertices) {
        Imath::V3d& point = data.points[static_cast<std::size_t>(vertex)];
        Imath::V3d world;
        toWorld.multVecMatrix(point, world);
        toLocal.multVecMatrix(world, point);
    }
}
