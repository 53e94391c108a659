#pragma once

// The rghost executable run as a user runs it, for the command-line tests.

#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "HostTestSupport.h"

namespace hosttest {

struct ProcessRun {
    int exitStatus = -1;
    std::string out;
    std::string err;
};

inline std::string shellQuoted(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

// Runs rghost with `arguments`, its streams captured through files in `scratch`.
inline ProcessRun runRghost(const std::vector<std::string>& arguments, const TemporaryDirectory& scratch)
{
    std::string command = shellQuoted(RGHOST_PATH);
    for (const std::string& argument : arguments) {
        command += " " + shellQuoted(argument);
    }
    const std::string out = scratch.file("stdout.txt");
    const std::string err = scratch.file("stderr.txt");
    const int status = std::system((command + " >" + shellQuoted(out) + " 2>" + shellQuoted(err)).c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readTextFile(out), readTextFile(err)};
}

} // namespace hosttest
