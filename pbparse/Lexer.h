// The lexical rules of PowerScript that every reader of a script shares: string literals and
// comments.
//
// A comment is "//" to the end of the line, or "/* ... */", which may span lines and nest.
// Comment marks inside string literals ("..." or '...', "~" escaping the next character) are
// text. A string literal ends at the end of its line at the latest, so a stray quote cannot hide
// the comments of the lines after it. The export header lines ($PBExportHeader$,
// $PBExportComments$, also in the HEXASCII form) are data, not code: they hold no comments.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace pbparse {

// Bytes [Start, End) of a code-page line.
struct TByteRange {
  std::uint32_t Start = 0, End = 0;
  friend bool operator==(const TByteRange&, const TByteRange&) = default;
};

// The end of the string literal whose opening quote stands at `quote`: just after its closing
// quote, or the end of `line` when it is not closed there.
std::size_t SkipStringLiteral(std::string_view line, std::size_t quote);

// Whether a line is one of the export header's ($PBExport..., HA$PBExport...).
bool IsExportHeader(std::string_view line);

// Finds the comments of a text line by line; whether the scan stands inside "/* */" (and how
// deep) carries from one line to the next.
class TCommentScanner {
 public:
  // Appends the comments of `line`, in order and disjoint: each "//" or "/* */" comment, and the
  // part of a block comment that this line holds.
  void Scan(std::string_view line, std::vector<TByteRange>& out);
  // Scans a line only for whether the next one starts inside a block comment.
  void Skip(std::string_view line);
  // How deep inside "/* */" the scan stands: 0 outside any block comment.
  int Depth() const { return depth_; }

 private:
  int depth_ = 0;
};

}  // namespace pbparse
