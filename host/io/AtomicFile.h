#pragma once

#include <string>
#include <string_view>

namespace rghost {

// Writes `contents` to `path` so that readers see either the old file or the
// whole new one: the bytes go to a temporary file in the same directory, which
// is then renamed over `path`. On failure no temporary file remains and
// std::runtime_error names `path` and the reason.
void writeFileAtomically(const std::string& path, std::string_view contents);

} // namespace rghost
