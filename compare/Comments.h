// PowerScript comments: where they are, and the lines of a text without them.
//
// A comment is "//" to the end of the line, or "/* ... */", which may span lines and nest.
// Comment marks inside string literals ("..." or '...', "~" escaping the next character) are
// text. A string literal ends at the end of its line at the latest, so a stray quote cannot hide
// the comments of the lines after it. The export header lines ($PBExportHeader$,
// $PBExportComments$, also in the HEXASCII form) are data, not code: they hold no comments.
//
// What is left out of a line is the comment and the blanks it leaves behind: before a comment
// that ends the line (so "x = 1 // old" becomes "x = 1", and a line holding only a comment
// becomes empty), or after a comment in the middle of a line that has blanks before it (so
// "x = 1 /* a */ + 2" becomes "x = 1 + 2").
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "compare/Options.h"

namespace compare {

// Bytes [Start, End) of a code-page line.
struct TByteRange {
  std::uint32_t Start = 0, End = 0;
  friend bool operator==(const TByteRange&, const TByteRange&) = default;
};

// The end of the string literal whose opening quote stands at `quote`: just after its closing
// quote, or the end of `line` when it is not closed there.
std::size_t SkipStringLiteral(std::string_view line, std::size_t quote);

// Finds the comments of a text line by line; whether the scan stands inside "/* */" (and how
// deep) carries from one line to the next.
class TCommentScanner {
 public:
  // Appends the ranges of `line` to leave out, in order and disjoint.
  void Scan(std::string_view line, std::vector<TByteRange>& out);
  int Depth() const { return depth_; }

 private:
  int depth_ = 0;
};

// `line` without `ranges` (in order, disjoint, inside the line): a view of `line` itself when
// only its end goes, otherwise a view of `storage`, which receives the rest.
std::string_view CutRanges(std::string_view line, std::span<const TByteRange> ranges, std::string& storage);

// The ranges to leave out of every line of a text, held flat (one offset per line).
class TCommentMap {
 public:
  using TLineAt = std::function<std::string_view(std::size_t)>;

  TCommentMap() = default;
  TCommentMap(std::size_t lineCount, const TLineAt& line);
  explicit TCommentMap(const std::vector<std::string>& lines);

  // The ranges of line `index`; none for a line past the end.
  std::span<const TByteRange> Line(std::size_t index) const;

 private:
  std::vector<TByteRange> ranges_;
  std::vector<std::uint32_t> first_;  // per line, its first range in ranges_; then ranges_.size()
};

// A text's lines as they are compared. Most lines are views of the text given (whole, or a head
// of it); a line that lost something from its middle is a view of a copy held here. The views of
// the text given live as long as that text.
struct TComparedText {
  TComparedText() = default;
  TComparedText(TComparedText&&) = default;  // moving a deque keeps its strings where they are
  TComparedText& operator=(TComparedText&&) = default;
  TComparedText(const TComparedText&) = delete;  // a copy's views would point into the original
  TComparedText& operator=(const TComparedText&) = delete;

  std::vector<std::string_view> Lines;
  TCommentMap Comments;  // found under IgnoreComments and AlignSimilar (which reads comments as prose)
  std::deque<std::string> Cut;
};

// The lines of a text as they are compared under `options`: without their comments under
// IgnoreComments, otherwise as they are.
TComparedText ComparedLines(const std::vector<std::string>& lines, const TCompareOptions& options);

}  // namespace compare
