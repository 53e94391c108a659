#pragma once

#include <charconv>
#include <cstddef>
#include <string>

namespace rghost {

// The longest shortest-round-trip text of a double ("-2.2250738585072014e-308").
inline constexpr std::size_t maxShortestNumberLength = 24;

// Writes at `at` the shortest text that reads back as the same double
// (std::to_chars), which takes at most maxShortestNumberLength characters;
// returns the end of the text. NaN and infinities come out as nan and inf.
inline char* writeShortestNumber(char* at, double value)
{
    return std::to_chars(at, at + maxShortestNumberLength, value).ptr;
}

inline void appendShortestNumber(std::string& text, double value)
{
    char digits[maxShortestNumberLength];
    text.append(digits, writeShortestNumber(digits, value));
}

} // namespace rghost
