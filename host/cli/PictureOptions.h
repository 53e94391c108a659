#pragma once

#include <string>

#include <CLI/CLI.hpp>

#include "picture/contactSheet.h"

namespace rghost {

// What the picture commands share: where the PNG goes and how it is laid out.
struct PictureOptions {
    std::string outputPath;
    SheetLayout layout;
    bool withoutCaptions = false;
};

// -o, --view, --columns, --width and --no-captions.
void addPictureOptions(CLI::App& command, PictureOptions& options);

// The layout the options ask for.
SheetLayout pictureLayout(const PictureOptions& options);

} // namespace rghost
