#pragma once

// The plug-in as a host sees it: the shared library loaded with dlopen, its two
// exported entry points, the host-facing headers and attribute maps built the
// way a host builds them. Nothing here links the plug-in's own code, so tests
// that use this harness exercise exactly the shipped binary.

#include <dlfcn.h>

#include <array>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <mayastandin/StandIn.h>

#include "lidShaper/rigContract.h"
#include "rg/AttributeMap.h"
#include "rg/RgData.h"
#include "rg/RgNode.h"
#include "rg/RgValueFactory.h"

namespace pluginharness {

// The plug-in stays loaded until the process ends: nodes, values and worker
// threads it made may outlive any single test, so it is never closed.
class LoadedPlugin {
public:
    LoadedPlugin() : library_(dlopen(LIDSHAPER_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL))
    {
        if (library_ == nullptr)
            throw std::runtime_error(std::string("cannot load the plug-in: ") + dlerror());
        create_ = reinterpret_cast<RgCreateFunction>(dlsym(library_, "create"));
        help_ = reinterpret_cast<RgHelpFunction>(dlsym(library_, "help"));
        if (create_ == nullptr || help_ == nullptr)
            throw std::runtime_error("the plug-in does not export create and help");
    }

    // A new node standing for the Maya dependency node `mayaName`, as a host sets it up.
    std::unique_ptr<RgNode> createNode(const std::string& mayaName) const
    {
        std::unique_ptr<RgNode> node(create_());
        node->mayaObject = mayastandin::makeDependencyNode(mayaName);
        return node;
    }

    RgStatus help(AttributeMap& arguments) const { return help_(arguments); }

private:
    void* library_;
    RgCreateFunction create_ = nullptr;
    RgHelpFunction help_ = nullptr;
};

inline const LoadedPlugin& plugin()
{
    static const LoadedPlugin loaded;
    return loaded;
}

// The words messages print for a class are the rig contract's
// (valueClassName), written apart from the host headers, so a wrong word there
// is caught too.
using namespace rigContract;

// A default value of the class, made here in the host executable.
inline std::shared_ptr<RgData> makeValue(ValueClass valueClass)
{
    switch (valueClass) {
    case ValueClass::Boolean: return std::make_shared<RgBoolean>();
    case ValueClass::Int: return std::make_shared<RgInt>();
    case ValueClass::Float: return std::make_shared<RgFloat>();
    case ValueClass::Double: return std::make_shared<RgDouble>();
    case ValueClass::Vector: return std::make_shared<RgVector>();
    case ValueClass::NurbsCurve: return std::make_shared<RgNurbsCurve>();
    case ValueClass::NurbsSurface: return std::make_shared<RgNurbsSurface>();
    }
    return nullptr;
}

// A value of a class that is easily mistaken for the expected one (RgDouble for
// RgFloat, RgInt for RgBoolean, ...); the node must reject it.
inline std::shared_ptr<RgData> makeValueOfOtherClass(ValueClass valueClass)
{
    switch (valueClass) {
    case ValueClass::Boolean: return std::make_shared<RgInt>();
    case ValueClass::Double: return std::make_shared<RgFloat>();
    case ValueClass::NurbsCurve: return std::make_shared<RgNurbsSurface>();
    case ValueClass::NurbsSurface: return std::make_shared<RgNurbsCurve>();
    default: return std::make_shared<RgDouble>();
    }
}

struct CheckedKey {
    std::string key;
    ValueClass valueClass;
};

namespace detail {
inline std::vector<CheckedKey> keysAfterGlobals(std::vector<CheckedKey> keys)
{
    for (const EyeSide side : kEyeSides)
        for (const Field& field : kEyeFields)
            keys.push_back({eyeAttributeKey(side, field.name), field.valueClass});
    keys.push_back({kSoftRegionKey, ValueClass::Int});
    return keys;
}
} // namespace detail

// The 72 keys validateAttributes checks, in the order it checks them.
inline std::vector<CheckedKey> validationKeys()
{
    return detail::keysAfterGlobals({{kDebugModeKey, ValueClass::Int},
                                     {kCacheAttributesKey, ValueClass::Boolean},
                                     {kEnvelopeKey, ValueClass::Float}});
}

// The 73 keys deform reads, in the order it reads them.
inline std::vector<CheckedKey> deformKeys()
{
    return detail::keysAfterGlobals({{kDebugModeKey, ValueClass::Int},
                                     {kCacheAttributesKey, ValueClass::Boolean},
                                     {kEnvelopeKey, ValueClass::Float},
                                     {kSoaEnabledKey, ValueClass::Boolean}});
}

// The four host settings deform reads first: envelope as given, cache on.
inline AttributeMap settingsOnlyMap(float envelope)
{
    AttributeMap attributes;
    attributes[kDebugModeKey] = makeRgValue<RgInt>(0);
    attributes[kCacheAttributesKey] = makeRgValue<RgBoolean>(true);
    attributes[kEnvelopeKey] = makeRgValue<RgFloat>(envelope);
    attributes[kSoaEnabledKey] = makeRgValue<RgBoolean>(false);
    return attributes;
}

// Every key validateAttributes checks plus "SOA_ENABLED", each holding a
// default-constructed value of its class (empty lists and curves, a null
// surface, both eyes switched off), envelope 1 and cache on. Deform tests
// replace the values they need.
inline AttributeMap completeAttributeMap()
{
    AttributeMap attributes = settingsOnlyMap(1.0f);
    for (const CheckedKey& checked : deformKeys())
        if (attributes.count(checked.key) == 0)
            attributes[checked.key] = makeValue(checked.valueClass);
    return attributes;
}

// The lines the node shows for a missing key and for a value of the wrong class.
inline std::string notFoundLine(const std::string& nodeName, const std::string& key, ValueClass expected)
{
    return nodeName + ": get attributes: cannot find '" + key + "' (" + std::string(valueClassName(expected)) +
           ") attribute";
}

inline std::string wrongTypeLine(const std::string& nodeName, const std::string& key, ValueClass expected)
{
    return nodeName + ": get attributes: invalid type of '" + key + "' (" + std::string(valueClassName(expected)) +
           " expected)";
}

} // namespace pluginharness
