#include "io/ResultWriter.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include <nlohmann/json.hpp>
#include <tbb/parallel_for.h>

#include "core/FinitePoints.h"
#include "io/ShortestNumber.h"

namespace rghost {

namespace {

// Points a piece of a frame holds: large enough that formatting a piece
// outweighs handing it to another thread, small enough to spread a frame of a
// few thousand points over the cores.
constexpr std::size_t pointsPerPiece = 2048;

// The most characters one point takes: ", [" three numbers, two ", " and "]".
constexpr std::size_t maxPointLength = 3 + 3 * maxShortestNumberLength + 2 * 2 + 1;

std::string jsonString(const std::string& text)
{
    // Error lines are the node's bytes; a line that is not UTF-8 still gets written.
    return nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

// JSON readers take "-0" for the integer 0: negative zero keeps its sign as "-0.0".
char* writeNumber(char* out, double value)
{
    if (value == 0.0 && std::signbit(value)) {
        constexpr std::string_view negativeZero = "-0.0";
        return std::copy(negativeZero.begin(), negativeZero.end(), out);
    }
    return writeShortestNumber(out, value);
}

// Points [first, last) of `points` as they follow one another in the list,
// written into `buffer`, which only grows (so it is not cleared frame after
// frame); returns the length of the text.
std::size_t formatPoints(std::string& buffer, const std::vector<Imath::V3d>& points, std::size_t first,
                         std::size_t last)
{
    buffer.resize(std::max(buffer.size(), (last - first) * maxPointLength));
    char* out = buffer.data();
    for (std::size_t i = first; i < last; ++i) {
        if (i != 0) {
            *out++ = ',';
            *out++ = ' ';
        }
        *out++ = '[';
        for (int axis = 0; axis < 3; ++axis) {
            if (axis != 0) {
                *out++ = ',';
                *out++ = ' ';
            }
            out = writeNumber(out, points[i][axis]);
        }
        *out++ = ']';
    }
    return static_cast<std::size_t>(out - buffer.data());
}

} // namespace

std::string formatResultHead(const std::string& nodeName)
{
    return "{\n  \"format\": \"rg-result/1\",\n  \"node\": " + jsonString(nodeName) + ",\n  \"frames\": [\n";
}

std::string formatFrameLineStart(std::int64_t frame, RgStatus status, const std::vector<std::string>& errors)
{
    std::string text = "    {\"frame\": " + std::to_string(frame) +
                       ", \"status\": " + std::to_string(static_cast<std::int32_t>(status)) +
                       ", \"statusName\": " + jsonString(statusName(status)) + ", \"errors\": [";
    for (std::size_t i = 0; i < errors.size(); ++i) {
        text += (i == 0 ? "" : ", ") + jsonString(errors[i]);
    }
    return text + "], \"points\": [";
}

ResultWriter::ResultWriter(const std::string& path, const std::string& nodeName) : file_(path)
{
    file_.write(formatResultHead(nodeName));
}

ResultWriter::~ResultWriter()
{
    try {
        writing_.wait();
    } catch (...) {
        // An abandoned file: what went wrong writing it no longer matters.
    }
}

void ResultWriter::frame(const FrameResult& frame)
{
    const std::size_t vertex = firstNonFinitePoint(frame.points);
    if (vertex != frame.points.size()) {
        throw std::invalid_argument("frame " + std::to_string(frame.frame) + ": " +
                                    describeNonFinitePoint(frame.points, vertex) +
                                    "; a result file holds finite numbers only");
    }
    writing_.wait();
    pending_ = frame;
    writing_.run([this] { writePendingFrame(); });
}

void ResultWriter::frameLine(std::string_view line)
{
    writing_.wait();
    startFrameLine();
    file_.write(line);
}

void ResultWriter::close()
{
    writing_.wait();
    file_.write(resultTail);
    file_.commit();
}

void ResultWriter::writePendingFrame()
{
    const std::size_t count = pending_.points.size();
    const std::size_t pieceCount = (count + pointsPerPiece - 1) / pointsPerPiece;
    pieces_.resize(std::max(pieces_.size(), pieceCount));
    const auto formatPiece = [&](std::size_t piece) {
        Piece& formatted = pieces_[piece];
        formatted.length = formatPoints(formatted.buffer, pending_.points, piece * pointsPerPiece,
                                        std::min(count, (piece + 1) * pointsPerPiece));
    };
    if (pieceCount > 1) {
        tbb::parallel_for(std::size_t{0}, pieceCount, formatPiece);
    } else if (pieceCount == 1) {
        formatPiece(0);
    }
    startFrameLine();
    file_.write(formatFrameLineStart(pending_.frame, pending_.status, pending_.errors));
    for (std::size_t piece = 0; piece < pieceCount; ++piece) {
        file_.write(std::string_view(pieces_[piece].buffer).substr(0, pieces_[piece].length));
    }
    file_.write(frameLineEnd);
}

void ResultWriter::startFrameLine()
{
    if (!empty_) {
        file_.write(frameLineSeparator);
    }
    empty_ = false;
}

} // namespace rghost
