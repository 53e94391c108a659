#pragma once

#include <memory>
#include <stdexcept>
#include <string>

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

// Where rghost looks for the plug-in when no path is given:
// lidShaper_2018.so in the lib folder beside the executable's bin folder.
std::string defaultPluginPath();

} // namespace rghost
