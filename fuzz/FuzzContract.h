#pragma once

// What the fuzz targets hold the node to, and how they report an input that
// breaks it: the reason on stderr, then abort, which libFuzzer records as a
// crash and saves the input.

#include <cstdio>
#include <cstdlib>
#include <string>

[[noreturn]] inline void contractBroken(const std::string& what)
{
    std::fprintf(stderr, "contract broken: %s\n", what.c_str());
    std::abort();
}

// One line in one of the node's three shapes, prefixed with the node's name.
inline bool isMessageLine(const std::string& line, const std::string& nodeName)
{
    const std::string prefix = nodeName + ": ";
    if (line.compare(0, prefix.size(), prefix) != 0 || line.find_first_of("\r\n") != std::string::npos)
        return false;
    for (const char* shape : {"ASSERT error (", "get attributes: cannot find '", "get attributes: invalid type of '"})
        if (line.compare(prefix.size(), std::string(shape).size(), shape) == 0)
            return true;
    return false;
}
