#include "bake/FrameLog.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <limits>

namespace rghost {

FrameLog::FrameLog(std::ostream& out, bool terminal) : out_(out), terminal_(terminal) {}

void FrameLog::progress(std::size_t played, std::size_t toPlay)
{
    if (terminal_) {
        bar_ = "\r" + formatProgressBar(played, toPlay);
        out_ << bar_ << std::flush;
        return;
    }
    const std::size_t tenths = toPlay == 0 ? 10 : played * 10 / toPlay;
    if (tenths > tenthsShown_) {
        tenthsShown_ = tenths;
        out_ << "played " << played << "/" << toPlay << " frames\n" << std::flush;
    }
}

void FrameLog::frame(const FrameResult& frame)
{
    const bool repeats = !frame.errors.empty() && frame.errors == lastErrors_ && frame.frame == lastFrame_ + 1;
    if (repeats) {
        firstRepeat_ = repeats_ == 0 ? frame.frame : firstRepeat_;
        ++repeats_;
    } else {
        printFold();
        if (!frame.errors.empty()) {
            hideBar();
            for (const std::string& line : frame.errors) {
                out_ << "frame " << frame.frame << ": " << line << '\n';
            }
        }
        lastErrors_ = frame.errors;
    }
    lastFrame_ = frame.frame;
}

void FrameLog::finish()
{
    printFold();
    if (!bar_.empty()) {
        out_ << '\n';
        bar_.clear();
    }
    out_ << std::flush;
}

void FrameLog::printFold()
{
    if (repeats_ == 0) {
        return;
    }
    hideBar();
    const std::int64_t source = firstRepeat_ - 1;
    const std::size_t lines = lastErrors_.size();
    out_ << (repeats_ == 1 ? "frame " + std::to_string(firstRepeat_)
                           : "frames " + std::to_string(firstRepeat_) + "-" + std::to_string(lastFrame_))
         << ": the same " << (lines == 1 ? "error" : std::to_string(lines) + " errors") << " as frame " << source
         << '\n';
    repeats_ = 0;
}

// Clears the bar's line so a message takes it; the next progress redraws the bar.
void FrameLog::hideBar()
{
    if (!bar_.empty()) {
        out_ << '\r' << std::string(bar_.size() - 1, ' ') << '\r';
        bar_.clear();
    }
}

std::string formatProgressBar(std::size_t done, std::size_t total, std::size_t width)
{
    const std::size_t shown = std::min(done, total);
    const std::size_t filled = total == 0 ? width : shown * width / total;
    const std::string count = std::to_string(shown) + "/" + std::to_string(total);
    const std::string totalText = std::to_string(total);
    // Pad the count to its final width so the line never shrinks while redrawn.
    const std::size_t countWidth = 2 * totalText.size() + 1;
    return "[" + std::string(filled, '#') + std::string(width - filled, '-') + "] " +
           std::string(countWidth - count.size(), ' ') + count;
}

std::size_t peakMemoryBytes()
{
    // The high-water mark of this program's own memory: unlike getrusage's,
    // it starts afresh at exec, so a parent's size (Blender's, a shell's) never shows.
    std::ifstream status("/proc/self/status");
    std::string field;
    std::size_t kilobytes = 0;
    while (status >> field && field != "VmHWM:") {
        status.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
    }
    status >> kilobytes;
    return kilobytes * 1024;
}

std::string formatBakeSummary(const BakeSummary& summary, std::size_t peakMemory)
{
    char text[160];
    std::snprintf(text, sizeof text, "%zu frames, %zu failed; deform %.2f s, output %.2f s; peak memory %zu MB",
                  summary.frames, summary.failedFrames, summary.deformSeconds, summary.outputSeconds,
                  (peakMemory + (1 << 19)) >> 20);
    return text;
}

} // namespace rghost
