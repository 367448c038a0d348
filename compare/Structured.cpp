#include "compare/Structured.h"

#include "compare/Comments.h"
#include "pbparse/Sections.h"

namespace compare {
namespace {

// The kind of what `diff` left uncounted, or content when it found changes.
std::uint8_t KindOf(const pbparse::TStructuredDiff& diff) {
  if (!diff.Structured || !diff.Same) return ckContent;
  std::uint8_t kind = 0;
  if (diff.Ignored & pbparse::dfOrder) kind |= ckOrder;
  if (diff.Ignored & pbparse::dfPosition) kind |= ckPosition;
  if (diff.Ignored & pbparse::dfDefaults) kind |= ckDefaults;
  return kind ? kind : static_cast<std::uint8_t>(ckLayout);
}

}  // namespace

std::string ChangeKindText(std::uint8_t kind) {
  if (kind & ckContent) return "content";
  std::string text;
  for (auto [flag, name] : {std::pair{ckOrder, "order"}, {ckPosition, "position"}, {ckDefaults, "defaults"},
                            {ckLayout, "layout"}, {ckBlankLines, "blank lines"}})
    if (kind & flag) text += (text.empty() ? "" : "+") + std::string(name);
  return text;
}

pbparse::TCompareRules StructureRules(const TCompareOptions& options, bool explain) {
  pbparse::TCompareRules rules;
  rules.IgnoreCase = options.IgnoreCase;
  rules.IgnoreBlanks = options.IgnoreBlanks;
  rules.IgnorePosition = explain || options.IgnorePosition;
  rules.IgnoreDefaults = explain || options.IgnoreDefaults;
  rules.Defaults = options.Defaults;
  return rules;
}

bool UsesStructure(const TCompareOptions& options) {
  return options.BySection || options.IgnorePosition || options.IgnoreDefaults;
}

std::vector<std::string> StructureLines(const std::vector<std::string>& lines, const pbparse::TStructure& structure,
                                        const TCompareOptions& options) {
  if (!options.IgnoreComments || structure.Type != pbparse::TTextType::Script) return lines;
  const TComparedText text = ComparedLines(lines, options);
  return std::vector<std::string>(text.Lines.begin(), text.Lines.end());
}

pbparse::TSectionView SectionView(const std::vector<std::string>& lines1, const std::vector<std::string>& lines2,
                                  std::string_view name1, std::string_view name2, const TCompareOptions& options) {
  const pbparse::TCompareRules rules = StructureRules(options);
  if (!options.IgnoreComments) return pbparse::BuildSectionView(lines1, lines2, name1, name2, rules);
  const std::vector<std::string> compared1 = StructureLines(lines1, pbparse::ParseStructure(lines1, name1), options);
  const std::vector<std::string> compared2 = StructureLines(lines2, pbparse::ParseStructure(lines2, name2), options);
  return pbparse::BuildSectionView(lines1, lines2, name1, name2, rules, &compared1, &compared2);
}

std::optional<bool> CheckByStructure(const std::vector<std::string>& lines1, const std::vector<std::string>& lines2,
                                     const TCompareOptions& options, TChangeNote* note) {
  if (note) *note = {};
  if (lines1 == lines2) return std::nullopt;
  const pbparse::TStructure s1 = pbparse::ParseStructure(lines1), s2 = pbparse::ParseStructure(lines2);
  const std::vector<std::string> compared1 = StructureLines(lines1, s1, options);
  const std::vector<std::string> compared2 = StructureLines(lines2, s2, options);
  const pbparse::TStructuredDiff all =
      pbparse::CompareStructures(s1, compared1, s2, compared2, StructureRules(options, true));
  if (note) note->Kind = KindOf(all);
  const bool dataWindows = s1.Type == pbparse::TTextType::DataWindow && s2.Type == pbparse::TTextType::DataWindow;
  if (!all.Structured || !(options.BySection || (dataWindows && UsesStructure(options)))) return std::nullopt;

  const pbparse::TStructuredDiff diff = pbparse::CompareStructures(s1, compared1, s2, compared2, StructureRules(options));
  const bool same = diff.Same && (options.BySection || !(diff.Ignored & pbparse::dfOrder));
  if (note) {
    note->ByStructure = true;
    if (same) note->Kind = KindOf(diff);
  }
  return same;
}

TRows SectionRowsOf(const pbparse::TSectionView& view, const std::array<std::int32_t, SideCount>& lineCounts) {
  TRows out;
  out.Counts.Count1 = lineCounts[Side1];
  out.Counts.Count2 = lineCounts[Side2];
  out.Rows.reserve(view.Rows.size());
  std::array<std::int32_t, SideCount> next{0, 0};
  for (const pbparse::TSectionRow& r : view.Rows) {
    TRow row;
    const std::array<std::int32_t, SideCount> lines{r.Line1, r.Line2};
    for (TSide s : AllSides) {
      row.Cells[s] = lines[s] >= 0 ? TCell{lines[s], -1} : TCell::Filler(next[s]);
      if (lines[s] >= 0) next[s] = lines[s] + 1;
    }
    if (r.Ignored && (r.Line1 < 0 || r.Line2 < 0)) {
      ++out.IgnoredLeftOut;
      continue;
    }
    const bool moved = r.Pair >= 0 && static_cast<std::size_t>(r.Pair) < view.Diff.Pairs.size() &&
                       view.Diff.Pairs[static_cast<std::size_t>(r.Pair)].Status == pbparse::TSectionStatus::Moved;
    row.InMovedSection = moved;
    if (r.Ignored || r.Kind == 0) {
      row.Kind = moved ? TRowKind::Moved : TRowKind::Equal;
    } else {
      row.Kind = r.Kind == 1 ? TRowKind::Added : r.Kind == 2 ? TRowKind::Deleted : TRowKind::Modified;
      ++(row.Kind == TRowKind::Added ? out.Counts.Added : row.Kind == TRowKind::Deleted ? out.Counts.Deleted
                                                                                        : out.Counts.Changed);
    }
    out.Rows.push_back(row);
  }
  out.Blocks = FindBlocks(out.Count(), [&out](std::int32_t i) { return out.Rows[static_cast<std::size_t>(i)].Kind; });
  return out;
}

}  // namespace compare
