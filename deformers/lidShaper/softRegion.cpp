#include "softRegion.h"

#include <algorithm>

#include "lidGeometry.h"

namespace {

constexpr std::int32_t kSkippedEntry = -1;

enum class EntryRole { Pivot, Aim, Count, Member, LastMember };

// Calls onEntry(role, position, entry) for every entry that counts, front to
// back, until it returns false. Gives the role the next entry would have had, so
// anything but Pivot means the list ended inside a record.
template <typename OnEntry>
EntryRole walkSoftRegionList(const std::vector<std::int32_t>& indices, OnEntry&& onEntry)
{
    EntryRole next = EntryRole::Pivot;
    std::int64_t membersLeft = 0;
    for (std::size_t position = 0; position < indices.size(); ++position) {
        const std::int32_t entry = indices[position];
        if (entry == kSkippedEntry)
            continue;
        EntryRole role = next;
        if (role == EntryRole::Member && membersLeft == 1)
            role = EntryRole::LastMember;
        if (!onEntry(role, position, entry))
            return role;
        switch (role) {
        case EntryRole::Pivot: next = EntryRole::Aim; break;
        case EntryRole::Aim: next = EntryRole::Count; break;
        case EntryRole::Count:
            membersLeft = entry;
            next = EntryRole::Member;
            break;
        case EntryRole::Member: --membersLeft; break;
        case EntryRole::LastMember: next = EntryRole::Pivot; break;
        }
    }
    return next;
}

std::string entryText(std::size_t position, std::int32_t entry)
{
    return "softRegion[" + std::to_string(position) + "] = " + std::to_string(entry);
}

} // namespace

std::string findSoftRegionProblem(const std::vector<std::int32_t>& indices, std::size_t pointCount,
                                  std::size_t weightCount)
{
    std::string problem;
    const EntryRole endRole = walkSoftRegionList(indices, [&](EntryRole role, std::size_t position, std::int32_t entry) {
        if (role == EntryRole::Count) {
            if (entry < 1)
                problem = entryText(position, entry) + " is a member count below 1";
        } else if (entry < 0 || static_cast<std::size_t>(entry) >= pointCount) {
            problem = entryText(position, entry) + " is outside points (" + std::to_string(pointCount) + ")";
        } else if ((role == EntryRole::Member || role == EntryRole::LastMember) &&
                   static_cast<std::size_t>(entry) >= weightCount) {
            problem = entryText(position, entry) + " has no weight (weights hold " + std::to_string(weightCount) + ")";
        }
        return problem.empty();
    });
    if (problem.empty() && endRole != EntryRole::Pivot)
        problem = "softRegion ends inside a record (" + std::to_string(indices.size()) + " entries)";
    return problem;
}

