// Any bytes as two code-page texts (split at the first NUL): the comment filter, the tokenizer,
// the changed parts of line pairs and the alignment of similar lines keep their invariants.
#include <cstdint>
#include <string_view>

#include "compare/Comparison.h"
#include "compare/Tokens.h"
#include "platform/CodePage.h"
#include "platform/TextFile.h"

using diff::TDiff;

namespace {

// Ranges in order, disjoint, inside the line, and starting and ending on character boundaries.
template <class TRange>
void CheckRanges(std::string_view line, const std::vector<TRange>& ranges) {
  std::vector<bool> boundary(line.size() + 1, false);
  for (std::size_t i = 0; i < line.size(); i += platform::CharLength(line.substr(i))) boundary[i] = true;
  boundary[line.size()] = true;
  std::size_t at = 0;
  for (const auto& r : ranges) {
    const auto start = static_cast<std::size_t>(r.Start), end = static_cast<std::size_t>(r.End);
    if (std::int64_t{r.Start} < 0 || start < at || end <= start || end > line.size()) __builtin_trap();
    if (!boundary[start] || !boundary[end]) __builtin_trap();
    at = end;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::size_t nul = bytes.find('\0');
  std::vector<std::string> text1, text2;
  platform::SplitLines(std::string(bytes.substr(0, nul)), text1);
  platform::SplitLines(nul == std::string_view::npos ? std::string() : std::string(bytes.substr(nul + 1)), text2);

  compare::TCompareOptions options{.IgnoreCase = (size & 1) != 0, .IgnoreBlanks = (size & 2) != 0,
                                   .IgnoreComments = (size & 4) != 0, .AlignSimilar = true};
  const compare::TComparedText compared1 = compare::ComparedLines(text1, options);
  const compare::TComparedText compared2 = compare::ComparedLines(text2, options);
  const compare::TCommentMap map1(text1);
  for (std::size_t i = 0; i < text1.size(); ++i) {
    auto comments = map1.Line(i);
    CheckRanges(text1[i], std::vector<compare::TByteRange>(comments.begin(), comments.end()));
    std::uint32_t end = 0;
    for (const auto& t : compare::TokenizeLine(text1[i], comments)) {
      if (t.Start != end || t.End <= t.Start) __builtin_trap();
      end = t.End;
    }
    if (end != text1[i].size()) __builtin_trap();
  }

  auto at1 = [&](std::int32_t i) {
    return compare::TLineView{text1.at(static_cast<std::size_t>(i)), compared1.Comments.Line(static_cast<std::size_t>(i))};
  };
  auto at2 = [&](std::int32_t i) {
    return compare::TLineView{text2.at(static_cast<std::size_t>(i)), compared2.Comments.Line(static_cast<std::size_t>(i))};
  };
  for (std::size_t i = 0; i < std::min(text1.size(), text2.size()); ++i) {
    compare::TInlineDiff d = compare::ChangedSpans(at1(static_cast<std::int32_t>(i)), at2(static_cast<std::int32_t>(i)), options);
    if (!d.Similar && (!d.Changed1.empty() || !d.Changed2.empty())) __builtin_trap();
    CheckRanges(text1[i], d.Changed1);
    CheckRanges(text2[i], d.Changed2);
  }

  // The comparison with the options places every line of both texts exactly once, in order.
  compare::TComparison model;
  model.Sides[compare::Side1] = std::make_shared<compare::TSideText>(text1);
  model.Sides[compare::Side2] = std::make_shared<compare::TSideText>(text2);
  TDiff diff;
  if (!model.Run(diff, options, false)) return 0;
  std::array<std::int32_t, compare::SideCount> next{};
  for (const compare::TRow& row : model.Rows.Rows)
    for (compare::TSide s : compare::AllSides)
      if (!row.Cells[s].IsFiller() && row.Cells[s].Line != next[s]++) __builtin_trap();
  if (next != model.LineCounts()) __builtin_trap();
  return 0;
}
