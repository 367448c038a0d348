#include "compare/Report.h"

#include <algorithm>

namespace compare {

namespace {

const std::string kRule(80, '=');

}  // namespace

std::string OptionsNote(bool ignoreCase, bool ignoreBlanks) {
  return OptionsNote(TCompareOptions{.IgnoreCase = ignoreCase, .IgnoreBlanks = ignoreBlanks});
}

std::string OptionsNote(const TCompareOptions& options) {
  std::string note;
  auto add = [&note](bool on, const char* text) {
    if (on) note += (note.empty() ? "" : ", ") + std::string(text);
  };
  add(options.IgnoreCase, "Case Ignored");
  add(options.IgnoreBlanks, "Blanks Ignored");
  add(options.IgnoreComments, "Comments Ignored");
  add(options.AlignSimilar, "Similar Lines Aligned");
  add(options.BySection, "By Section");
  add(options.IgnorePosition, "Position Ignored");
  add(options.IgnoreDefaults, "Defaults Ignored");
  return note.empty() ? note : "  (" + note + ")";
}

std::string DefaultReportDate(platform::TDateTime t) {
  std::string s = platform::FormatDateTime(t);
  std::size_t space = s.find(' ');
  return space == std::string::npos ? s : s.substr(0, space) + ", " + s.substr(space + 1);
}

void WriteReport(const TReportHeader& header, std::int32_t rowCount, const std::function<TReportRow(std::int32_t)>& rowAt,
                 const TReportSink& sink, const TReportDateFormat& format) {
  auto modified = [&](const std::optional<platform::TDateTime>& t) {
    return "        Last modified on " + (t ? format(*t) : std::string());
  };
  sink("Difference Report - " + format(header.Now));
  sink(kRule);
  sink("");
  sink("File 1: \"" + header.Name1 + "\"");
  sink(modified(header.FileTime1));
  sink("File 2: \"" + header.Name2 + "\"");
  sink(modified(header.FileTime2));
  sink("");
  std::string line;
  auto marked = [&](const char* mark, std::string_view text) {
    line.assign(mark);
    line += text;
    sink(line);
  };
  TRowKind prev = TRowKind::Equal;
  for (std::int32_t i = 0; i < rowCount; ++i) {
    TReportRow row = rowAt(i);
    const TCell& left = row.Cells[Side1];
    // Lines only moved with their section print nothing.
    if (row.Kind == TRowKind::Moved) row.Kind = TRowKind::Equal;
    if (row.Kind != prev && row.Kind != TRowKind::Equal) {
      sink(kRule);
      switch (row.Kind) {
        case TRowKind::Added: sink("Lines added at " + std::to_string(left.LinesBefore() + 1)); break;
        case TRowKind::Modified: sink("Lines modified at " + std::to_string(left.Number())); break;
        default: sink("Lines deleted at " + std::to_string(left.Number())); break;
      }
      sink(kRule);
    }
    prev = row.Kind;
    switch (row.Kind) {
      case TRowKind::Added: marked("+ ", row.Text[Side2]); break;
      case TRowKind::Modified:
        marked("- ", row.Text[Side1]);
        marked("+ ", row.Text[Side2]);
        break;
      case TRowKind::Deleted: marked("- ", row.Text[Side1]); break;
      case TRowKind::Equal:
      case TRowKind::Moved: break;
    }
  }
}

void WriteReport(const TReportHeader& header, const TRows& rows, const std::array<const TSideText*, SideCount>& texts,
                 const TReportSink& sink, const TReportDateFormat& format) {
  WriteReport(
      header, rows.Count(),
      [&](std::int32_t i) {
        const TRow& r = rows.Rows[static_cast<std::size_t>(i)];
        TReportRow out{r.Kind, {}, r.Cells};
        for (TSide s : AllSides)
          if (!r.Cells[s].IsFiller()) out.Text[s] = texts[s]->Line(r.Cells[s].Line);
        return out;
      },
      sink, format);
}

std::vector<std::string> BuildReport(const TReportHeader& header, std::int32_t rowCount,
                                     const std::function<TReportRow(std::int32_t)>& rowAt,
                                     const TReportDateFormat& format) {
  std::vector<std::string> out;
  WriteReport(header, rowCount, rowAt, [&out](std::string_view line) { out.emplace_back(line); }, format);
  return out;
}

std::vector<std::string> BuildReport(const TReportHeader& header, const TRows& rows,
                                     const std::array<const TSideText*, SideCount>& texts,
                                     const TReportDateFormat& format) {
  std::vector<std::string> out;
  WriteReport(header, rows, texts, [&out](std::string_view line) { out.emplace_back(line); }, format);
  return out;
}

}  // namespace compare
