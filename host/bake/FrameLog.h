#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "bake/Bake.h"
#include "core/RigRunner.h"

namespace rghost {

// What a command that plays frames tells the person running it, on one
// stream: every frame's error lines ("frame 12: ..."), where a run of frames
// repeating the previous frame's lines is folded into one line ("frames 13-59:
// the same error as frame 12"), and the progress: a bar redrawn in place on a
// terminal, a plain line at every tenth of the frames otherwise (farm logs).
class FrameLog {
public:
    FrameLog(std::ostream& out, bool terminal);

    void progress(std::size_t played, std::size_t toPlay);
    void frame(const FrameResult& frame);

    // Ends the bar's line and prints a fold still pending.
    void finish();

private:
    void printFold();
    void hideBar();

    std::ostream& out_;
    bool terminal_;
    std::string bar_; // the bar as last drawn, empty when none is shown
    std::size_t tenthsShown_ = 0;
    std::vector<std::string> lastErrors_;
    std::int64_t lastFrame_ = 0;
    std::int64_t firstRepeat_ = 0; // the fold is frames firstRepeat_..lastFrame_ when repeats_ > 0
    std::size_t repeats_ = 0;
};

// "[#######-------------]  7/20": `done` of `total` steps as a bar `width`
// characters wide, followed by the count.
std::string formatProgressBar(std::size_t done, std::size_t total, std::size_t width = 30);

// The most memory this process has held at once, in bytes.
std::size_t peakMemoryBytes();

// "240 frames, 0 failed; deform 0.25 s, output 3.10 s; peak memory 48 MB"
std::string formatBakeSummary(const BakeSummary& summary, std::size_t peakMemory);

} // namespace rghost
