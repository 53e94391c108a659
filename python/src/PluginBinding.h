#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <pybind11/pybind11.h>

#include "HostValues.h"
#include "core/Plugin.h"

namespace lidshaper {

namespace py = pybind11;

// A loaded plug-in with what its nodes share: the attributes a fresh node
// declares and the declared value of every key a node reads.
class LoadedPlugin {
public:
    // Throws OSError naming `path` when it cannot be loaded.
    explicit LoadedPlugin(const std::string& path);

    const rghost::Plugin& plugin() const { return plugin_; }
    const std::vector<AttributeDescriptor>& schema() const { return schema_; }
    const Declarations& declarations() const { return declarations_; }

private:
    rghost::Plugin plugin_;
    std::vector<AttributeDescriptor> schema_;
    Declarations declarations_;
};

// The plug-in beside this module (see rghost::pluginBeside), loaded once.
std::shared_ptr<LoadedPlugin> defaultPlugin();

// One node of a plug-in. It keeps its plug-in alive, and runs one operation at
// a time: a second thread calling it meanwhile gets a RuntimeError.
class Node {
public:
    Node(std::shared_ptr<LoadedPlugin> plugin, std::string name);

    const std::string& name() const { return name_; }
    const std::shared_ptr<LoadedPlugin>& plugin() const { return plugin_; }

    // The node, locked for one operation of the caller's.
    std::unique_lock<std::mutex> lockForCall();
    RgNode& rgNode() { return *node_; }

    // The record deform is handed; kept between calls so its lists keep their memory.
    RgDeformData& record() { return record_; }
    bool recordHasDefaultWeights = false;

private:
    std::shared_ptr<LoadedPlugin> plugin_;
    std::string name_;
    rghost::NodePointer node_;
    RgDeformData record_;
    std::mutex busy_;
};

// Registers Plugin, Node, their results, and load_plugin.
void bindPlugin(py::module_& module);

} // namespace lidshaper
