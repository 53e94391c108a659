#pragma once

#include <map>
#include <string>
#include <vector>

#include <maya/MObject.h>
#include <maya/MString.h>

#include "rg/AttributeDescriptor.h"
#include "rg/AttributeMap.h"
#include "rg/RgDeformData.h"
#include "rg/RgExport.h"
#include "rg/RgStatus.h"

// The host's node base class. A plug-in derives from it and hands instances out
// through its exported `create`; the host drives them through the virtual
// operations below, whose slot order is part of the binary interface.
class RG_API RgNode {
public:
    RgNode() = default;
    RgNode(const RgNode&) = delete;
    RgNode& operator=(const RgNode&) = delete;

    virtual ~RgNode() = default;                                                              // slot 0
    virtual void declareAttributes(std::vector<AttributeDescriptor>& attributes) = 0;         // slot 1
    virtual RgStatus deform(AttributeMap&, RgDeformData&) { return RgStatus::Success; }       // slot 2
    virtual void acceptString(MString) {}                                                     // slot 3
    virtual void idleHook() {}                                                                // slot 4
    virtual RgStatus validateAttributes(const AttributeMap&) { return RgStatus::NotHandled; } // slot 5
    virtual void setAttributesDirty() {}                                                      // slot 6

    MObject mayaObject;                        // the dependency node this node stands for
    std::map<std::string, void*> pointerTable; // host data blocks by name (e.g. "SOA_POINTS")
    std::map<std::string, void*> extraTable;   // reserved for the host
};

// The two functions a plug-in exports with C linkage.
extern "C" {
using RgCreateFunction = RgNode* (*)();
using RgHelpFunction = RgStatus (*)(AttributeMap&);
}
