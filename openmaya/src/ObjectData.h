#pragma once

#include <string>

#include <maya/MApiNamespace.h>

#include "NurbsSurfaceEvaluator.h"

namespace mayastandin {

// What an MObject designates in the stand-in.
class ObjectData {
public:
    virtual ~ObjectData() = default;
};

class DependencyNodeData final : public ObjectData {
public:
    explicit DependencyNodeData(std::string name_) : name(std::move(name_)) {}
    std::string name;
};

class NurbsSurfaceData final : public ObjectData {
public:
    explicit NurbsSurfaceData(NurbsSurfaceEvaluator evaluator_) : evaluator(std::move(evaluator_)) {}
    NurbsSurfaceEvaluator evaluator;
};

} // namespace mayastandin
