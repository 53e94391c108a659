#pragma once

#include <CLI/CLI.hpp>

#include "picture/PictureOptions.h"

namespace rghost {

// -o, --view, --columns, --width, --close-up and --no-captions.
void addPictureOptions(CLI::App& command, PictureOptions& options);

} // namespace rghost
