#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "rg/AttributeDescriptor.h"
#include "rg/AttributeMap.h"
#include "rg/RgNode.h"
#include "rg/RgStatus.h"

namespace rghost {

// A plug-in library that cannot be loaded or lacks an entry point.
class PluginError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A node is destroyed through its virtual destructor, which the plug-in supplies.
using NodePointer = std::unique_ptr<RgNode>;

// A loaded deformer plug-in, reached only through its two exported C functions
// as a real host reaches it.
class Plugin {
public:
    // Loads `path` (dlopen with RTLD_NOW | RTLD_LOCAL) and finds "create" and
    // "help". Throws PluginError naming the path and the loader's reason.
    // The library stays loaded for the rest of the process, as a host keeps
    // its plug-ins: worker threads the plug-in started may still run its code.
    explicit Plugin(const std::string& path);

    const std::string& path() const { return path_; }

    // A new node from `create`; throws PluginError when it returns null.
    NodePointer createNode() const;

    // A new node standing for the dependency node `nodeName`, as a host names
    // each node before using it.
    NodePointer createNode(const std::string& nodeName) const;

    // The exported `help`; exceptions it raises pass through.
    RgStatus help(AttributeMap& command) const;

private:
    std::string path_;
    RgCreateFunction create_ = nullptr;
    RgHelpFunction help_ = nullptr;
};

// The attributes a fresh node of `plugin` declares.
std::vector<AttributeDescriptor> declaredAttributes(const Plugin& plugin);

// The command map a host hands the plug-in's `help` about one node: "HELP",
// "NODE_NAME", the node under "RG_NODE_PTR", and the three attribute-block
// pointers, which designate maps of this object (the plug-in only checks that
// they are set). Keeps pointers into itself, so it is neither copied nor moved.
class HelpCall {
public:
    HelpCall(RgNode& node, const std::string& nodeName);
    HelpCall(const HelpCall&) = delete;
    HelpCall& operator=(const HelpCall&) = delete;

    AttributeMap& command() { return command_; }

    // The text `help` stored under "OUTPUT", or nothing when it stored none.
    std::optional<std::string> output() const;

private:
    AttributeMap getAttributes_;
    AttributeMap runAttributes_;
    AttributeMap deformAttributes_;
    AttributeMap command_;
};

// lidShaper_2018.so in the lib folder beside `programFolder`, the folder of the
// program or module that loads it (build/bin, build/python).
std::string pluginBeside(const std::filesystem::path& programFolder);

// Where rghost looks for the plug-in when no path is given: the plug-in beside
// the executable's folder.
std::string defaultPluginPath();

} // namespace rghost
