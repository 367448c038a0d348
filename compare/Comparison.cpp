#include "compare/Comparison.h"

#include "diff/HashUnit.h"

namespace compare {

std::vector<std::uint32_t> LineValues(const TSideText& text, const TCompareOptions& options) {
  std::vector<std::uint32_t> values;
  values.reserve(static_cast<std::size_t>(text.Count()));
  for (std::int32_t i = 0; i < text.Count(); ++i)
    values.push_back(HashLine(text.Line(i), options.IgnoreCase, options.IgnoreBlanks));
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
  if (!engine.Execute(LineValues(a, options), LineValues(b, options))) return false;
  Changes = engine.Changes();
  Options = options;
  Present = true;
  Align(leaveOutEqual);
  return true;
}

void TComparison::Align(bool leaveOutEqual) { Rows = AlignRows(LineCounts(), Changes, leaveOutEqual); }

}  // namespace compare
