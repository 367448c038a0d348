// PowerScript comments (found by pbparse's scanner, pbparse/Lexer.h): where they are, and the
// lines of a text without them.
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
#include "pbparse/Lexer.h"

namespace compare {

using pbparse::SkipStringLiteral;
using pbparse::TByteRange;

// Finds what to leave out of a text's lines, line by line: each comment with the blanks it leaves
// behind; whether the scan stands inside "/* */" (and how deep) carries from one line to the next.
class TCommentScanner {
 public:
  // Appends the ranges of `line` to leave out, in order and disjoint.
  void Scan(std::string_view line, std::vector<TByteRange>& out);
  int Depth() const { return scanner_.Depth(); }

 private:
  pbparse::TCommentScanner scanner_;
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
