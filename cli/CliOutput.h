// The outputs of quorvex-cli diff for programs and pages: the unified difference in the files' own
// bytes, the aligned rows as JSON, the side-by-side HTML page; and the raw write they need.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>

#include "compare/Comparison.h"
#include "compare/Options.h"

namespace cli {

// The unified difference of two files (paths as given, found already) with `context` lines of
// context: the hunks are those of the lines under `options` (case, blanks, comments), the lines
// written as the files hold them. Sets `differ` when there is any hunk. Throws TUsageError when a
// file cannot be read, or when under the options its lines cannot be matched to its text (lone
// CR line breaks). A labelled side's header line holds its label alone, as GNU diff writes it.
std::string UnifiedOutput(const std::array<std::string, 2>& names, const std::array<std::string, 2>& paths,
                          const std::array<bool, 2>& labelled, const compare::TCompareOptions& options, int context,
                          bool& differ);

// The rows of a run comparison as JSON (one line per row), `names` as given, to `sink` piece by
// piece. Two-way, as the comparison is: "left" is side 1, "right" side 2.
void WriteLineJson(const std::array<std::string, 2>& names, const compare::TComparison& model,
                   const std::function<void(std::string_view)>& sink);

// Writes bytes to stdout as they are when it is not a terminal; on a terminal through the guard,
// which escapes control characters.
void WriteOut(std::string_view bytes);

}  // namespace cli
