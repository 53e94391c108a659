#pragma once

#include <cstdio>
#include <string>

namespace rghost {

// A number as people read it in messages and tables: "%g" ("0.5", "-25", "1e+06").
inline std::string shortNumber(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

} // namespace rghost
