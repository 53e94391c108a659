#pragma once

#include <stdexcept>
#include <string>

namespace rghost {

// A rig file that cannot be read. The message is one line that starts with the
// JSON path of the offending field, e.g. `attributes."ENVELOPE".value: expected a number`.
class RigFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace rghost
