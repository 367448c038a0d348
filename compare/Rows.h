// The aligned rows of a source comparison and the difference report built from them, without a
// toolkit: the files frame copies the rows into its two panes, and quorvex-cli prints the report.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "diff/DiffUnit.h"
#include "compare/CompareCounts.h"
#include "platform/DateTime.h"
#include "platform/TextFile.h"

// A text file as code-page lines, split at CR LF, a lone CR and a lone LF. A file with a UTF-8 or
// UTF-16 byte-order mark, or valid UTF-8 holding non-ASCII characters, is converted; any other
// file is taken byte for byte. `encoding` receives what was found. Throws platform::TFileError.
std::vector<std::string> LoadSourceLines(const std::filesystem::path& path,
                                         platform::TTextEncoding* encoding = nullptr);

// One side of a row: the text (empty for a filler), its colour, its 1-based line number in its
// own text (0 for a filler) and its difference code (0 none, 1 added opposite, 2 deleted,
// 3 modified; only the left side carries 1 and 3). The text is a view of the caller's line: rows
// are read while the texts they come from are alive (long texts are not copied twice).
struct TRowSide {
  std::string_view Text;
  std::uint32_t Color = 0;
  std::int32_t Tag = 0;
  std::uint8_t Kind = 0;
};

struct TAlignedRow {
  TRowSide Left, Right;
  // For an added row: the number of text 1 lines before the insertion (the record's Pos1);
  // -1 otherwise. The report's heading of an added block uses it, so that the number is right
  // also when equal rows are not shown.
  std::int32_t InsertPos = -1;
};

struct TRowColors {
  std::uint32_t Window = 0;  // the panes' own colour (equal rows)
  std::uint32_t Add = 0, Mod = 0, Del = 0;
};

struct TFilledRows {
  std::vector<TAlignedRow> Rows;
  TCompareCounts Counts;  // line counts of both texts; added, deleted, changed lines
  std::string OptionsNote;
};

// "  (Case Ignored, Blanks Ignored)", either half alone, or empty.
std::string OptionsNote(bool ignoreCase, bool ignoreBlanks);

// The rows of both panes from the two texts and the change records between them. With
// `showDiffsOnly` the equal rows are left out. Throws std::out_of_range when a record points
// outside the texts.
TFilledRows FillRows(const std::vector<std::string>& text1, const std::vector<std::string>& text2,
                     const std::vector<ChangeRecord>& changes, const TRowColors& colors, bool showDiffsOnly,
                     bool ignoreCase = false, bool ignoreBlanks = false);

// A pane row as Save sees it: its text, its line number (0 for a filler) and whether it was
// typed, pasted or changed since the fill.
struct TPaneRow {
  std::string_view Text;
  std::int32_t Tag = 0;
  bool Modified = false;
};

// The text to save for one side (`side1` or side 2) from the rows of its pane after a fill with
// the change records `changes`: every row except the fillers nobody touched. When the fill left
// the equal rows out, the side's equal lines of `source` are put back between the blocks, so
// that a save never writes a partial text: by row position while the pane has as many rows as
// the fill gave it, otherwise before the first row numbered after them.
std::vector<std::string> SavedLines(const std::vector<TPaneRow>& rows, const std::vector<std::string>& source,
                                    const std::vector<ChangeRecord>& changes, bool side1, bool equalRowsLeftOut);

// Date-time text of the report (the user's short date, ", ", the short time).
using TReportDateFormat = std::function<std::string(platform::TDateTime)>;
// "yyyy-mm-dd, hh:nn:ss": the format used where no locale format is given.
std::string DefaultReportDate(platform::TDateTime t);

struct TReportHeader {
  std::string Name1, Name2;  // code page
  std::optional<platform::TDateTime> FileTime1, FileTime2;  // none: nothing after "Last modified on "
  platform::TDateTime Now;
};

// The difference report, one string per line (code page, without line breaks): the header, then
// every block of added, modified or deleted rows under its heading.
std::vector<std::string> BuildReport(const TReportHeader& header, const std::vector<TAlignedRow>& rows,
                                     const TRowColors& colors, const TReportDateFormat& format = DefaultReportDate);
