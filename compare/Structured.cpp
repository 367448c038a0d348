#include "compare/Structured.h"

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
                            {ckLayout, "layout"}})
    if (kind & flag) text += (text.empty() ? "" : "+") + std::string(name);
  return text;
}

pbparse::TCompareRules StructureRules(const TCompareOptions& options, bool explain) {
  pbparse::TCompareRules rules;
  rules.IgnoreCase = options.IgnoreCase;
  rules.IgnoreBlanks = options.IgnoreBlanks;
  rules.IgnorePosition = explain || options.IgnorePosition;
  rules.IgnoreDefaults = explain || options.IgnoreDefaults;
  rules.Defaults = options.Defaults.get();
  return rules;
}

bool UsesStructure(const TCompareOptions& options) {
  return options.BySection || options.IgnorePosition || options.IgnoreDefaults;
}

std::optional<bool> CheckByStructure(const std::vector<std::string>& lines1, const std::vector<std::string>& lines2,
                                     const TCompareOptions& options, TChangeNote* note) {
  if (note) *note = {};
  if (lines1 == lines2) return std::nullopt;
  const pbparse::TStructure s1 = pbparse::ParseStructure(lines1), s2 = pbparse::ParseStructure(lines2);
  const pbparse::TStructuredDiff all = pbparse::CompareStructures(s1, lines1, s2, lines2, StructureRules(options, true));
  if (note) note->Kind = KindOf(all);
  const bool dataWindows = s1.Type == pbparse::TTextType::DataWindow && s2.Type == pbparse::TTextType::DataWindow;
  if (!all.Structured || !(options.BySection || (dataWindows && UsesStructure(options)))) return std::nullopt;

  const pbparse::TStructuredDiff diff = pbparse::CompareStructures(s1, lines1, s2, lines2, StructureRules(options));
  const bool same = diff.Same && (options.BySection || !(diff.Ignored & pbparse::dfOrder));
  if (note) {
    note->ByStructure = true;
    if (same) note->Kind = KindOf(diff);
  }
  return same;
}

}  // namespace compare
