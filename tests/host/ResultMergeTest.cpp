#include <filesystem>
#include <sstream>

#include <gtest/gtest.h>

#include "HostTestSupport.h"
#include "bake/ResultMerge.h"
#include "io/ResultReader.h"
#include "io/ResultWriter.h"

namespace {

// Frame `frame` with `pointCount` points that differ from frame to frame.
rghost::FrameResult frameWith(std::int64_t frame, std::size_t pointCount = 2)
{
    rghost::FrameResult result;
    result.frame = frame;
    for (std::size_t i = 0; i < pointCount; ++i) {
        result.points.emplace_back(frame + 0.25, 1.0 / (i + 3.0), -2.5e-9 * i);
    }
    return result;
}

std::string writeFrames(const std::string& path, const std::vector<rghost::FrameResult>& frames,
                        const std::string& node = "eyeRig1")
{
    rghost::ResultWriter writer(path, node);
    for (const rghost::FrameResult& frame : frames) {
        writer.frame(frame);
    }
    writer.close();
    return hosttest::readTextFile(path);
}

// The message ResultReader gives for `text`, empty when it reads every frame.
std::string readingFault(const std::string& text)
{
    std::istringstream in(text);
    try {
        rghost::ResultReader reader(in, "chunk.json");
        while (reader.next()) {
        }
    } catch (const std::invalid_argument& error) {
        return error.what();
    }
    return {};
}

std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    const std::size_t at = text.find(from);
    return at == std::string::npos ? "(not found: " + from + ")" : text.replace(at, from.size(), to);
}

TEST(ResultReader, HandsOutEachLineItWroteAndNamesEveryFault)
{
    hosttest::TemporaryDirectory work;
    std::vector<rghost::FrameResult> frames = {frameWith(10), frameWith(11), frameWith(12, 3)};
    frames[1].status = RgStatus::Failure;
    frames[1].errors = {"eyeRig1: a line with \"quotes\""};
    const std::string text = writeFrames(work.file("result.json"), frames);

    std::istringstream in(text);
    rghost::ResultReader reader(in, "chunk.json");
    EXPECT_EQ(reader.node(), "eyeRig1");
    std::vector<std::int64_t> numbers;
    std::vector<std::size_t> counts;
    std::string rewritten = rghost::formatResultHead(reader.node());
    while (reader.next()) {
        numbers.push_back(reader.frame());
        counts.push_back(reader.pointCount());
        rewritten += std::string(numbers.size() == 1 ? "" : rghost::frameLineSeparator) + std::string(reader.line());
    }
    EXPECT_EQ(numbers, (std::vector<std::int64_t>{10, 11, 12}));
    EXPECT_EQ(counts, (std::vector<std::size_t>{2, 2, 3}));
    EXPECT_EQ(rewritten + std::string(rghost::resultTail), text);
    EXPECT_EQ(readingFault(writeFrames(work.file("empty.json"), {})), "");

    const std::string cut = text.substr(0, text.find("    {\"frame\": 12"));
    const struct {
        std::string text;
        std::string fault;
    } faults[] = {
        {replaced(text, "11.25, 0.3", "11.2x5, 0.3"),
         "chunk.json: frame 11 (line 6) is corrupt: column 120 (point 0): expected ', '"},
        {replaced(text, "[12.25, 0.3333333333333333, -0.0], ", "[12.25, 0.3333333333333333], "),
         "chunk.json: frame 12 (line 7) is corrupt: column 108 (point 0): expected ', '"},
        {replaced(text, "10.25", "1e999"), "chunk.json: frame 10 (line 5) is corrupt: column 83 (point 0): expected a "
                                           "number that reads as a finite double"},
        {replaced(text, "10.25", "null"), "chunk.json: frame 10 (line 5) is corrupt: column 83 (point 0): expected a "
                                          "number that reads as a finite double"},
        {replaced(text, "\"Failure\"", "\"Success\""),
         "chunk.json: frame 11 (line 6) is corrupt: its frame, status, statusName and errors are not written as "
         "rghost writes them"},
        {replaced(text, "\"frame\": 11", "\"frame\": x"),
         "chunk.json: the frame after frame 10 (line 6) is corrupt: its frame, status, statusName and errors are not "
         "JSON"},
        {cut, "chunk.json: is cut short: it ends after frame 11 without the file's tail"},
        {text.substr(0, text.size() - 1), "chunk.json: is cut short: it ends after frame 12 without the file's tail"},
        {text + "{}\n", "chunk.json: holds more after the file's tail (line 10)"},
        {replaced(text, "rg-result/1", "rg-result/2"), "chunk.json: does not start as rghost's result files "
                                                       "(rg-result/1) do"},
        {"", "chunk.json: does not start as rghost's result files (rg-result/1) do"},
    };
    for (const auto& c : faults) {
        EXPECT_EQ(readingFault(c.text), c.fault);
    }
}

