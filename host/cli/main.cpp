#include <exception>
#include <iostream>

#include "cli/Commands.h"
#include "cli/ParseErrors.h"

int main(int argc, char** argv)
{
    CLI::App app("rghost, the substitute host: loads a deformer plug-in and runs rig files through it", "rghost");
    app.require_subcommand(1);
    app.set_version_flag("--version", "rghost " LIDSHAPER_VERSION);
    rghost::Command command;
    rghost::addDeformCommand(app, command);
    rghost::addMergeCommand(app, command);
    rghost::addValidateCommand(app, command);
    rghost::addSchemaCommand(app, command);
    rghost::addHelpCommand(app, command);
    rghost::addSampleRigCommand(app, command);
    rghost::addDemoCommand(app, command);
    rghost::addSheetCommand(app, command);
    rghost::addSweepCommand(app, command);
    rghost::addInspectCommand(app, command);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        if (error.get_exit_code() == 0) {
            return app.exit(error); // --help, --version
        }
        std::cerr << rghost::explainParseError(app, error) << '\n';
        return 2;
    }
    try {
        return command();
    } catch (const std::exception& error) {
        std::cerr << "rghost: " << error.what() << '\n';
        return 2;
    }
}
