#include <cstdio>

#include "GeneratedHead.h"

using Imath::V3d;
using Face = std::vector<std::int32_t>;
using rigContract::eyeSideLetter;

namespace heads {

std::string formatHeadObj(const GeneratedHead& head)
{
    std::string text = "# a generated head: " + head.name + "\n";
    const auto number = [](double value) {
        char digits[32];
        std::snprintf(digits, sizeof digits, "%.17g", value);
        return std::string(digits);
    };
    const auto appendPoints = [&](const std::vector<V3d>& points) {
        for (const V3d& p : points) {
            text += "v " + number(p.x) + " " + number(p.y) + " " + number(p.z) + "\n";
        }
    };
    const auto appendFaces = [&](const std::vector<Face>& faces, std::size_t first) {
        for (const Face& face : faces) {
            text += 'f';
            for (const std::int32_t index : face) {
                text += ' ' + std::to_string(first + static_cast<std::size_t>(index) + 1);
            }
            text += '\n';
        }
    };
    const EyeballForm form = head.options.eyeballs;
    const char* partWord = form == EyeballForm::Groups ? "g " : form == EyeballForm::Objects ? "o " : nullptr;
    if (partWord) {
        text += std::string(partWord) + "head\n";
    }
    appendPoints(head.head.points);
    appendFaces(head.head.faces, 0);
    std::size_t first = head.head.points.size();
    for (const GeneratedEye& eye : head.eyes) {
        if (eye.eyeball.points.empty()) {
            continue;
        }
        if (partWord) {
            text += std::string(partWord) + "eyeball_" + eyeSideLetter(eye.side) + "\n";
        }
        appendPoints(eye.eyeball.points);
        appendFaces(eye.eyeball.faces, first);
        first += eye.eyeball.points.size();
    }
    return text;
}
} // namespace heads
