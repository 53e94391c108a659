#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <tbb/task_group.h>

#include "core/RigRunner.h"
#include "io/AtomicFile.h"

namespace rghost {

// Streams a result file (rg-result/1) frame by frame, without building the
// document in memory. The layout is fixed, one frame a line:
//
//   {
//     "format": "rg-result/1",
//     "node": "eyeRig1",
//     "frames": [
//       {"frame": 0, "status": 0, "statusName": "Success", "errors": [], "points": [[x, y, z], ...]},
//       {"frame": 1, ...}
//     ]
//   }
//
// Every coordinate is the shortest text that reads back as the same double.
// A frame is formatted and written by a task of its own while the caller
// goes on (a bake deforms the next frame meanwhile); the writer's next call
// waits for it and throws what writing it threw. The file is an AtomicFile:
// it appears when close() puts it in place, and a writer destroyed before
// that leaves nothing behind.
class ResultWriter {
public:
    // Opens `path` ("-" is standard output) and writes the head; throws
    // std::runtime_error naming the path when it cannot be written.
    ResultWriter(const std::string& path, const std::string& nodeName);
    ~ResultWriter();
    ResultWriter(const ResultWriter&) = delete;
    ResultWriter& operator=(const ResultWriter&) = delete;

    const std::string& path() const { return file_.path(); }

    // Appends a copy of `frame`. A point that is not finite (JSON holds
    // numbers only) throws std::invalid_argument naming the frame and the
    // vertex, and nothing of the frame is written.
    void frame(const FrameResult& frame);

    // Appends a frame line in this layout that a ResultReader has checked,
    // without its separator.
    void frameLine(std::string_view line);

    // Writes the tail and puts the file in place.
    void close();

private:
    // Text of a run of points: the first `length` characters of `buffer`.
    struct Piece {
        std::string buffer;
        std::size_t length = 0;
    };

    void writePendingFrame();
    void startFrameLine();

    AtomicFile file_;
    FrameResult pending_;       // the frame the task writes
    std::vector<Piece> pieces_; // its points, formatted in parallel pieces
    bool empty_ = true;
    tbb::task_group writing_;
};

// The pieces of the layout that readers compare against: the head up to the
// first frame, the start of a frame line up to its point list, the line's
// end, the separator between frame lines and the tail after the last.
std::string formatResultHead(const std::string& nodeName);
std::string formatFrameLineStart(std::int64_t frame, RgStatus status, const std::vector<std::string>& errors);
inline constexpr std::string_view frameLineEnd = "]}";
inline constexpr std::string_view frameLineSeparator = ",\n";
inline constexpr std::string_view resultTail = "\n  ]\n}\n";

} // namespace rghost
