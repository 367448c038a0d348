#include "compare/Comparison.h"

#include "compare/AlignSimilar.h"
#include "diff/HashUnit.h"

using diff::TDiff;
using diff::TLineClasses;

namespace compare {
namespace {

TCommentMap CommentsOf(const TSideText& text) {
  return TCommentMap(static_cast<std::size_t>(text.Count()),
                     [&text](std::size_t i) { return text.Line(static_cast<std::int32_t>(i)); });
}

}  // namespace

std::vector<std::uint32_t> LineValues(const TSideText& text, const TCompareOptions& options, TLineClasses& classes,
                                      const TCommentMap* comments) {
  std::vector<std::uint32_t> values;
  values.reserve(static_cast<std::size_t>(text.Count()));
  TCommentScanner scanner;
  std::vector<TByteRange> found;
  std::string cut;
  for (std::int32_t i = 0; i < text.Count(); ++i) {
    std::string_view line = text.Line(i);
    if (options.IgnoreComments) {
      std::span<const TByteRange> ranges;
      if (comments) {
        ranges = comments->Line(static_cast<std::size_t>(i));
      } else {
        found.clear();
        scanner.Scan(line, found);
        ranges = found;
      }
      line = CutRanges(line, ranges, cut);
    }
    // The text's own lines outlive the classes; a line put together in `cut` does not.
    values.push_back(line.data() == cut.data() ? classes.Of(line) : classes.OfLasting(line));
  }
  return values;
}

std::array<const TSideText*, SideCount> TComparison::Texts() const {
  std::array<const TSideText*, SideCount> t{};
  for (TSide s : AllSides) t[s] = Sides[s].get();
  return t;
}

std::array<std::int32_t, SideCount> TComparison::LineCounts() const {
  std::array<std::int32_t, SideCount> n{};
  for (TSide s : AllSides) n[s] = Sides[s] ? Sides[s]->Count() : 0;
  return n;
}

bool TComparison::Run(TDiff& engine, const TCompareOptions& options, bool leaveOutEqual) {
  static const TSideText kEmpty;
  const TSideText& a = Sides[Side1] ? *Sides[Side1] : kEmpty;
  const TSideText& b = Sides[Side2] ? *Sides[Side2] : kEmpty;
  const std::array<const TSideText*, SideCount> texts{&a, &b};
  std::array<TCommentMap, SideCount> comments;
  if (options.IgnoreComments || options.AlignSimilar)
    for (TSide s : AllSides) comments[s] = CommentsOf(*texts[s]);
  {
    // The classes' table is let go before the rows are built.
    TLineClasses classes(options.IgnoreCase, options.IgnoreBlanks);
    const std::vector<std::uint32_t> values1 = LineValues(a, options, classes, &comments[Side1]);
    const std::vector<std::uint32_t> values2 = LineValues(b, options, classes, &comments[Side2]);
    classes = TLineClasses();
    if (!engine.Execute(values1, values2)) return false;
  }
  Changes = engine.Changes();
  Options = options;
  Comments = std::move(comments);
  if (options.AlignSimilar) {
    auto lineAt = [&](TSide s) {
      return [&, s](std::int32_t i) {
        return TLineView{texts[s]->Line(i), Comments[s].Line(static_cast<std::size_t>(i))};
      };
    };
    Changes = AlignChanges(Changes, lineAt(Side1), lineAt(Side2), options);
  }
  Present = true;
  Align(leaveOutEqual);
  return true;
}

TLineView TComparison::LineView(TSide side, std::int32_t index) const {
  return {Text(side).Line(index), Comments[side].Line(static_cast<std::size_t>(index))};
}

void TComparison::Align(bool leaveOutEqual) {
  Rows = TRows{};  // the old rows go before the new ones are built
  Rows = AlignRows(LineCounts(), Changes, leaveOutEqual);
}

}  // namespace compare