class ResultMerge : public ::testing::Test {
protected:
    std::string chunk(const std::string& name, std::int64_t first, std::int64_t last, std::size_t pointCount = 2)
    {
        std::vector<rghost::FrameResult> frames;
        for (std::int64_t frame = first; frame <= last; ++frame) {
            frames.push_back(frameWith(frame, pointCount));
        }
        writeFrames(work.file(name), frames);
        return work.file(name);
    }

    // The message merge gives, empty when it merged.
    std::string mergeFault(const std::vector<std::string>& chunks, const std::string& output)
    {
        try {
            rghost::mergeResultFiles(chunks, output);
        } catch (const std::invalid_argument& error) {
            return error.what();
        }
        return {};
    }

    hosttest::TemporaryDirectory work;
};

TEST_F(ResultMerge, JoinsChunksInAnyOrderIntoTheWholeRunsBytes)
{
    const std::string whole = chunk("whole.json", 1001, 1006);
    const std::string merged = work.file("merged.json");
    EXPECT_EQ(
        mergeFault({chunk("c.json", 1005, 1006), chunk("a.json", 1001, 1001), chunk("b.json", 1002, 1004)}, merged),
        "");
    EXPECT_EQ(hosttest::readTextFile(merged), hosttest::readTextFile(whole));
}

TEST_F(ResultMerge, RefusesWhatDoesNotFitNamingTheChunkAndTheFault)
{
    const std::string a = chunk("a.json", 0, 1);
    const std::string b = chunk("b.json", 2, 3);
    const std::string wider = chunk("wider.json", 2, 3, 3);
    const std::string late = chunk("late.json", 5, 6);
    const std::string out = work.file("out.json");
    const std::string bText = hosttest::readTextFile(b);
    hosttest::writeTextFile(work.file("cut.json"), bText.substr(0, bText.size() - 5));
    hosttest::writeTextFile(work.file("corrupt.json"), replaced(bText, "3.25", "3.2x5"));
    std::filesystem::create_symlink("a.json", work.file("link.json"));

    const struct {
        std::vector<std::string> chunks;
        std::string output;
        std::string fault;
    } refusals[] = {
        {{a, b}, a, "cannot write " + a + ": it is one of the result files being merged"},
        {{a, b},
         work.file("link.json"),
         "cannot write " + work.file("link.json") + ": it is one of the result files being merged"},
        {{a, wider}, out, wider + ": frame 2 has 3 points, frame 0 of " + a + " 2"},
        {{a, late}, out, late + ": frames 2-4 are missing between " + a + " (frames 0-1) and this chunk"},
        {{a, b, chunk("again.json", 3, 4)},
         out,
         work.file("again.json") + ": starts at frame 3, within " + b + " (frames 2-3)"},
        {{a, work.file("cut.json")},
         out,
         work.file("cut.json") + ": is cut short: it ends after frame 3 without "
                                 "the file's tail"},
        {{a, work.file("corrupt.json")}, out, work.file("corrupt.json") + ": frame 3 (line 6) is corrupt: column 85"},
        {{a, work.file("missing.json")}, out, work.file("missing.json") + ": cannot read the file"},
        {{}, out, "no result files to merge"},
    };
    for (const auto& refusal : refusals) {
        const std::string fault = mergeFault(refusal.chunks, refusal.output);
        EXPECT_EQ(fault.substr(0, refusal.fault.size()), refusal.fault);
        EXPECT_FALSE(std::filesystem::exists(out)) << fault;
    }
    EXPECT_EQ(hosttest::readTextFile(a), hosttest::readTextFile(chunk("a.json", 0, 1)));
}

} // namespace
