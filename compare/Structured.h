// The object check by the structure of the sources: script objects section by section, DataWindows
// attribute by attribute (pbparse), and what kind of change a changed pair is when order,
// positions or migration defaults explain it.
#pragma once

#include <cstdint>
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compare/Options.h"
#include "compare/Rows.h"
#include "pbparse/Compare.h"
#include "pbparse/Sections.h"

namespace compare {

// What the differences of a pair are, as flags. ckContent stands alone: something the options
// cannot explain differs.
enum TChangeKind : std::uint8_t {
  ckOrder = 1,      // sections, DataWindow objects or attributes in another order
  ckPosition = 2,   // DataWindow positions and sizes
  ckDefaults = 4,   // DataWindow attributes of newer releases at their default values
  ckLayout = 8,     // only how the text is laid out (spacing, quoting, line breaks of a DataWindow)
  ckContent = 16,
  ckBlankLines = 32,  // only blank lines added or removed (the lines decide such a pair the same)
};

// "order", "position", "defaults", "layout", "blank lines" joined by "+" ("order+position"),
// "content", or "" for 0.
std::string ChangeKindText(std::uint8_t kind);

// The rules of the structured comparison for these options; with `explain` every difference the
// options could ignore is ignored (for finding the kind of a change).
pbparse::TCompareRules StructureRules(const TCompareOptions& options, bool explain = false);

// Whether the options ask for the structure: BySection, IgnorePosition or IgnoreDefaults.
bool UsesStructure(const TCompareOptions& options);

// What the content check learnt about a pair besides same or not.
struct TChangeNote {
  std::uint8_t Kind = 0;     // TChangeKind flags of the differences; 0 when the lines are the same
  bool ByStructure = false;  // the structure decided the pair (otherwise the lines did)
};

// The lines a structured comparison compares, line for line: a script object's without their
// comments under IgnoreComments (a DataWindow holds none), otherwise the lines as they are.
std::vector<std::string> StructureLines(const std::vector<std::string>& lines, const pbparse::TStructure& structure,
                                        const TCompareOptions& options);

// The by-section view of two texts under `options` (see pbparse::BuildSectionView), comments
// left out of the comparison under IgnoreComments.
pbparse::TSectionView SectionView(const std::vector<std::string>& lines1, const std::vector<std::string>& lines2,
                                  std::string_view name1, std::string_view name2, const TCompareOptions& options);

// The by-section view's rows as the model's rows, over its texts as shown (of `lineCounts`
// lines): kinds from the row codes, a line whose difference the rules do not count as equal (and
// left out where it stands opposite no line: IgnoredLeftOut), an equal line of a moved section as
// moved; fillers stand before the next line of their side.
TRows SectionRowsOf(const pbparse::TSectionView& view, const std::array<std::int32_t, SideCount>& lineCounts);

// The structured part of the object check of two export texts. Decides the pair (same or not)
// when the options ask for it and the texts are understood: by section under BySection, and two
// DataWindows also under IgnorePosition or IgnoreDefaults; order counts only without BySection.
// Otherwise returns none and the caller compares lines. Either way `note` (when given) gets the
// kind of the differences.
std::optional<bool> CheckByStructure(const std::vector<std::string>& lines1, const std::vector<std::string>& lines2,
                                     const TCompareOptions& options, TChangeNote* note);

}  // namespace compare
