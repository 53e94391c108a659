#include <exception>
#include <iostream>

#include "cli/Commands.h"

int main(int argc, char** argv)
{
    CLI::App app("rghost, the substitute host: loads a deformer plug-in and runs rig files through it", "rghost");
    app.require_subcommand(1);
    rghost::Command command;
    rghost::addDeformCommand(app, command);
    rghost::addValidateCommand(app, command);
    rghost::addSchemaCommand(app, command);
    rghost::addHelpCommand(app, command);
    rghost::addSampleRigCommand(app, command);
    rghost::addDemoCommand(app, command);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        if (error.get_exit_code() == 0) {
            return app.exit(error); // --help
        }
        std::cerr << "rghost: " << error.what() << '\n';
        return 2;
    }
    try {
        return command();
    } catch (const std::exception& error) {
        std::cerr << "rghost: " << error.what() << '\n';
        return 2;
    }
}
