#pragma once

#include <cstdint>
#include <vector>

#include "prepare/workingState.h"
#include "rg/RgNode.h"

// The lidShaper node: declares its attributes, validates attribute maps and
// deforms both eyelids of a character, keeping its prepared state between calls.
class MyNode final : public RgNode {
public:
    MyNode() = default;
    ~MyNode() override = default;

    void declareAttributes(std::vector<AttributeDescriptor>& attributes) override;
    RgStatus deform(AttributeMap& attributes, RgDeformData& data) override;
    void idleHook() override {}
    RgStatus validateAttributes(const AttributeMap& attributes) override;
    void setAttributesDirty() override {}

private:
    EyeSolveState leftEye;
    EyeSolveState rightEye;
    SoftRegionState softRegionState;
    bool rebuildCache = true; // while set, the next deform redoes the cached preparation

    std::vector<std::uint8_t> vertexMarks; // deform's scratch for finding vertices both eyes name
};
