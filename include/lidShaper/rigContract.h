#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

// What a rig hands a lidShaper node: the keys it reads, the fields of each eye
// and the layout of the lists whose positions carry meaning. The plug-in reads
// rigs by these definitions; the host, the sample rig, tests, benchmarks and
// fuzzers write them by the same ones.
namespace rigContract {

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
inline std::string eyeAttributeKey(EyeSide side, std::string_view field)
{
    return std::string("lidShaper__eyes__") + eyeSideName(side) + "__" + std::string(field);
}

// The one node attribute outside the eyes.
inline const std::string kSoftRegionKey = "lidShaper__softRegion__softRegion";

// The host settings a node reads besides its own attributes.
inline const std::string kDebugModeKey = "DEBUG_MODE";
inline const std::string kCacheAttributesKey = "CACHE_ATTRIBUTES";
inline const std::string kEnvelopeKey = "ENVELOPE";
inline const std::string kSoaEnabledKey = "SOA_ENABLED";

// The classes of value a node reads.
enum class ValueClass { Boolean, Int, Float, Double, Vector, NurbsCurve, NurbsSurface };

// The class's name in rig files and messages: "RgDouble" for ValueClass::Double.
constexpr std::string_view valueClassName(ValueClass valueClass)
{
    switch (valueClass) {
    case ValueClass::Boolean: return "RgBoolean";
    case ValueClass::Int: return "RgInt";
    case ValueClass::Float: return "RgFloat";
    case ValueClass::Double: return "RgDouble";
    case ValueClass::Vector: return "RgVector";
    case ValueClass::NurbsCurve: return "RgNurbsCurve";
    case ValueClass::NurbsSurface: return "RgNurbsSurface";
    }
    return "";
}

// How an animator sets a field; decides how a host presents it.
enum class Keying {
    Fixed,     // part of the rig's build
    Keyed,     // keyed per frame
    KeyedSize, // keyed, and never below zero
};

// One attribute a node declares. A list is read from its `values`, a single
// value from its `value`; the default is what a host shows for a single number.
struct Field {
    std::string_view name;
    ValueClass valueClass;
    bool list;
    double defaultValue;
    Keying keying;
};

// Positions of the fields in kEyeFields.
namespace eyeField {
enum : std::size_t {
    nurbsSphere,
    upperLidMinorCurve,
    lowerLidMinorCurve,
    centerEye,
    closeEye,
    closeLine,
    smoothOuter,
    eyeCompute,
    upperLidControl,
    upperLidOuterControl,
    upperOpenEyeValue,
    upperLidInnerIdxs,
    upperLidOuterIdxs,
    upperLidCenterIdxs,
    upperLidBetweenIdxs,
    upperLidInnerUV,
    upperLidOuterUV,
    upperLidMoveVector,
    upperLidOutLoopOffset,
    lowerLidControl,
    lowerLidOuterControl,
    lowerOpenEyeValue,
    lowerLidInnerIdxs,
    lowerLidOuterIdxs,
    lowerLidCenterIdxs,
    lowerLidBetweenIdxs,
    lowerLidInnerUV,
    lowerLidOuterUV,
    lowerLidMoveVector,
    lowerLidOutLoopOffset,
    cornersIdxs,
    upperMountSize,
    lowerMountSize,
    pointsOffset,
    count
};
} // namespace eyeField

// The fields each eye has, in the order a node declares and reads them.
inline constexpr std::array<Field, eyeField::count> kEyeFields{{
    {"nurbsSphere", ValueClass::NurbsSurface, false, 0.0, Keying::Fixed},
    {"upperLidMinorCurve", ValueClass::NurbsCurve, false, 0.0, Keying::Fixed},
    {"lowerLidMinorCurve", ValueClass::NurbsCurve, false, 0.0, Keying::Fixed},
    {"centerEye", ValueClass::Vector, false, 0.0, Keying::Fixed},
    {"closeEye", ValueClass::Double, false, 0.0, Keying::Fixed},
    {"closeLine", ValueClass::Double, false, 0.0, Keying::Fixed},
    {"smoothOuter", ValueClass::Int, false, 3.0, Keying::Keyed},
    {"eyeCompute", ValueClass::Boolean, false, 0.0, Keying::Fixed},
    {"upperLidControl", ValueClass::Double, false, 0.0, Keying::Keyed},
    {"upperLidOuterControl", ValueClass::Double, false, 1.0, Keying::Keyed},
    {"upperOpenEyeValue", ValueClass::Double, false, 25.0, Keying::Keyed},
    {"upperLidInnerIdxs", ValueClass::Int, true, 0.0, Keying::Fixed},
    {"upperLidOuterIdxs", ValueClass::Int, true, 0.0, Keying::Fixed},
    {"upperLidCenterIdxs", ValueClass::Int, true, 0.0, Keying::Fixed},
    {"upperLidBetweenIdxs", ValueClass::Int, true, 0.0, Keying::Fixed},
    {"upperLidInnerUV", ValueClass::Vector, true, 0.0, Keying::Fixed},
    {"upperLidOuterUV", ValueClass::Vector, true, 0.0, Keying::Fixed},
    {"upperLidMoveVector", ValueClass::Vector, true, 0.0, Keying::Fixed},
    {"upperLidOutLoopOffset", ValueClass::Double, true, 0.0, Keying::Fixed},
    {"lowerLidControl", ValueClass::Double, false, 0.0, Keying::Keyed},
    {"lowerLidOuterControl", ValueClass::Double, false, 1.0, Keying::Keyed},
    {"lowerOpenEyeValue", ValueClass::Double, false, -25.0, Keying::Keyed},
    {"lowerLidInnerIdxs", ValueClass::Int, true, 0.0, Keying::Fixed},
    {"lowerLidOuterIdxs", ValueClass::Int, true, 0.0, Keying::Fixed},
    {"lowerLidCenterIdxs", ValueClass::Int, true, 0.0, Keying::Fixed},
    {"lowerLidBetweenIdxs", ValueClass::Int, true, 0.0, Keying::Fixed},
    {"lowerLidInnerUV", ValueClass::Vector, true, 0.0, Keying::Fixed},
    {"lowerLidOuterUV", ValueClass::Vector, true, 0.0, Keying::Fixed},
    {"lowerLidMoveVector", ValueClass::Vector, true, 0.0, Keying::Fixed},
    {"lowerLidOutLoopOffset", ValueClass::Double, true, 0.0, Keying::Fixed},
    {"cornersIdxs", ValueClass::Int, true, 0.0, Keying::Fixed},
    {"upperMountSize", ValueClass::Double, false, 0.0, Keying::KeyedSize},
    {"lowerMountSize", ValueClass::Double, false, 0.0, Keying::KeyedSize},
    {"pointsOffset", ValueClass::Vector, true, 0.0, Keying::Keyed},
}};

// The soft region, the one attribute outside the eyes.
inline constexpr Field kSoftRegionField{"softRegion", ValueClass::Int, true, 0.0, Keying::Fixed};

// "lidShaper__eyes__R_eye__closeEye" for eyeField::closeEye of the right eye.
inline std::string eyeFieldKey(EyeSide side, std::size_t field)
{
    return eyeAttributeKey(side, kEyeFields[field].name);
}

enum class Lid { Upper, Lower };

inline constexpr Lid kLids[] = {Lid::Upper, Lid::Lower};

// The fields that come once per lid, as positions in kEyeFields.
struct LidFields {
    std::size_t control, outerControl, openEyeValue;
    std::size_t innerIdxs, outerIdxs, centerIdxs, betweenIdxs;
    std::size_t innerUV, outerUV, moveVector, outLoopOffset;
    std::size_t minorCurve, mountSize;
};

constexpr LidFields lidFields(Lid lid)
{
    using namespace eyeField;
    if (lid == Lid::Upper) {
        return {upperLidControl,       upperLidOuterControl, upperOpenEyeValue, upperLidInnerIdxs, upperLidOuterIdxs,
                upperLidCenterIdxs,    upperLidBetweenIdxs,  upperLidInnerUV,   upperLidOuterUV,   upperLidMoveVector,
                upperLidOutLoopOffset, upperLidMinorCurve,   upperMountSize};
    }
    return {lowerLidControl,       lowerLidOuterControl, lowerOpenEyeValue, lowerLidInnerIdxs, lowerLidOuterIdxs,
            lowerLidCenterIdxs,    lowerLidBetweenIdxs,  lowerLidInnerUV,   lowerLidOuterUV,   lowerLidMoveVector,
            lowerLidOutLoopOffset, lowerLidMinorCurve,   lowerMountSize};
}

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

} // namespace rigContract
