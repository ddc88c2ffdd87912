// "Did you mean": the known name closest to a misspelled one.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace hivewarden::cli {

// The name of `names` that `given` most likely meant: the closest by edits (insertions,
// deletions, substitutions and swaps of two neighbours, letter case ignored) when it is close
// enough to be a slip (at most 2 edits, and fewer than half the name), else the one name
// `given` starts. Empty text when none is.
std::string ClosestName(std::string_view given, const std::vector<std::string>& names);

}  // namespace hivewarden::cli
