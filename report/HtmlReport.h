// The comparison of two texts as one self-contained HTML page (UTF-8, no outside resources): both
// texts side by side with their line numbers, the rows in the program's colours and the changed
// words of modified lines in a stronger shade, with the files, counts and options in its head.
// quorvex-cli prints it; the desktop program saves it as its report. Its words are the menus' own
// Chinese and its colours the views', so it lives beside the views and the command line, not in
// the comparison core.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "compare/Comparison.h"
#include "compare/InlineDiff.h"
#include "compare/Options.h"
#include "compare/Rows.h"

namespace report {

using compare::SideCount;
using compare::TComparison;
using compare::TCompareOptions;
using compare::TInlineDiff;
using compare::TRows;
using compare::TSideText;

// Colours laid out 0x00BBGGRR, as the settings keep them; the defaults are the program's.
struct THtmlColors {
  std::uint32_t Add = 0xF0CCA8;  // light blue
  std::uint32_t Mod = 0x6FFB8A;  // light green
  std::uint32_t Del = 0xBB77FF;  // pink
};

// The colour of the changed words on a modified line: a stronger shade of `mod`, darker on a light
// colour and lighter on a dark one (by value in HSV, as QColor's darker(135) and lighter(150)).
std::uint32_t StrongerShade(std::uint32_t mod);

// "#rrggbb".
std::string CssColor(std::uint32_t color);

struct THtmlHeader {
  std::string Name1, Name2;  // UTF-8
  std::string Time1, Time2;  // the files' times as the caller writes them; empty for none
  TCompareOptions Options;
  THtmlColors Colors;
};

// The changed parts of a modified row whose cells hold no spans yet, by its two line indexes.
using TSpansOf = std::function<TInlineDiff(std::int32_t line1, std::int32_t line2)>;

// Where a page goes, piece by piece: the page of a long comparison is long.
using TPageSink = std::function<void(std::string_view)>;

// The page of aligned rows over their two code-page texts.
void WriteHtmlReport(const THtmlHeader& header, const TRows& rows, const std::array<const TSideText*, SideCount>& texts,
                     const TSpansOf& spansOf, const TPageSink& sink);
// The page of a comparison's last run.
void WriteHtmlReport(const THtmlHeader& header, const TComparison& model, const TPageSink& sink);

// The same pages as one string.
std::string HtmlReport(const THtmlHeader& header, const TRows& rows, const std::array<const TSideText*, SideCount>& texts,
                       const TSpansOf& spansOf);
std::string HtmlReport(const THtmlHeader& header, const TComparison& model);

}  // namespace report
