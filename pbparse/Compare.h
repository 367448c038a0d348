// The comparison of two structured texts: sections pair by key and are same, changed, moved,
// added or deleted; DataWindows compare object by object and attribute by attribute. The aligned
// rows of the by-section view come from here too.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pbparse/DataWindow.h"
#include "pbparse/Sections.h"

namespace pbparse {

class TDefaults;

struct TCompareRules {
  bool IgnoreCase = false;      // ASCII letters compare without case (lines and values)
  bool IgnoreBlanks = false;    // tabs and spaces are left out (lines and values)
  bool IgnorePosition = false;  // DataWindows: x, y, width, height, x1, y1, x2, y2
  bool IgnoreDefaults = false;  // DataWindows: one-sided attributes and objects of `Defaults`
  const TDefaults* Defaults = nullptr;
};

enum class TSectionStatus : std::uint8_t { Same, Changed, Moved, Added, Deleted };
const char* StatusName(TSectionStatus status);  // "same", "changed", "moved", "added", "deleted"

struct TSectionPair {
  std::int32_t Index1 = -1, Index2 = -1;  // into the sections of side 1 and 2; -1 on the side without it
  TSectionStatus Status = TSectionStatus::Same;
  bool Changed = false;  // the content differs (also for a moved pair)
};

enum class TItemStatus : std::uint8_t { Added, Deleted, Changed };
const char* StatusName(TItemStatus status);  // "added", "deleted", "changed"

// One change of a DataWindow: an object added or deleted (no attribute), an attribute added,
// deleted or changed, the release line or the export header changed.
struct TItem {
  std::string Object;                  // the object's key, "release" or "export header"
  std::string Attribute;               // the attribute's key; empty for an object or a line
  TItemStatus Status = TItemStatus::Changed;
  std::optional<std::string> Old, New; // values as written (code page)
};

// Differences a comparison did not count, as flags.
enum TDifference : std::uint8_t {
  dfOrder = 1,     // sections, objects or attributes in another order
  dfPosition = 2,  // DataWindow positions and sizes (under IgnorePosition)
  dfDefaults = 4,  // migration defaults (under IgnoreDefaults)
};

struct TStructuredDiff {
  bool Structured = false;
  std::string Reason;                // when not structured: why ("side 2: line 4: ...")
  std::vector<TSectionPair> Pairs;   // side 1's order; a section of side 2 only after the pair of the one before it
  std::vector<TItem> Items;          // DataWindows
  std::uint8_t Ignored = 0;          // TDifference flags of what was met and not counted
  // Nothing differs but the order: no section changed, added or deleted, and no item.
  bool Same = false;
};

// Compares two parsed texts (the lines they were parsed from beside them). Texts of different
// types, or a plain one, give Structured false with the reason.
TStructuredDiff CompareStructures(const TStructure& s1, const std::vector<std::string>& lines1, const TStructure& s2,
                                  const std::vector<std::string>& lines2, const TCompareRules& rules);

// One row of the by-section view: a line of each side (-1 for a filler), the pair it belongs to
// (index into Pairs) and its difference code: 0 equal, 1 added, 2 deleted, 3 modified.
struct TSectionRow {
  std::int32_t Line1 = -1, Line2 = -1;
  std::int32_t Pair = -1;
  std::uint8_t Kind = 0;
  // A DataWindow line whose difference the rules do not count (a position, a default, an object
  // newer releases add): the view may show it as equal.
  bool Ignored = false;
};

// The rows of the by-section view: pairs in their order, each pair's lines aligned by the
// difference engine, a section of one side only as a block opposite fillers. Meant for texts
// whose sections have lines of their own: script objects, and DataWindows in their text form.
// With the origins of the lines of a text form (one per line), a pair's lines align attribute
// opposite attribute instead, in side 1's order.
std::vector<TSectionRow> SectionRows(const TStructuredDiff& diff, const TStructure& s1,
                                     const std::vector<std::string>& lines1, const TStructure& s2,
                                     const std::vector<std::string>& lines2, const TCompareRules& rules,
                                     const std::vector<TLineOrigin>* origins1 = nullptr,
                                     const std::vector<TLineOrigin>* origins2 = nullptr);

// Everything the by-section view draws for two texts: the texts as shown (a DataWindow in its
// one-attribute-per-line form, with the object and attribute each line comes from), their
// structures, the comparison and the aligned rows. When the texts are not understood, Structured
// is false with the reason, and the view compares lines as usual.
struct TSectionView {
  bool Structured = false;
  std::string Reason;
  std::vector<std::string> Lines1, Lines2;      // as shown
  std::vector<TLineOrigin> Origins1, Origins2;  // DataWindows: one per shown line; empty otherwise
  TStructure Structure1, Structure2;            // of the shown texts
  TStructuredDiff Diff;
  std::vector<TSectionRow> Rows;
};

// `name1` and `name2` name the texts (a file or object name; its extension helps tell a
// DataWindow, query or pipeline). `compared1` and `compared2`, when given, are what script objects
// are compared by instead of their lines, line for line (the lines without their comments).
TSectionView BuildSectionView(const std::vector<std::string>& lines1, const std::vector<std::string>& lines2,
                              std::string_view name1, std::string_view name2, const TCompareRules& rules,
                              const std::vector<std::string>* compared1 = nullptr,
                              const std::vector<std::string>* compared2 = nullptr);

}  // namespace pbparse
