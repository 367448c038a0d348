// The aligned rows of a comparison of two texts, and the blocks they form, without a toolkit.
//
// A row has a kind (equal, added, deleted, modified) and, per side, a cell: a line of that side's
// text or a filler, and a slot for the changed spans within the line. Equal lines stand opposite
// each other, a modified line opposite its replacement, a filler opposite every added or deleted
// line. A block is a maximal run of rows of one kind. Navigation, block copy, the saved text of a
// side and the report all work on kinds and blocks; colours are looked up from kinds only when a
// view paints.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compare/CompareCounts.h"
#include "compare/Side.h"
#include "compare/SideText.h"
#include "diff/DiffUnit.h"
#include "platform/TextFile.h"

namespace compare {

// Moved: an equal line of a section the structured comparison found in another place (a
// difference of order only).
enum class TRowKind : std::uint8_t { Equal = 0, Added = 1, Deleted = 2, Modified = 3, Moved = 4 };

// A changed part of a line: bytes [Start, End) of its code-page text.
struct TSpan {
  std::int32_t Start = 0;
  std::int32_t End = 0;
  friend bool operator==(const TSpan&, const TSpan&) = default;
};

// One side of a row. Line is the index of the side's line (0-based), or for a filler -1 minus
// the index of the side's next line (the filler stands before it). Spans is the index of the
// cell's list in TRows::Spans, or -1 when nothing within the line is marked.
struct TCell {
  std::int32_t Line = -1;
  std::int32_t Spans = -1;

  bool IsFiller() const { return Line < 0; }
  // The 1-based line number shown in the gutter; 0 for a filler.
  std::int32_t Number() const { return Line >= 0 ? Line + 1 : 0; }
  // How many of the side's lines come before this row.
  std::int32_t LinesBefore() const { return Line >= 0 ? Line : -Line - 1; }
  static TCell Filler(std::int32_t nextLine) { return TCell{-1 - nextLine, -1}; }
};

// A row of a two-text comparison: the kind relates side 2 to side 1 (added: in side 2 only).
struct TRow {
  TRowKind Kind = TRowKind::Equal;
  // A row of a section that moved (the section view): navigation steps past the whole section as
  // one block, whatever changed inside it.
  bool InMovedSection = false;
  std::array<TCell, SideCount> Cells;
};

struct TBlock {
  TRowKind Kind = TRowKind::Equal;
  std::int32_t First = 0;  // first row
  std::int32_t Count = 0;  // rows
};

struct TRows {
  std::vector<TRow> Rows;
  std::vector<TBlock> Blocks;
  std::vector<std::vector<TSpan>> Spans;
  TCompareCounts Counts;     // lines of both texts; added, deleted and changed lines
  bool EqualRowsLeftOut = false;
  // Lines of one side only whose difference the options ignore (a DataWindow attribute at its
  // default, a position), left out of the section view's rows rather than shown opposite a gap.
  std::int32_t IgnoredLeftOut = 0;

  std::int32_t Count() const { return static_cast<std::int32_t>(Rows.size()); }
  // The block that holds `row`; -1 outside the rows.
  std::int32_t BlockOf(std::int32_t row) const;
};

// The rows of two texts of `lineCounts` lines from the engine's change records. With
// `leaveOutEqual` the equal rows are left out. Throws std::out_of_range when a record points
// outside the texts.
TRows AlignRows(const std::array<std::int32_t, SideCount>& lineCounts, const std::vector<diff::ChangeRecord>& changes,
                bool leaveOutEqual);

// The maximal runs of one kind in a sequence of `count` row kinds.
std::vector<TBlock> FindBlocks(std::int32_t count, const std::function<TRowKind(std::int32_t)>& kindAt);

// Difference navigation over a sequence of row kinds (the model's rows, or a pane's rows after
// edits): the first row of the next block that is not equal after the block holding `row`, or of
// the last such block before it; none when there is no such block.
std::optional<std::int32_t> NextDifference(std::int32_t count, const std::function<TRowKind(std::int32_t)>& kindAt,
                                           std::int32_t row);
std::optional<std::int32_t> PrevDifference(std::int32_t count, const std::function<TRowKind(std::int32_t)>& kindAt,
                                           std::int32_t row);
// The rows [first, last] of the block around `row` when it is a difference; none on an equal
// row or outside the rows.
std::optional<std::pair<std::int32_t, std::int32_t>> DifferenceAt(
    std::int32_t count, const std::function<TRowKind(std::int32_t)>& kindAt, std::int32_t row);

// A pane row as Save sees it: its text, its line number (0 for a filler) and whether it was
// typed, pasted or changed since the fill.
struct TPaneRow {
  std::string_view Text;
  std::int32_t Tag = 0;
  bool Modified = false;
};

// The text to save for one side from the rows of its pane after a fill with the change records
// `changes`: every row except the fillers nobody touched. When the fill left the equal rows out,
// the side's equal lines of `source` are put back between the blocks, so that a save never
// writes a partial text: by row position while the pane has as many rows as the fill gave it,
// otherwise before the first row numbered after them.
std::vector<std::string> SavedLines(const std::vector<TPaneRow>& rows, const TSideText& source,
                                    const std::vector<diff::ChangeRecord>& changes, TSide side, bool equalRowsLeftOut);

}  // namespace compare

// A text file as code-page lines, split at CR LF, a lone CR and a lone LF. A file with a UTF-8 or
// UTF-16 byte-order mark, or valid UTF-8 holding non-ASCII characters, is converted; any other
// file is taken byte for byte. `encoding` receives what was found. Throws platform::TFileError.
std::vector<std::string> LoadSourceLines(const std::filesystem::path& path,
                                         platform::TTextEncoding* encoding = nullptr);
