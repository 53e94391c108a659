#include <iostream>
#include <memory>

#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "io/SchemaReport.h"

namespace rghost {

namespace {

struct SchemaOptions {
    bool asJson = false;
    std::string pluginPath;
};

int runSchema(const SchemaOptions& options)
{
    const Plugin plugin = loadPlugin(options.pluginPath);
    const std::vector<AttributeDescriptor> attributes = declaredAttributes(plugin);
    std::cout << (options.asJson ? formatSchemaJson(attributes) : formatSchemaTable(attributes));
    return 0;
}

} // namespace

void addSchemaCommand(CLI::App& app, Command& command)
{
    auto options = std::make_shared<SchemaOptions>();
    CLI::App* schema = app.add_subcommand("schema", "List the attributes a fresh node declares");
    schema->add_flag("--json", options->asJson, "Print JSON instead of a table");
    addPluginOption(*schema, options->pluginPath);
    schema->callback([options, &command] { command = [options] { return runSchema(*options); }; });
}

} // namespace rghost
