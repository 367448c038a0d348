// What changed inside a modified line: the two lines are cut into tokens (compare/Tokens.h),
// the tokens compared with the line engine (TDiff on exact token ids), and the result made
// readable:
// - inside a changed string literal opposite another, the changed characters count, not the
//   whole literal;
// - an equal run no longer than the changes on both sides of it joins them (the semantic cleanup
//   of Neil Fraser's diff-match-patch), so that a rewritten line is not shown as confetti;
// - lines that share too little are no edit of one line and get no changed parts at all: their
//   likeness, 2 × the bytes of equal tokens ÷ the bytes of both lines, is below kSimilarEnough,
//   with the leading indentation counted in none of the three; nor do lines longer than
//   kMaxInlineBytes.
// The options take effect as in line comparison: under IgnoreCase A-Z match a-z, under
// IgnoreBlanks tabs and spaces take no part, under IgnoreComments neither do comments; what
// takes no part is never marked changed.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "compare/Comments.h"
#include "compare/Options.h"
#include "compare/Rows.h"

namespace compare {

constexpr double kSimilarEnough = 0.5;
// A line longer than this is not cut into tokens: opposite any other line it is changed whole,
// with no changed parts, so that one huge line costs neither minutes nor gigabytes.
constexpr std::size_t kMaxInlineBytes = std::size_t{1} << 18;

// One line as the inline comparison sees it: its text and the comment ranges the comment scanner
// found in it (TCommentMap::Line), which are read as prose, and skipped under IgnoreComments.
struct TLineView {
  std::string_view Text;
  std::span<const TByteRange> Comments;
};

struct TInlineDiff {
  double Likeness = 0;  // 1 for lines that are equal under the options
  bool Similar = false;  // Likeness >= kSimilarEnough
  // The changed parts of each line, in order (as the model's cells hold them); none unless Similar.
  std::vector<TSpan> Changed1, Changed2;
};

// Lines prepared once (tokens and their ids) for comparing many pairs of them.
class TLineMatcher {
 public:
  explicit TLineMatcher(const TCompareOptions& options);
  ~TLineMatcher();
  TLineMatcher(const TLineMatcher&) = delete;
  TLineMatcher& operator=(const TLineMatcher&) = delete;

  // Prepares a line and returns its number for the calls below. The text must outlive the matcher.
  std::size_t Add(const TLineView& line);
  // The likeness of two prepared lines, cheaper than Diff: exact from kSimilarEnough up; below
  // it, possibly a bound above the exact value.
  double Likeness(std::size_t line1, std::size_t line2);
  TInlineDiff Diff(std::size_t line1, std::size_t line2);
  // The work of the searches so far, in sequence items looked at (a bound, for budgets).
  std::uint64_t Work() const;

 private:
  struct TImpl;
  std::unique_ptr<TImpl> impl_;
};

// The changed parts of a modified row.
TInlineDiff ChangedSpans(const TLineView& line1, const TLineView& line2, const TCompareOptions& options);
// The same for two lines taken alone (their comments found as if no comment were open before).
TInlineDiff ChangedSpans(std::string_view line1, std::string_view line2, const TCompareOptions& options);

// Spans of a code-page line (bytes, in order, on character boundaries) as spans of Unicode code
// points of its decoded text (CodePageToUtf8, which gives a byte that starts no character one
// U+FFFD).
std::vector<TSpan> CodePointSpans(std::string_view line, std::span<const TSpan> spans);

}  // namespace compare
