// mergeResultFiles on arbitrary chunks (the input split at zero bytes, at most
// four): either the merged file, or one std::invalid_argument whose message is
// a single line starting with the chunk at fault, and then nothing written.
// A merged file must read as a result file: JSON with consecutive frames of
// one point count, every coordinate a finite number; merged again alone, it
// comes out byte for byte the same.

#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "FuzzContract.h"
#include "bake/ResultMerge.h"

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

const fs::path& scratchDirectory()
{
    static const fs::path directory = [] {
        std::string pattern = (fs::temp_directory_path() / "fuzz-merge-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            contractBroken("cannot make a scratch directory");
        return fs::path(pattern);
    }();
    return directory;
}

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void checkMerged(const std::string& text)
{
    const json merged = json::parse(text, nullptr, false);
    if (merged.is_discarded() || merged.value("format", "") != "rg-result/1" || !merged["node"].is_string() ||
        !merged["frames"].is_array() || merged["frames"].empty())
        contractBroken("a merged file is not a result file:\n" + text);
    const json& frames = merged["frames"];
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const json& points = frames[i]["points"];
        if (frames[i]["frame"] != frames[0]["frame"].get<std::int64_t>() + static_cast<std::int64_t>(i) ||
            points.size() != frames[0]["points"].size())
            contractBroken("merged frames do not follow on with one point count:\n" + text);
        for (const json& point : points)
            for (const json& coordinate : point)
                if (point.size() != 3 || !coordinate.is_number() || !std::isfinite(coordinate.get<double>()))
                    contractBroken("a merged point is not three finite numbers:\n" + text);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const fs::path& directory = scratchDirectory();
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> chunks;
    while (chunks.size() < 4) {
        const std::size_t end = rest.find('\0');
        chunks.push_back((directory / ("chunk" + std::to_string(chunks.size()) + ".json")).string());
        std::ofstream(chunks.back(), std::ios::binary) << rest.substr(0, end);
        if (end == std::string_view::npos)
            break;
        rest.remove_prefix(end + 1);
    }
    const fs::path output = directory / "merged.json";
    const fs::path again = directory / "again.json";
    fs::remove(output);
    try {
        rghost::mergeResultFiles(chunks, output.string());
    } catch (const std::invalid_argument& error) {
        const std::string_view message = error.what();
        bool namesChunk = false;
        for (const std::string& chunk : chunks)
            namesChunk = namesChunk || message.substr(0, chunk.size() + 2) == chunk + ": ";
        if (!namesChunk || message.find_first_of("\r\n") != std::string_view::npos)
            contractBroken("a refusal is not one line naming its chunk: " + std::string(message));
        if (fs::exists(output))
            contractBroken("a refused merge wrote its output");
        return 0;
    }
    const std::string merged = readFile(output);
    checkMerged(merged);
    rghost::mergeResultFiles({output.string()}, again.string());
    if (readFile(again) != merged)
        contractBroken("a merged file merged again alone changes");
    return 0;
}
