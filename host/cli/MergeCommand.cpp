#include <memory>

#include "bake/ResultMerge.h"
#include "cli/Commands.h"

namespace rghost {

namespace {

struct MergeOptions {
    std::vector<std::string> chunks;
    std::string output;
};

} // namespace

void addMergeCommand(CLI::App& app, Command& command)
{
    auto options = std::make_shared<MergeOptions>();
    CLI::App* merge = app.add_subcommand(
        "merge", "Join the result files of chunks of one bake (deform --frames) into the file one full run writes");
    merge->add_option("chunks", options->chunks, "Result files of the chunks, in any order")->required();
    merge->add_option("-o,--output", options->output, "Result file to write; - writes to standard output")->required();
    merge->callback([options, &command] {
        command = [options] {
            mergeResultFiles(options->chunks, options->output);
            return 0;
        };
    });
}

} // namespace rghost
