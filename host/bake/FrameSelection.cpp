#include "bake/FrameSelection.h"

#include <algorithm>
#include <charconv>
#include <stdexcept>
#include <string>

namespace rghost {

namespace {

bool parseFrameNumber(std::string_view text, std::int64_t& number)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

std::string describe(const SceneFrames& frames)
{
    return frames.first == frames.last ? "frame " + std::to_string(frames.first)
                                       : "frames " + std::to_string(frames.first) + "-" + std::to_string(frames.last);
}

} // namespace

SceneFrames parseSceneFrames(std::string_view text)
{
    const std::size_t colon = text.find(':');
    SceneFrames frames;
    const bool parsed = colon == std::string_view::npos
                            ? parseFrameNumber(text, frames.first) && parseFrameNumber(text, frames.last)
                            : parseFrameNumber(text.substr(0, colon), frames.first) &&
                                  parseFrameNumber(text.substr(colon + 1), frames.last);
    if (!parsed) {
        throw std::invalid_argument("expected a frame number or FIRST:LAST (scene frame numbers), got '" +
                                    std::string(text) + "'");
    }
    if (frames.first > frames.last) {
        throw std::invalid_argument(std::to_string(frames.first) + ":" + std::to_string(frames.last) +
                                    " ends before it starts");
    }
    return frames;
}

FramePlan planFrames(const Rig& rig, const std::optional<SceneFrames>& frames,
                     const std::optional<std::size_t>& preroll)
{
    const SceneFrames shot{sceneFrame(rig, 0), sceneFrame(rig, frameCount(rig) - 1)};
    const SceneFrames wanted = frames.value_or(shot);
    if (wanted.first > wanted.last || wanted.first < shot.first || wanted.last > shot.last) {
        throw std::invalid_argument(describe(wanted) + (wanted.first == wanted.last ? " is" : " are") +
                                    " outside the rig's " + describe(shot));
    }
    FramePlan plan;
    plan.firstRecorded = static_cast<std::size_t>(wanted.first - shot.first);
    plan.last = static_cast<std::size_t>(wanted.last - shot.first);
    plan.firstPlayed = preroll ? plan.firstRecorded - std::min(*preroll, plan.firstRecorded) : 0;
    return plan;
}

} // namespace rghost
