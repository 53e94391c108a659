#include <iostream>
#include <memory>

#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "io/SchemaReport.h"

namespace rghost {

namespace {

struct SchemaArguments {
    bool asJson = false;
    std::string pluginPath;
};

} // namespace

void addSchemaCommand(CLI::App& app, Command& command)
{
    auto arguments = std::make_shared<SchemaArguments>();
    CLI::App* schema = app.add_subcommand("schema", "List the attributes a fresh node declares");
    schema->add_flag("--json", arguments->asJson, "Print JSON instead of a table");
    addPluginOption(*schema, arguments->pluginPath);
    schema->callback([arguments, &command] {
        command = [arguments] {
            const Plugin plugin = loadPlugin(arguments->pluginPath);
            const std::vector<AttributeDescriptor> attributes = declaredAttributes(plugin);
            std::cout << (arguments->asJson ? formatSchemaJson(attributes) : formatSchemaTable(attributes));
            return 0;
        };
    });
}

} // namespace rghost
