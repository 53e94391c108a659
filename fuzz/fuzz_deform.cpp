// deform on fuzzed inputs. Each input starts one node on a small valid rig,
// then its bytes pick changes to the attribute map and the deform record (see
// DeformMutations.h) and make up to four calls, the cache and any broken input
// carried from call to call. Every call must keep the node's contract: Success
// with no line shown, or Failure with exactly one line and not one point changed.
// The last call's inputs must then give the same answer on two new nodes.

#include <cstring>
#include <memory>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>
#include <mayastandin/StandIn.h>

#include "DeformMutations.h"
#include "FuzzContract.h"
#include "SmallEyeRig.h"
#include "io/RigFileReader.h"
#include "rg/RgNode.h"

extern "C" RgNode* create();

namespace {

const std::string kNodeName = "fuzzRig1";
constexpr int kMostCalls = 4;
constexpr int kMostChangesPerCall = 8;

std::unique_ptr<RgNode> createNamedNode()
{
    std::unique_ptr<RgNode> node(create());
    node->mayaObject = mayastandin::makeDependencyNode(kNodeName);
    return node;
}

template <typename Element>
bool sameBits(const std::vector<Element>& a, const std::vector<Element>& b)
{
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(Element)) == 0);
}

std::size_t firstChangedPoint(const std::vector<Imath::V3d>& before, const std::vector<Imath::V3d>& after)
{
    std::size_t point = 0;
    while (point < before.size() && std::memcmp(&before[point], &after[point], sizeof(Imath::V3d)) == 0)
        ++point;
    return point;
}

// Calls deform once and aborts when the outcome breaks the contract.
void deformAndCheck(RgNode& node, DeformCase& deformCase)
{
    const RgDeformData before = deformCase.data;
    const AttributeMap attributesBefore = deformCase.attributes;
    mayastandin::ErrorCapture capture;
    const RgStatus status = node.deform(deformCase.attributes, deformCase.data);
    const std::vector<std::string>& lines = capture.lines();
    const RgDeformData& after = deformCase.data;

    if (status == RgStatus::Success && !lines.empty())
        contractBroken("Success, but a line was shown: " + lines.front());
    if (status == RgStatus::Failure) {
        if (lines.size() != 1)
            contractBroken("Failure with " + std::to_string(lines.size()) + " lines shown");
        if (!isMessageLine(lines.front(), kNodeName))
            contractBroken("not a message line: " + lines.front());
        if (!sameBits(before.points, after.points))
            contractBroken("Failure (" + lines.front() + "), but point " +
                           std::to_string(firstChangedPoint(before.points, after.points)) + " changed");
    }
    if (status != RgStatus::Success && status != RgStatus::Failure)
        contractBroken(std::string("status ") + statusName(status));
    if (after.points.size() != before.points.size() || !sameBits(before.weights, after.weights) ||
        std::memcmp(&after.geometryMatrix, &before.geometryMatrix, sizeof(Imath::M44d)) != 0 ||
        after.geometry != before.geometry)
        contractBroken("deform changed the deform record beyond the points' positions");
    if (deformCase.attributes != attributesBefore)
        contractBroken("deform changed the attribute map");
}

struct Outcome {
    RgStatus status;
    std::vector<std::string> lines;
    std::vector<Imath::V3d> points;
};

Outcome deformOnNewNode(DeformCase deformCase)
{
    const auto node = createNamedNode();
    mayastandin::ErrorCapture capture;
    const RgStatus status = node->deform(deformCase.attributes, deformCase.data);
    return {status, capture.lines(), deformCase.data.points};
}

// Nothing a node does may depend on thread timing or on memory it did not
// set: two new nodes given the same inputs answer alike, bit for bit.
void checkRepeatable(const DeformCase& deformCase)
{
    const Outcome first = deformOnNewNode(deformCase);
    const Outcome second = deformOnNewNode(deformCase);
    if (first.status != second.status || first.lines != second.lines || !sameBits(first.points, second.points))
        contractBroken("two new nodes given the same inputs answered differently");
}

// The rigs each input starts from: the hand-built two-eye rig of the deform
// tests and a compact copy of a reference rig. Each must deform cleanly, or
// fuzzing would start from a broken case.
std::vector<DeformCase> makeRestCases()
{
    std::vector<DeformCase> cases;
    const smallrig::Rig handBuilt;
    cases.push_back({handBuilt.attributes, handBuilt.data});
    const rghost::Rig reference = rghost::readRigFile(FUZZ_DIR "/rigs/v001-compact.rig.json");
    cases.push_back({reference.attributes, reference.geometry});
    for (DeformCase restCase : cases) {
        const auto node = createNamedNode();
        mayastandin::ErrorCapture capture;
        if (node->deform(restCase.attributes, restCase.data) != RgStatus::Success)
            contractBroken("a rest rig does not deform: " + (capture.lines().empty() ? "" : capture.lines().front()));
    }
    return cases;
}

const std::vector<DeformCase>& restCases()
{
    static const std::vector<DeformCase> cases = makeRestCases();
    return cases;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    restCases();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider bytes(data, size);
    const DeformCase& rest = restCases()[bytes.ConsumeIntegralInRange<std::size_t>(0, restCases().size() - 1)];
    const auto node = createNamedNode();
    DeformCase deformCase = rest;
    const int calls = bytes.ConsumeIntegralInRange(1, kMostCalls);
    for (int call = 0; call < calls; ++call) {
        const int changes = bytes.ConsumeIntegralInRange(0, kMostChangesPerCall);
        for (int change = 0; change < changes; ++change)
            mutateDeformCase(bytes, rest, deformCase);
        keepCallShort(deformCase);
        deformAndCheck(*node, deformCase);
    }
    checkRepeatable(deformCase);
    return 0;
}
