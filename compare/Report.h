// The difference report of a comparison: a header naming both texts, then every block of added,
// modified or deleted rows under its heading. The desktop program writes it from its panes (which
// may hold edits), quorvex-cli prints it from the aligned rows.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compare/Options.h"
#include "compare/Rows.h"
#include "platform/DateTime.h"

namespace compare {

// "  (Case Ignored, Blanks Ignored)", either half alone, or empty.
std::string OptionsNote(bool ignoreCase, bool ignoreBlanks);
// The same with every option of a run: "  (Case Ignored, Blanks Ignored, Comments Ignored,
// Similar Lines Aligned, By Section, Position Ignored, Defaults Ignored)" for all of them, those
// that are on, or empty.
std::string OptionsNote(const TCompareOptions& options);

// Date-time text of the report (the user's short date, ", ", the short time).
using TReportDateFormat = std::function<std::string(platform::TDateTime)>;
// "yyyy-mm-dd, hh:nn:ss": the format used where no locale format is given.
std::string DefaultReportDate(platform::TDateTime t);

struct TReportHeader {
  std::string Name1, Name2;  // code page
  std::optional<platform::TDateTime> FileTime1, FileTime2;  // none: nothing after "Last modified on "
  platform::TDateTime Now;
};

// One row as the report reads it: its kind, and per side its text and its line position (the
// cell, whose LinesBefore() numbers the headings).
struct TReportRow {
  TRowKind Kind = TRowKind::Equal;
  std::array<std::string_view, SideCount> Text;
  std::array<TCell, SideCount> Cells;
};

// Receives the report line by line, without line breaks, in the texts' encoding (the code page,
// or UTF-8 for texts held in UTF-8, whose header names are then UTF-8 too).
using TReportSink = std::function<void(std::string_view line)>;

// The report given line by line to `sink`, so that a long one need not be held whole.
void WriteReport(const TReportHeader& header, std::int32_t rowCount,
                 const std::function<TReportRow(std::int32_t)>& rowAt, const TReportSink& sink,
                 const TReportDateFormat& format = DefaultReportDate);
void WriteReport(const TReportHeader& header, const TRows& rows, const std::array<const TSideText*, SideCount>& texts,
                 const TReportSink& sink, const TReportDateFormat& format = DefaultReportDate);

// The report, one string per line (code page, without line breaks).
std::vector<std::string> BuildReport(const TReportHeader& header, std::int32_t rowCount,
                                     const std::function<TReportRow(std::int32_t)>& rowAt,
                                     const TReportDateFormat& format = DefaultReportDate);

// The report of aligned rows over their two texts.
std::vector<std::string> BuildReport(const TReportHeader& header, const TRows& rows,
                                     const std::array<const TSideText*, SideCount>& texts,
                                     const TReportDateFormat& format = DefaultReportDate);

}  // namespace compare