namespace {

// Splits the groups into runs (SoftRegionState::runEnds). A group starts a new
// run when its pivot or aim is a member of the run so far: it must then read
// that vertex after the members before it have moved.
void splitIntoRuns(SoftRegionState& state)
{
    // The marks are all 0 between builds, so a build costs the groups' size,
    // not the size of the points.
    std::vector<std::size_t>& marks = state.memberRunMarks;
    const auto markCount = static_cast<std::size_t>(state.largestIndex + 1);
    if (marks.size() < markCount)
        marks.resize(markCount, 0);
    state.runEnds.clear();
    std::size_t runMark = 1;
    for (std::size_t g = 0; g < state.groups.size(); ++g) {
        if (marks[state.pivotIdxs[g]] == runMark || marks[state.aimIdxs[g]] == runMark) {
            state.runEnds.push_back(g);
            ++runMark;
        }
        for (const std::int32_t member : state.groups[g])
            marks[member] = runMark;
    }
    state.runEnds.push_back(state.groups.size());
    for (const std::vector<std::int32_t>& members : state.groups)
        for (const std::int32_t member : members)
            marks[member] = 0;
}

// The map of every group in [begin, end), from its pivot and aim as they are now.
void findGroupMaps(SoftRegionState& state, std::size_t begin, std::size_t end)
{
    const std::vector<V3d>& points = *state.points;
    const PointTransform toWorld(state.geometryMatrix);
    for (std::size_t g = begin; g < end; ++g) {
        const V3d& pivot = points[state.pivotIdxs[g]];
        const V3d span = toWorld(pivot - points[state.aimIdxs[g]]);
        const double spanLength = span.length();
        state.currentRatio = spanLength / state.restLengths[g];
        const M44d rotation = rotationBetween(state.restAims[g], span.normalized());
        M44d frame = state.restFrames[g] * rotation;
        scaleBasisRows(frame, V3d(state.currentRatio));
        setMatrixRow(frame, 3, toWorld(pivot));
        state.groupMaps[g] = state.restFramesInv[g] * frame;
    }
}

// Moves the members of every group in [begin, end), group by group, in list order.
void moveMembers(SoftRegionState& state, std::size_t begin, std::size_t end)
{
    std::vector<V3d>& points = *state.points;
    const std::vector<float>& weights = *state.weights;
    // Local copies: the compiler then knows that writing a point changes no
    // matrix, and keeps their entries at hand.
    const PointTransform toWorld(state.geometryMatrix);
    const PointTransform toRig(state.geometryInverse);
    for (std::size_t g = begin; g < end; ++g) {
        const PointTransform groupMap(state.groupMaps[g]);
        for (const std::int32_t member : state.groups[g]) {
            const double weight = weights[member];
            if (!(weight > 0.0))
                continue;
            const V3d world = toWorld(points[member]);
            const V3d mapped = groupMap(world);
            const V3d moved = weight >= 1.0 ? mapped : mapped * weight + world * (1.0 - weight);
            points[member] = toRig(moved);
        }
    }
}

} // namespace

void buildSoftRegion(SoftRegionState& state)
{
    state.pivotIdxs.clear();
    state.aimIdxs.clear();
    state.largestIndex = -1;
    // Members are collected straight into the group lists of the last build,
    // which keep their capacity, so building again allocates nothing.
    std::size_t completeGroups = 0;
    walkSoftRegionList(state.indices, [&](EntryRole role, std::size_t, std::int32_t entry) {
        switch (role) {
        case EntryRole::Pivot: state.pivotIdxs.push_back(entry); break;
        case EntryRole::Aim: state.aimIdxs.push_back(entry); break;
        case EntryRole::Count:
            if (state.groups.size() == completeGroups)
                state.groups.emplace_back();
            state.groups[completeGroups].clear();
            break;
        case EntryRole::Member: state.groups[completeGroups].push_back(entry); break;
        case EntryRole::LastMember:
            state.groups[completeGroups].push_back(entry);
            ++completeGroups;
            break;
        }
        if (role != EntryRole::Count)
            state.largestIndex = std::max(state.largestIndex, entry);
        return true;
    });
    state.groups.resize(completeGroups);

    const std::vector<V3d>& points = *state.points;
    const std::size_t groupCount = state.pivotIdxs.size();
    state.restFramesInv.resize(groupCount);
    state.restFrames.resize(groupCount);
    state.restLengths.resize(groupCount);
    state.restAims.resize(groupCount);
    const PointTransform toWorld(state.geometryMatrix);
    for (std::size_t g = 0; g < groupCount; ++g) {
        const V3d& pivot = points[state.pivotIdxs[g]];
        const V3d& aim = points[state.aimIdxs[g]];
        const V3d span = toWorld(pivot - aim);
        state.restLengths[g] = span.length();
        state.restAims[g] = span.normalized();
        const V3d restPivot = toWorld(pivot);
        state.restFrames[g] = translationMatrix(restPivot);
        state.restFramesInv[g] = state.restFrames[g].inverse(false);
    }
    state.groupMaps.resize(groupCount);
    splitIntoRuns(state);
}

// Group by group, each map from the points as the groups before it left them.
// Within a run no earlier member is a later pivot or aim, so finding the run's
// maps first and moving its members after gives the same points, and the
// independent map computations overlap instead of waiting on each other.
void applySoftRegion(SoftRegionState& state)
{
    std::size_t begin = 0;
    for (const std::size_t end : state.runEnds) {
        findGroupMaps(state, begin, end);
        moveMembers(state, begin, end);
        begin = end;
    }
}
