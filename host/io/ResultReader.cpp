#include "io/ResultReader.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "io/ResultWriter.h"
#include "io/RigFileError.h"
#include "io/StrictJsonParser.h"

namespace rghost {

namespace {

using nlohmann::json;

constexpr std::string_view frameStart = "    {\"frame\": ";
constexpr std::string_view pointsStart = ", \"points\": [";

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The end of the JSON number at `at` if it reads as a finite double, else `at`.
// Only the rare long number or 3-digit exponent, which could overflow, is converted.
const char* skipFiniteNumber(const char* at, const char* end)
{
    const char* p = at;
    p += p != end && *p == '-';
    if (p == end || !isDigit(*p)) {
        return at;
    }
    if (*p++ != '0') {
        while (p != end && isDigit(*p)) {
            ++p;
        }
    }
    if (p != end && *p == '.') {
        const char* digits = ++p;
        while (p != end && isDigit(*p)) {
            ++p;
        }
        if (p == digits) {
            return at;
        }
    }
    bool large = p - at > 32;
    if (p != end && (*p == 'e' || *p == 'E')) {
        ++p;
        p += p != end && (*p == '+' || *p == '-');
        const char* digits = p;
        while (p != end && isDigit(*p)) {
            ++p;
        }
        if (p == digits) {
            return at;
        }
        large = large || p - digits > 2;
    }
    if (large) {
        double value = 0.0;
        const std::from_chars_result read = std::from_chars(at, p, value);
        if (read.ec != std::errc() || read.ptr != p || !std::isfinite(value)) {
            return at;
        }
    }
    return p;
}

// Checks the point list that starts at `text` and ends the line: "]}" right
// after it. Returns the fault, empty when there is none; counts the points.
std::string checkPointList(std::string_view line, std::size_t start, std::size_t& pointCount)
{
    const char* const begin = line.data();
    const char* const end = begin + line.size();
    const char* p = begin + start;
    pointCount = 0;
    const auto fault = [&](const char* expected) {
        return "column " + std::to_string(p - begin + 1) + " (point " + std::to_string(pointCount) + "): expected " +
               expected;
    };
    const auto skip = [&](std::string_view text) {
        if (static_cast<std::size_t>(end - p) < text.size() || std::string_view(p, text.size()) != text) {
            return false;
        }
        p += text.size();
        return true;
    };
    if (p == end || *p != ']') {
        for (;;) {
            if (!skip("[")) {
                return fault("'['");
            }
            for (int axis = 0; axis < 3; ++axis) {
                if (axis != 0 && !skip(", ")) {
                    return fault("', '");
                }
                const char* number = skipFiniteNumber(p, end);
                if (number == p) {
                    return fault("a number that reads as a finite double");
                }
                p = number;
            }
            if (!skip("]")) {
                return fault("']'");
            }
            ++pointCount;
            if (p != end && *p == ']') {
                break;
            }
            if (!skip(", ")) {
                return fault("', ' or ']'");
            }
        }
    }
    if (!skip(frameLineEnd) || p != end) {
        return fault("\"]}\" ending the line");
    }
    return {};
}

// Checks a frame line (without its separator) against what ResultWriter
// writes for the values it holds. Returns the fault, empty when there is none.
std::string checkFrameLine(std::string_view line, std::int64_t& frame, std::size_t& pointCount)
{
    if (line.substr(0, frameStart.size()) != frameStart) {
        return "it does not start as a frame line";
    }
    const std::size_t points = line.find(pointsStart);
    if (points == std::string_view::npos) {
        return "it has no point list";
    }
    // The fields before the points are few and short: read them as JSON and
    // write them again, which must give the same bytes.
    const std::size_t object = line.find('{');
    json fields;
    try {
        // Two levels (the object and its error list) are all a frame line has.
        fields = parseStrictJson(std::string(line.substr(object, points - object)) + "}", 2);
    } catch (const RigFileError&) {
        return "its frame, status, statusName and errors are not JSON";
    }
    const auto isInt32 = [](const json& value) {
        return value.is_number_integer() && value >= std::numeric_limits<std::int32_t>::min() &&
               value <= std::numeric_limits<std::int32_t>::max();
    };
    // Scene frame numbers stay far from the ends of 64 bits, so a reader's
    // arithmetic on them (the next frame's number) cannot overflow.
    const auto isFrameNumber = [](const json& value) {
        constexpr std::int64_t limit = std::int64_t{1} << 62;
        return value.is_number_integer() && value >= -limit && value <= limit;
    };
    bool laidOut = fields.is_object() && fields.size() == 4 && fields.contains("frame") &&
                   isFrameNumber(fields["frame"]) && fields.contains("status") && isInt32(fields["status"]) &&
                   fields.contains("errors") && fields["errors"].is_array();
    for (const json& error : laidOut ? fields["errors"] : json::array()) {
        laidOut = laidOut && error.is_string();
    }
    if (laidOut) {
        frame = fields["frame"].get<std::int64_t>();
        const std::string start =
            formatFrameLineStart(frame, static_cast<RgStatus>(fields["status"].get<std::int32_t>()),
                                 fields["errors"].get<std::vector<std::string>>());
        laidOut = line.substr(0, points + pointsStart.size()) == start;
    }
    if (!laidOut) {
        return "its frame, status, statusName and errors are not written as rghost writes them";
    }
    return checkPointList(line, points + pointsStart.size(), pointCount);
}

} // namespace

ResultReader::ResultReader(std::istream& in, std::string name) : in_(in), name_(std::move(name))
{
    // Four lines, of which only the node's name varies.
    const std::string_view nodeStart = "  \"node\": ";
    std::string head;
    for (int line = 0; line < 4 && readLine(); ++line) {
        head += line_ + '\n';
        if (line == 2 && line_.rfind(nodeStart, 0) == 0 && line_.back() == ',') {
            const json node =
                json::parse(line_.substr(nodeStart.size(), line_.size() - nodeStart.size() - 1), nullptr, false);
            node_ = node.is_string() ? node.get<std::string>() : std::string();
        }
    }
    if (head != formatResultHead(node_)) {
        fail("does not start as rghost's result files (rg-result/1) do");
    }
}

bool ResultReader::next()
{
    if (ended_) {
        return false;
    }
    if (!more_) {
        readTail();
        return false;
    }
    if (!readLine()) {
        fail("is cut short: it ends after " + lastFrameText() + " without the file's tail");
    }
    if (framesRead_ == 0 && line_.empty()) {
        // No frame: the tail follows the head.
        more_ = false;
        readTail();
        return false;
    }
    more_ = !line_.empty() && line_.back() == ',';
    lineLength_ = line_.size() - (more_ ? 1 : 0);
    const std::int64_t previous = frame_;
    std::int64_t frame = 0;
    const std::string fault = checkFrameLine(line(), frame, pointCount_);
    if (!fault.empty()) {
        std::int64_t number = 0;
        const bool numbered =
            line().substr(0, frameStart.size()) == frameStart &&
            std::from_chars(line_.data() + frameStart.size(), line_.data() + lineLength_, number).ec == std::errc();
        const std::string which = numbered           ? "frame " + std::to_string(number)
                                  : framesRead_ == 0 ? "the first frame"
                                                     : "the frame after frame " + std::to_string(previous);
        fail(which + " (line " + std::to_string(lineNumber_) + ") is corrupt: " + fault);
    }
    frame_ = frame;
    ++framesRead_;
    return true;
}

void ResultReader::fail(const std::string& problem) const
{
    throw std::invalid_argument(name_ + ": " + problem);
}

// The next line, without its newline; false at the end of the file and for a
// last line without a newline (a file cut short).
bool ResultReader::readLine()
{
    ++lineNumber_;
    return std::getline(in_, line_) && !in_.eof();
}

std::string ResultReader::lastFrameText() const
{
    return framesRead_ == 0 ? "its head" : "frame " + std::to_string(frame_);
}

void ResultReader::readTail()
{
    for (const std::string_view expected : {"  ]", "}"}) {
        if (!readLine()) {
            fail("is cut short: it ends after " + lastFrameText() + " without the file's tail");
        }
        if (line_ != expected) {
            fail("line " + std::to_string(lineNumber_) + ", after " + lastFrameText() +
                 ", is neither a frame nor the file's tail");
        }
    }
    if (in_.peek() != std::char_traits<char>::eof()) {
        fail("holds more after the file's tail (line " + std::to_string(lineNumber_ + 1) + ")");
    }
    ended_ = true;
}

} // namespace rghost
