#include "prepare/eyeChecks.h"

#include <array>
#include <cstdint>
#include <sstream>

#include "lidShaper/rigContract.h"

using namespace rigContract;

namespace {

constexpr std::size_t kCheckCount = static_cast<std::size_t>(EyeCheck::None);

constexpr std::array<const char*, static_cast<std::size_t>(EyeCheck::CornerCount)> kEyeCheckTexts{{
    "nurbsSphere is NULL",
    "upperLidMinorCurve is NULL",
    "lowerLidMinorCurve is NULL",
    "upperLidInnerIdxs",
    "upperLidOuterIdxs",
    "upperLidCenterIdxs",
    "upperLidBetweenIdxs",
    "upperLidInnerUV",
    "upperLidOuterUV",
    "upperLidMoveVector",
    "len(upperLidInnerIdxs) != len(lowerLidInnerIdxs)",
    "lowerLidOuterIdxs",
    "lowerLidCenterIdxs",
    "lowerLidBetweenIdxs",
    "lowerLidInnerUV",
    "lowerLidOuterUV",
    "lowerLidMoveVector",
    "cornersIdxs",
    "different number of minor curves' CVs",
}};

// Messages tell the eyes' checks apart by source location, so every check of
// every eye reports from a line of its own: one row per check, left eye first.
constexpr int kEyeCheckLines[kCheckCount][2] = {
    {__LINE__,  // nurbsSphere is NULL: left eye
     __LINE__}, //   right eye
    {__LINE__,  // upperLidMinorCurve is NULL: left eye
     __LINE__}, //   right eye
    {__LINE__,  // lowerLidMinorCurve is NULL: left eye
     __LINE__}, //   right eye
    {__LINE__,  // upperLidInnerIdxs: left eye
     __LINE__}, //   right eye
    {__LINE__,  // upperLidOuterIdxs: left eye
     __LINE__}, //   right eye
    {__LINE__,  // upperLidCenterIdxs: left eye
     __LINE__}, //   right eye
    {__LINE__,  // upperLidBetweenIdxs: left eye
     __LINE__}, //   right eye
    {__LINE__,  // upperLidInnerUV: left eye
     __LINE__}, //   right eye
    {__LINE__,  // upperLidOuterUV: left eye
     __LINE__}, //   right eye
    {__LINE__,  // upperLidMoveVector: left eye
     __LINE__}, //   right eye
    {__LINE__,  // len(upperLidInnerIdxs) != len(lowerLidInnerIdxs): left eye
     __LINE__}, //   right eye
    {__LINE__,  // lowerLidOuterIdxs: left eye
     __LINE__}, //   right eye
    {__LINE__,  // lowerLidCenterIdxs: left eye
     __LINE__}, //   right eye
    {__LINE__,  // lowerLidBetweenIdxs: left eye
     __LINE__}, //   right eye
    {__LINE__,  // lowerLidInnerUV: left eye
     __LINE__}, //   right eye
    {__LINE__,  // lowerLidOuterUV: left eye
     __LINE__}, //   right eye
    {__LINE__,  // lowerLidMoveVector: left eye
     __LINE__}, //   right eye
    {__LINE__,  // cornersIdxs: left eye
     __LINE__}, //   right eye
    {__LINE__,  // different number of minor curves' CVs: left eye
     __LINE__}, //   right eye
    {__LINE__,  // corner count: left eye
     __LINE__}, //   right eye
};

void report(const MessageSink& messages, EyeSide side, EyeCheck check, const std::string& text)
{
    const int line = kEyeCheckLines[static_cast<std::size_t>(check)][side == EyeSide::Left ? 0 : 1];
    messages.assertion(CheckSite{__FILE__, line}, text);
}

// An input curve is there when it has control points, knots and a degree.
bool curvePresent(const NurbsCurveData& curve)
{
    return !curve.cvs.empty() && !curve.knots.empty() && curve.degree != 0;
}

} // namespace

EyeCheck firstFailedInputCheck(const EyeInputs& eye)
{
    // Sizes compare as unsigned 64-bit numbers against N widened from 32-bit signed.
    const std::int32_t columnCount = static_cast<std::int32_t>(eye.upperLidInnerIdxs->values.size());
    const std::uint64_t n = static_cast<std::uint64_t>(static_cast<std::int64_t>(columnCount));
    const std::uint64_t nPlusTwo = static_cast<std::uint64_t>(static_cast<std::int64_t>(columnCount) + 2);
    const auto atLeast = [](const auto& list, std::uint64_t needed) { return list.size() >= needed; };
    const auto wholeColumns = [n](const auto& list) { return list.size() % n == 0; };

    using C = EyeCheck;
    if (eye.nurbsSphere->value.isNull())
        return C::Sphere;
    if (!curvePresent(eye.upperLidMinorCurve->value))
        return C::UpperCurve;
    if (!curvePresent(eye.lowerLidMinorCurve->value))
        return C::LowerCurve;
    if (n == 0)
        return C::ColumnCount;
    if (!atLeast(eye.upperLidOuterIdxs->values, n))
        return C::UpperOuterIdxs;
    if (!wholeColumns(eye.upperLidCenterIdxs->values))
        return C::UpperCenterIdxs;
    if (!wholeColumns(eye.upperLidBetweenIdxs->values))
        return C::UpperBetweenIdxs;
    if (!atLeast(eye.upperLidInnerUV->values, nPlusTwo))
        return C::UpperInnerUV;
    if (!atLeast(eye.upperLidOuterUV->values, n))
        return C::UpperOuterUV;
    if (!atLeast(eye.upperLidMoveVector->values, n))
        return C::UpperMoveVector;
    if (eye.lowerLidInnerIdxs->values.size() != n)
        return C::LowerInnerIdxs;
    if (!atLeast(eye.lowerLidOuterIdxs->values, n))
        return C::LowerOuterIdxs;
    if (!wholeColumns(eye.lowerLidCenterIdxs->values))
        return C::LowerCenterIdxs;
    if (!wholeColumns(eye.lowerLidBetweenIdxs->values))
        return C::LowerBetweenIdxs;
    if (!atLeast(eye.lowerLidInnerUV->values, nPlusTwo))
        return C::LowerInnerUV;
    if (!atLeast(eye.lowerLidOuterUV->values, n))
        return C::LowerOuterUV;
    if (!atLeast(eye.lowerLidMoveVector->values, n))
        return C::LowerMoveVector;
    if (eye.cornersIdxs->values.empty())
        return C::Corners;
    return C::None;
}

void reportEyeCheck(const MessageSink& messages, EyeSide side, EyeCheck check)
{
    report(messages, side, check, kEyeCheckTexts[static_cast<std::size_t>(check)]);
}

void reportCornerCount(const MessageSink& messages, EyeSide side, std::size_t cornerEntries)
{
    std::ostringstream text;
    text << "please add corners indices to cornersIdxs (minimum " << cornerList::kMinimumSize << "). But now - "
         << cornerEntries;
    report(messages, side, EyeCheck::CornerCount, text.str());
}
