#include "core/Plugin.h"

#include <filesystem>

#include <dlfcn.h>
#include <mayastandin/StandIn.h>

#include "rg/RgValueFactory.h"

namespace rghost {

namespace {

std::string loaderReason()
{
    const char* reason = ::dlerror();
    return reason != nullptr ? reason : "unknown reason";
}

void* entryPoint(void* library, const std::string& path, const char* name)
{
    ::dlerror();
    void* symbol = ::dlsym(library, name);
    if (symbol == nullptr) {
        throw PluginError("plug-in " + path + " has no entry point '" + name + "': " + loaderReason());
    }
    return symbol;
}

} // namespace

Plugin::Plugin(const std::string& path) : path_(path)
{
    if (!std::filesystem::exists(path)) {
        // The usual cause is a host built on its own; say how to get the plug-in beside it.
        throw PluginError("cannot load plug-in " + path +
                          ": no such file; build it with "
                          "`cmake --build --preset default --target lidShaper_2018` "
                          "(scripts/lidshaper.sh demo builds it too), or name another build");
    }
    void* library = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        throw PluginError("cannot load plug-in " + path + ": " + loaderReason());
    }
    create_ = reinterpret_cast<RgCreateFunction>(entryPoint(library, path, "create"));
    help_ = reinterpret_cast<RgHelpFunction>(entryPoint(library, path, "help"));
}

NodePointer Plugin::createNode() const
{
    NodePointer node(create_());
    if (node == nullptr) {
        throw PluginError("plug-in " + path_ + " made no node: 'create' returned null");
    }
    return node;
}

NodePointer Plugin::createNode(const std::string& nodeName) const
{
    NodePointer node = createNode();
    node->mayaObject = mayastandin::makeDependencyNode(nodeName);
    return node;
}

RgStatus Plugin::help(AttributeMap& command) const
{
    return help_(command);
}

HelpCall::HelpCall(RgNode& node, const std::string& nodeName)
{
    command_["HELP"] = makeRgValue<RgBoolean>(true);
    command_["NODE_NAME"] = makeRgValue<RgString>(nodeName);
    command_["RG_NODE_PTR"] = makeRgValue<RgPtr>(&node);
    command_["GET_ATTRIBUTES_PTR"] = makeRgValue<RgPtr>(&getAttributes_);
    command_["RUN_ATTRIBUTES_PTR"] = makeRgValue<RgPtr>(&runAttributes_);
    command_["DEFORM_ATTRIBUTES_PTR"] = makeRgValue<RgPtr>(&deformAttributes_);
}

std::optional<std::string> HelpCall::output() const
{
    const auto entry = command_.find("OUTPUT");
    const auto text = entry == command_.end() ? nullptr : std::dynamic_pointer_cast<RgString>(entry->second);
    if (text == nullptr) {
        return std::nullopt;
    }
    return text->value;
}

std::string pluginBeside(const std::filesystem::path& programFolder)
{
    return (programFolder.parent_path() / "lib" / "lidShaper_2018.so").string();
}

std::vector<AttributeDescriptor> declaredAttributes(const Plugin& plugin)
{
    std::vector<AttributeDescriptor> attributes;
    plugin.createNode()->declareAttributes(attributes);
    return attributes;
}

std::string defaultPluginPath()
{
    return pluginBeside(std::filesystem::read_symlink("/proc/self/exe").parent_path());
}

} // namespace rghost
