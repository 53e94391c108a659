#include "overlay/FailureMarks.h"

#include <algorithm>
#include <regex>

using namespace rigContract;

namespace rghost {

namespace {

using Imath::V3d;

const LidLists& lidOf(const EyeOverlayInputs& eye, const std::string& field)
{
    return field.compare(0, 5, "lower") == 0 ? eye.lowerLid : eye.upperLid;
}

bool endsWith(const std::string& text, const char* suffix)
{
    const std::string tail(suffix);
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// The lid column entry `position` of `field` belongs to, if it is a lid list.
std::optional<std::size_t> columnOf(const EyeOverlayInputs& eye, const std::string& field, std::size_t position)
{
    const std::size_t n = eye.columns();
    if (n == 0 || (field.compare(0, 5, "upper") != 0 && field.compare(0, 5, "lower") != 0)) {
        return std::nullopt;
    }
    std::size_t column = position;
    if (endsWith(field, "InnerUV")) {
        column = position == 0 ? 0 : position - 1; // entry i + 1 is column i's
    } else if (endsWith(field, "CenterIdxs")) {
        column = eye.centerRows() == 0 ? position : position / eye.centerRows();
    } else if (endsWith(field, "BetweenIdxs")) {
        column = eye.betweenRows() == 0 ? position : position / eye.betweenRows();
    } else if (endsWith(field, "MinorCurve") || endsWith(field, "OutLoopOffset")) {
        return std::nullopt;
    }
    return std::min(column, n - 1);
}

// How many entries a one-per-column list of the lid needs.
std::optional<std::size_t> neededEntries(const EyeOverlayInputs& eye, const std::string& field, std::size_t& size)
{
    const LidLists& lid = lidOf(eye, field);
    const std::size_t n = eye.columns();
    if (endsWith(field, "LidInnerIdxs")) {
        size = lid.inner.size();
        return n;
    }
    if (endsWith(field, "LidOuterIdxs")) {
        size = lid.outer.size();
        return n;
    }
    if (endsWith(field, "LidInnerUV")) {
        size = lid.innerUV.size();
        return n + 2;
    }
    if (endsWith(field, "LidOuterUV")) {
        size = lid.outerUV.size();
        return n;
    }
    if (endsWith(field, "LidMoveVector")) {
        size = lid.moveVector.size();
        return n;
    }
    return std::nullopt;
}

std::optional<FailurePointer> shortListPointer(const std::string& line, const std::vector<EyeOverlayInputs>& eyes)
{
    const std::size_t textStart = line.rfind("): ");
    if (textStart == std::string::npos) {
        return std::nullopt;
    }
    std::string field = line.substr(textStart + 3);
    if (field == "len(upperLidInnerIdxs) != len(lowerLidInnerIdxs)") {
        field = "lowerLidInnerIdxs";
    }
    for (const EyeOverlayInputs& eye : eyes) {
        std::size_t size = 0;
        const std::optional<std::size_t> needed = neededEntries(eye, field, size);
        if (eye.compute && needed && size < *needed && eye.columns() > 0) {
            return FailurePointer{eye.side, field, size, columnOf(eye, field, size)};
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<FailurePointer> failurePointer(const std::string& line, const std::vector<EyeOverlayInputs>& eyes)
{
    static const std::regex entry(R"(lidShaper__eyes__([LR])_eye__([A-Za-z]+)\[(\d+)\])");
    std::smatch match;
    if (!std::regex_search(line, match, entry)) {
        return shortListPointer(line, eyes);
    }
    const EyeSide side = match[1] == "L" ? EyeSide::Left : EyeSide::Right;
    const auto eye =
        std::find_if(eyes.begin(), eyes.end(), [side](const EyeOverlayInputs& known) { return known.side == side; });
    if (eye == eyes.end() || match[3].length() > 9) {
        return std::nullopt;
    }
    const std::size_t position = std::stoul(match[3]);
    return FailurePointer{side, match[2], position, columnOf(*eye, match[2], position)};
}

void addFailureMarks(Overlay& overlay, const std::vector<EyeOverlayInputs>& eyes, const WorldPoints& world,
                     const std::string& line)
{
    const std::optional<FailurePointer> pointer = failurePointer(line, eyes);
    if (!pointer) {
        return;
    }
    const EyeOverlayInputs& eye = *std::find_if(
        eyes.begin(), eyes.end(), [&](const EyeOverlayInputs& known) { return known.side == pointer->side; });
    std::vector<V3d> marked;
    if (pointer->column) {
        const std::size_t column = *pointer->column;
        const LidLists& lid = lidOf(eye, pointer->field);
        if (column + 1 < lid.innerUV.size()) {
            marked.push_back(eye.spherePoint(lid.innerUV[column + 1].x, lid.innerUV[column + 1].y));
        }
        for (const auto& vertex : {world.at(lid.inner, column), world.at(lid.outer, column)}) {
            if (vertex) {
                marked.push_back(*vertex);
            }
        }
        if (column < lid.outerUV.size()) {
            marked.push_back(eye.spherePoint(lid.outerUV[column].x, lid.outerUV[column].y));
        }
    } else if (pointer->field == "cornersIdxs") {
        if (const auto vertex = world.at(eye.corners, pointer->position)) {
            marked.push_back(*vertex);
        }
    }
    for (const V3d& point : marked) {
        overlay.points.push_back({OverlayCategory::Failure, point, true});
    }
    if (marked.size() >= 2) {
        overlay.lines.push_back({OverlayCategory::Failure, marked});
    }
    std::string text = pointer->field + "[" + std::to_string(pointer->position) + "]";
    if (pointer->column) {
        text += ": column " + std::to_string(*pointer->column);
    }
    const V3d where = marked.empty() ? eye.center : eye.center + (marked.back() - eye.center) * 1.25;
    overlay.labels.push_back({OverlayCategory::Failure, where, text});
}

} // namespace rghost
