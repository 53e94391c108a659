#pragma once

#include <cstddef>
#include <string>

// What a rig hands a lidShaper node: the keys it reads and the layout of the
// lists whose positions carry meaning. The plug-in reads rigs by these
// definitions; the sample rig, tests, benchmarks and fuzzers write them by the
// same ones.

enum class EyeSide { Left, Right };

inline constexpr EyeSide kEyeSides[] = {EyeSide::Left, EyeSide::Right};

// The side's part of an eye's keys: "L_eye" or "R_eye".
constexpr const char* eyeSideName(EyeSide side)
{
    return side == EyeSide::Left ? "L_eye" : "R_eye";
}

// The side's part of an eye's short names: "L" or "R".
constexpr const char* eyeSideLetter(EyeSide side)
{
    return side == EyeSide::Left ? "L" : "R";
}

// "lidShaper__eyes__L_eye__nurbsSphere" for the left eye's field "nurbsSphere".
inline std::string eyeAttributeKey(EyeSide side, const std::string& field)
{
    return std::string("lidShaper__eyes__") + eyeSideName(side) + "__" + field;
}

// The one node attribute outside the eyes.
inline const std::string kSoftRegionKey = "lidShaper__softRegion__softRegion";

// The host settings a node reads besides its own attributes.
inline const std::string kDebugModeKey = "DEBUG_MODE";
inline const std::string kCacheAttributesKey = "CACHE_ATTRIBUTES";
inline const std::string kEnvelopeKey = "ENVELOPE";
inline const std::string kSoaEnabledKey = "SOA_ENABLED";

// An eye's offset table (its pointsOffset list) for N lid columns: eight blocks
// of per-column offsets, the four corner offsets between the fourth and the
// fifth block, and four unused entries at the end. A shorter list leaves the
// missing offsets zero.
namespace offsetTable {

// The per-column blocks, in table order.
enum class ColumnOffset : std::size_t {
    UpperMove,           // added to the upper lid's move vector
    UpperOuterMove,      // upper outer vertex offset per unit of move
    LowerMove,           // added to the lower lid's move vector
    LowerOuterMove,      // lower outer vertex offset per unit of move
    UpperInnerOvershoot, // extra offsets per unit of move beyond 1
    UpperOuterOvershoot,
    LowerInnerOvershoot,
    LowerOuterOvershoot,
};

constexpr std::size_t size(std::size_t columnCount)
{
    return 8 * columnCount + 8;
}

constexpr std::size_t columnEntry(std::size_t columnCount, ColumnOffset block, std::size_t column)
{
    const std::size_t b = static_cast<std::size_t>(block);
    return b * columnCount + (b < 4 ? 0 : 4) + column;
}

// Corner 0 or 1, vertex A or (second) B: x and y add to its smoothed position,
// z to its distance from the eye center.
constexpr std::size_t cornerEntry(std::size_t columnCount, std::size_t corner, bool second)
{
    return 4 * columnCount + 2 * corner + (second ? 1 : 0);
}

} // namespace offsetTable

// An eye's corner list (its cornersIdxs list). Its thirds (t = size / 3) each
// start with two (A, B) vertex pairs, one per corner: the corners themselves at
// entries 0 to 3, their first neighbours at t, their second at 2t. From entry 4
// each corner, corner 0 first, carries the vertices that follow it: one per
// center row (around the eye center), then one per between row (along the
// corner span). These may overlap the neighbour pairs.
namespace cornerList {

inline constexpr std::size_t kMinimumSize = 24;

enum class Ring : std::size_t { Corner, FirstNeighbour, SecondNeighbour };

constexpr std::size_t pairEntry(std::size_t listSize, Ring ring, std::size_t corner, bool second)
{
    return static_cast<std::size_t>(ring) * (listSize / 3) + 2 * corner + (second ? 1 : 0);
}

// Where corner `corner`'s carried vertices start, and how many entries both
// corners' carried vertices take.
constexpr std::size_t carriedStart(std::size_t corner, std::size_t centerRows, std::size_t betweenRows)
{
    return 4 + corner * (centerRows + betweenRows);
}
constexpr std::size_t carriedEnd(std::size_t centerRows, std::size_t betweenRows)
{
    return carriedStart(2, centerRows, betweenRows);
}

} // namespace cornerList
