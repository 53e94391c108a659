#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>
#include <string_view>

namespace rghost {

// Reads a result file laid out as ResultWriter writes it, one frame line at a
// time, and checks every line it hands out, cheaply enough for files of
// thousands of frames: the line up to its point list must be what the writer
// writes for the values it holds, and the point list [x, y, z] triples of
// JSON numbers that read as finite doubles. Memory stays at one line.
// Every fault throws std::invalid_argument with one line that starts with
// `name` and says what is wrong and where: a file that does not start as a
// result file, a corrupt frame line (its frame, line and column), or a file
// that ends without its tail.
class ResultReader {
public:
    // Reads the head.
    ResultReader(std::istream& in, std::string name);

    const std::string& name() const { return name_; }
    const std::string& node() const { return node_; }

    // Reads the next frame line; false once the last frame is read and the
    // tail after it checked.
    bool next();

    // The frame line last read, without its separator, its frame number
    // (within ±2^62) and point count.
    std::string_view line() const { return std::string_view(line_).substr(0, lineLength_); }
    std::int64_t frame() const { return frame_; }
    std::size_t pointCount() const { return pointCount_; }

    // Throws the reader's kind of error: `name`, then `problem`.
    [[noreturn]] void fail(const std::string& problem) const;

private:
    bool readLine();
    std::string lastFrameText() const;
    void readTail();

    std::istream& in_;
    std::string name_;
    std::string node_;
    std::string line_;
    std::size_t lineLength_ = 0;
    std::size_t lineNumber_ = 0;
    std::int64_t frame_ = 0;
    std::size_t pointCount_ = 0;
    std::size_t framesRead_ = 0;
    bool more_ = true;   // the last line read ended in a separator
    bool ended_ = false; // the tail is read
};

} // namespace rghost
