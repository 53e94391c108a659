#include "bake/ResultMerge.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>

#include "io/AtomicFile.h"
#include "io/ResultReader.h"
#include "io/ResultWriter.h"

namespace rghost {

namespace {

// A result file opened for reading.
class Chunk {
public:
    explicit Chunk(const std::string& path) : in_(path, std::ios::binary), reader_(openedOrThrow(path), path) {}

    ResultReader& reader() { return reader_; }

private:
    std::istream& openedOrThrow(const std::string& path)
    {
        if (!in_) {
            throw std::invalid_argument(path + ": cannot read the file");
        }
        return in_;
    }

    std::ifstream in_;
    ResultReader reader_;
};

// What a chunk's first frame shows of it.
struct ChunkStart {
    std::string path;
    std::string node;
    std::int64_t first = 0;
    std::size_t pointCount = 0;
};

ChunkStart readChunkStart(const std::string& path)
{
    Chunk chunk(path);
    ResultReader& reader = chunk.reader();
    if (!reader.next()) {
        reader.fail("holds no frame");
    }
    return {path, reader.node(), reader.frame(), reader.pointCount()};
}

// Every frame of every chunk holds as many points as the first.
void refuseOtherPointCount(const std::string& path, std::int64_t frame, std::size_t pointCount, const ChunkStart& first)
{
    if (pointCount != first.pointCount) {
        throw std::invalid_argument(path + ": frame " + std::to_string(frame) + " has " + std::to_string(pointCount) +
                                    " points, frame " + std::to_string(first.first) + " of " + first.path + " " +
                                    std::to_string(first.pointCount));
    }
}

std::string frames(std::int64_t first, std::int64_t last)
{
    return first == last ? "frame " + std::to_string(first)
                         : "frames " + std::to_string(first) + "-" + std::to_string(last);
}

} // namespace

void mergeResultFiles(const std::vector<std::string>& chunkPaths, const std::string& output)
{
    if (chunkPaths.empty()) {
        throw std::invalid_argument("no result files to merge");
    }
    for (const std::string& path : chunkPaths) {
        if (writingReplaces(output, path)) {
            throw std::invalid_argument("cannot write " + output + ": it is one of the result files being merged");
        }
    }
    std::vector<ChunkStart> chunks;
    for (const std::string& path : chunkPaths) {
        chunks.push_back(readChunkStart(path));
        const ChunkStart& chunk = chunks.back();
        const ChunkStart& front = chunks.front();
        if (chunk.node != front.node) {
            throw std::invalid_argument(chunk.path + ": comes from node '" + chunk.node + "', not '" + front.node +
                                        "' as " + front.path + " does");
        }
        refuseOtherPointCount(chunk.path, chunk.first, chunk.pointCount, front);
    }
    std::stable_sort(chunks.begin(), chunks.end(),
                     [](const ChunkStart& a, const ChunkStart& b) { return a.first < b.first; });

    ResultWriter merged(output, chunks.front().node);
    std::int64_t last = chunks.front().first - 1;
    const ChunkStart* previous = nullptr;
    for (const ChunkStart& start : chunks) {
        if (previous != nullptr && start.first != last + 1) {
            const std::string before = previous->path + " (" + frames(previous->first, last) + ")";
            throw std::invalid_argument(
                start.path + ": " +
                (start.first <= last
                     ? "starts at frame " + std::to_string(start.first) + ", within " + before
                     : frames(last + 1, start.first - 1) + " are missing between " + before + " and this chunk"));
        }
        Chunk chunk(start.path);
        ResultReader& reader = chunk.reader();
        while (reader.next()) {
            refuseOtherPointCount(start.path, reader.frame(), reader.pointCount(), chunks.front());
            if (reader.frame() != last + 1) {
                reader.fail("frame " + std::to_string(reader.frame()) + " follows frame " + std::to_string(last));
            }
            merged.frameLine(reader.line());
            last = reader.frame();
        }
        previous = &start;
    }
    merged.close();
}

} // namespace rghost
