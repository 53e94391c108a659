#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rghost {

// The candidate `name` was most likely meant to be: the one fewest single-letter
// edits away (Levenshtein distance), if that is at most a third of `name`'s
// length (at least 1), so a short guess is not matched to an unrelated word.
// The first candidate wins a tie.
std::optional<std::string> closestName(std::string_view name, const std::vector<std::string>& candidates);

// " (did you mean '<closest>'?)", or nothing when no candidate is close.
std::string didYouMean(std::string_view name, const std::vector<std::string>& candidates);

} // namespace rghost
