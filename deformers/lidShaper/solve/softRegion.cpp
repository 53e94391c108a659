#include "solve/softRegion.h"

#include <algorithm>

#include "geometry/lidGeometry.h"
#include "solve/parallelInvoke.h"

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
    const EntryRole endRole =
        walkSoftRegionList(indices, [&](EntryRole role, std::size_t position, std::int32_t entry) {
            if (role == EntryRole::Count) {
                if (entry < 1)
                    problem = entryText(position, entry) + " is a member count below 1";
            } else if (entry < 0 || static_cast<std::size_t>(entry) >= pointCount) {
                problem = entryText(position, entry) + " is outside points (" + std::to_string(pointCount) + ")";
            } else if ((role == EntryRole::Member || role == EntryRole::LastMember) &&
                       static_cast<std::size_t>(entry) >= weightCount) {
                problem =
                    entryText(position, entry) + " has no weight (weights hold " + std::to_string(weightCount) + ")";
            }
            return problem.empty();
        });
    if (problem.empty() && endRole != EntryRole::Pivot)
        problem = "softRegion ends inside a record (" + std::to_string(indices.size()) + " entries)";
    return problem;
}

namespace {

// Splits the groups into runs (SoftRegionState::runEnds) whose groups can be
// applied in any order, each group's map found before its own members move.
// A group starts a new run when its pivot or aim is a member of the run so far
// (it must read that vertex after those members moved), or one of its members
// is a member, pivot or aim of the run so far (it must move after them, or
// after their maps were found).
void splitIntoRuns(SoftRegionState& state)
{
    // The marks are all 0 between builds, so a build costs the groups' size,
    // not the size of the points.
    std::vector<std::size_t>& memberMarks = state.memberRunMarks;
    std::vector<std::size_t>& anchorMarks = state.anchorRunMarks;
    const auto markCount = static_cast<std::size_t>(state.largestIndex + 1);
    if (memberMarks.size() < markCount)
        memberMarks.resize(markCount, 0);
    if (anchorMarks.size() < markCount)
        anchorMarks.resize(markCount, 0);
    state.runEnds.clear();
    std::size_t runMark = 1;
    for (std::size_t g = 0; g < state.groups.size(); ++g) {
        const std::int32_t pivot = state.pivotIdxs[g];
        const std::int32_t aim = state.aimIdxs[g];
        bool dependsOnRun = memberMarks[pivot] == runMark || memberMarks[aim] == runMark;
        for (const std::int32_t member : state.groups[g])
            dependsOnRun = dependsOnRun || memberMarks[member] == runMark || anchorMarks[member] == runMark;
        if (dependsOnRun) {
            state.runEnds.push_back(g);
            ++runMark;
        }
        anchorMarks[pivot] = runMark;
        anchorMarks[aim] = runMark;
        for (const std::int32_t member : state.groups[g])
            memberMarks[member] = runMark;
    }
    state.runEnds.push_back(state.groups.size());
    for (std::size_t g = 0; g < state.groups.size(); ++g) {
        anchorMarks[state.pivotIdxs[g]] = 0;
        anchorMarks[state.aimIdxs[g]] = 0;
        for (const std::int32_t member : state.groups[g])
            memberMarks[member] = 0;
    }
}

// The map of every group in [begin, end), from its pivot and aim as they are now.
// Only the last group's length ratio is kept in currentRatio, as applying the
// groups one by one leaves it.
void findGroupMaps(SoftRegionState& state, const std::vector<V3d>& points, std::size_t begin, std::size_t end)
{
    const PointTransform toWorld(state.geometryMatrix);
    for (std::size_t g = begin; g < end; ++g) {
        const V3d& pivot = points[state.pivotIdxs[g]];
        const V3d span = toWorld(pivot - points[state.aimIdxs[g]]);
        const double spanLength = span.length();
        const double ratio = spanLength / state.restLengths[g];
        if (g + 1 == state.groups.size())
            state.currentRatio = ratio;
        const M44d rotation = rotationBetween(state.restAims[g], span.normalized());
        M44d frame = state.restFrames[g] * rotation;
        scaleBasisRows(frame, V3d(ratio));
        setMatrixRow(frame, 3, toWorld(pivot));
        state.groupMaps[g] = state.restFramesInv[g] * frame;
    }
}

// Moves the members of every group in [begin, end), group by group, in list order.
void moveMembers(const SoftRegionState& state, std::vector<V3d>& points, const std::vector<float>& weights,
                 std::size_t begin, std::size_t end)
{
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

// The groups, their per-group lists sized for them, and their runs, from state.indices.
void parseGroups(SoftRegionState& state)
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

    const std::size_t groupCount = state.pivotIdxs.size();
    state.restFramesInv.resize(groupCount);
    state.restFrames.resize(groupCount);
    state.restLengths.resize(groupCount);
    state.restAims.resize(groupCount);
    state.restPivotPoints.resize(groupCount);
    state.restAimPoints.resize(groupCount);
    state.groupMaps.resize(groupCount);
    splitIntoRuns(state);
}

} // namespace

void buildSoftRegion(SoftRegionState& state, const std::vector<V3d>& points, SoftRegionReuse reuse)
{
    if (!reuse.sameList)
        parseGroups(state);

    const std::size_t groupCount = state.pivotIdxs.size();
    const bool keepFrames = reuse.sameList && reuse.sameMatrix;
    const PointTransform toWorld(state.geometryMatrix);
    for (std::size_t g = 0; g < groupCount; ++g) {
        const V3d& pivot = points[state.pivotIdxs[g]];
        const V3d& aim = points[state.aimIdxs[g]];
        if (keepFrames && sameBits(pivot, state.restPivotPoints[g]) && sameBits(aim, state.restAimPoints[g]))
            continue;
        state.restPivotPoints[g] = pivot;
        state.restAimPoints[g] = aim;
        const V3d span = toWorld(pivot - aim);
        state.restLengths[g] = span.length();
        state.restAims[g] = span.normalized();
        const V3d restPivot = toWorld(pivot);
        state.restFrames[g] = translationMatrix(restPivot);
        state.restFramesInv[g] = state.restFrames[g].inverse(false);
    }
}

// Group by group, each map from the points as the groups before it left them.
// The groups of a run neither read nor move what another group of the run
// moves, so any split of a run over threads gives the same points; within a
// part, finding all its maps first lets their computations overlap.
void applySoftRegion(SoftRegionState& state, std::vector<V3d>& points, const std::vector<float>& weights)
{
    // About a few tens of microseconds of work per part: far more than handing
    // it to another thread costs.
    constexpr std::size_t kGroupsPerPart = 48;
    // The job captures one reference, which a std::function holds without
    // allocating.
    struct Run {
        SoftRegionState& state;
        std::vector<V3d>& points;
        const std::vector<float>& weights;
        std::size_t begin;
    } run{state, points, weights, 0};
    for (const std::size_t end : state.runEnds) {
        forRangesInParallel(end - run.begin, kGroupsPerPart, [&run](std::size_t first, std::size_t last) {
            findGroupMaps(run.state, run.points, run.begin + first, run.begin + last);
            moveMembers(run.state, run.points, run.weights, run.begin + first, run.begin + last);
        });
        run.begin = end;
    }
}
