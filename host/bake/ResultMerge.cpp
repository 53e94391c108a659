#include "bake/ResultMerge.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <fstream>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "io/AtomicFile.h"
#include "io/ResultFile.h"

namespace rghost {

namespace {

using nlohmann::json;

// The frame number and point count of a frame line as formatResultFrame
// writes it, found without parsing its numbers: the line starts with its
// frame number and ends with its points, after the only unescaped
// "points" key (error lines cannot hold an unescaped quote).
bool scanFrameLine(std::string_view line, std::int64_t& frame, std::size_t& pointCount)
{
    const std::string_view start = "    {\"frame\":";
    const std::string_view pointsKey = ",\"points\":[";
    const std::size_t points = line.rfind(pointsKey);
    if (line.substr(0, start.size()) != start || points == std::string_view::npos ||
        line.substr(line.size() - 2) != "]}") {
        return false;
    }
    const char* numberEnd = line.data() + line.size();
    const auto [end, error] = std::from_chars(line.data() + start.size(), numberEnd, frame);
    if (error != std::errc() || *end != ',') {
        return false;
    }
    const std::string_view list = line.substr(points + pointsKey.size(), line.size() - 2 - points - pointsKey.size());
    pointCount = list.empty() ? 0 : 1;
    for (std::size_t at = list.find("],["); at != std::string_view::npos; at = list.find("],[", at + 3)) {
        ++pointCount;
    }
    return true;
}

[[noreturn]] void failChunk(const std::string& path, const std::string& problem)
{
    throw std::invalid_argument(path + ": " + problem);
}

// The node's name as the head gives it, a JSON string; empty when it is not one.
std::string readNodeName(const std::string& text)
{
    const json name = json::parse(text, nullptr, false);
    return name.is_string() ? name.get<std::string>() : std::string();
}

// Reads a result file in the layout rghost writes, one frame a line between
// the head and the tail, a frame at a time.
class ChunkReader {
public:
    explicit ChunkReader(std::string path) : path_(std::move(path)), in_(path_, std::ios::binary)
    {
        if (!in_) {
            failChunk(path_, "cannot read the file");
        }
        // The head is four lines; the node's name is the only thing in it that varies.
        const std::string nodeStart = "  \"node\": ";
        std::string head;
        for (int line = 0; line < 4 && nextLine(); ++line) {
            head += line_ + '\n';
            if (line == 2 && line_.rfind(nodeStart, 0) == 0 && line_.back() == ',') {
                node_ = readNodeName(line_.substr(nodeStart.size(), line_.size() - nodeStart.size() - 1));
            }
        }
        if (head != formatResultHead(node_)) {
            failChunk(path_, "does not start as rghost's result files do");
        }
    }

    const std::string& path() const { return path_; }
    const std::string& node() const { return node_; }

    // The next frame's line as in the file without its separator, with its
    // frame number and point count; false after the last frame.
    bool nextFrame(std::string_view& frameLine, std::int64_t& frame, std::size_t& pointCount)
    {
        if (!more_) {
            // The tail after the last frame's line, and nothing more.
            std::string rest(resultTail.size(), '\0');
            in_.read(rest.data(), static_cast<std::streamsize>(rest.size()));
            rest.resize(static_cast<std::size_t>(in_.gcount()));
            if (rest != resultTail.substr(1)) {
                ++lineNumber_;
                failLayout();
            }
            return false;
        }
        if (!nextLine() || line_.empty()) {
            failLayout();
        }
        more_ = line_.back() == ',';
        frameLine = std::string_view(line_).substr(0, line_.size() - (more_ ? 1 : 0));
        if (!scanFrameLine(frameLine, frame, pointCount)) {
            failLayout();
        }
        return true;
    }

private:
    bool nextLine()
    {
        ++lineNumber_;
        return static_cast<bool>(std::getline(in_, line_));
    }

    [[noreturn]] void failLayout() const
    {
        failChunk(path_, "line " + std::to_string(lineNumber_) + " is not laid out as rghost writes result files");
    }

    std::string path_;
    std::ifstream in_;
    std::string node_;
    std::string line_;
    std::size_t lineNumber_ = 0;
    bool more_ = true;
};

// A chunk as its first frame shows it.
struct Chunk {
    std::string path;
    std::string node;
    std::int64_t first = 0;
    std::size_t pointCount = 0;
};

Chunk openChunk(const std::string& path)
{
    ChunkReader reader(path);
    Chunk chunk{path, reader.node()};
    std::string_view line;
    if (!reader.nextFrame(line, chunk.first, chunk.pointCount)) {
        failChunk(path, "holds no frame");
    }
    return chunk;
}

std::string frames(std::int64_t first, std::int64_t last)
{
    return "frames " + std::to_string(first) + "-" + std::to_string(last);
}

} // namespace

void mergeResultFiles(const std::vector<std::string>& chunkPaths, const std::string& output)
{
    if (chunkPaths.empty()) {
        throw std::invalid_argument("no result files to merge");
    }
    std::vector<Chunk> chunks;
    for (const std::string& path : chunkPaths) {
        chunks.push_back(openChunk(path));
        const Chunk& chunk = chunks.back();
        const Chunk& front = chunks.front();
        if (chunk.node != front.node || chunk.pointCount != front.pointCount) {
            failChunk(chunk.path, "comes from another rig than " + front.path + " (node '" + chunk.node + "' with " +
                                      std::to_string(chunk.pointCount) + " points, not '" + front.node + "' with " +
                                      std::to_string(front.pointCount) + ")");
        }
    }
    std::stable_sort(chunks.begin(), chunks.end(), [](const Chunk& a, const Chunk& b) { return a.first < b.first; });

    AtomicFile merged(output);
    merged.write(formatResultHead(chunks.front().node));
    std::int64_t last = chunks.front().first - 1;
    const Chunk* previous = nullptr;
    for (const Chunk& chunk : chunks) {
        if (previous != nullptr && chunk.first != last + 1) {
            const std::string before = previous->path + " (" + frames(previous->first, last) + ")";
            failChunk(chunk.path,
                      chunk.first <= last
                          ? "starts at frame " + std::to_string(chunk.first) + ", within " + before
                          : frames(last + 1, chunk.first - 1) + " are missing between " + before + " and this chunk");
        }
        ChunkReader reader(chunk.path);
        std::string_view line;
        std::int64_t frame = 0;
        std::size_t pointCount = 0;
        while (reader.nextFrame(line, frame, pointCount)) {
            if (frame != last + 1 || pointCount != chunk.pointCount) {
                failChunk(chunk.path, "frame " + std::to_string(frame) + " with " + std::to_string(pointCount) +
                                          " points follows frame " + std::to_string(last) + " with " +
                                          std::to_string(chunk.pointCount));
            }
            merged.write(previous == nullptr && frame == chunk.first ? std::string_view() : resultFrameSeparator);
            merged.write(line);
            last = frame;
        }
        previous = &chunk;
    }
    merged.write(resultTail);
    merged.commit();
}

} // namespace rghost
