#include "Rows.h"

#include <algorithm>

#include "platform/FileSys.h"
#include "platform/TextFile.h"

namespace {

TRowSide Line(const std::vector<std::string>& text, std::int32_t index, std::uint32_t color, std::uint8_t kind) {
  return {text.at(static_cast<std::size_t>(index)), color, index + 1, kind};
}

TRowSide Filler(std::uint32_t color, std::uint8_t kind) { return {std::string_view(), color, 0, kind}; }

// Places the rows of one change record; next1 and next2 are the next unplaced lines.
void PlaceChange(const std::vector<std::string>& text1, const std::vector<std::string>& text2, const ChangeRecord& c,
                 const TRowColors& colors, TFilledRows& out, std::int32_t& next1, std::int32_t& next2) {
  switch (c.Kind) {
    case KindAdded:
      for (std::int32_t i = 0; i < c.Count; ++i) {
        out.Rows.push_back({Filler(colors.Add, 1), Line(text2, next2 + i, colors.Add, 0), c.Pos1});
        ++out.Counts.Added;
      }
      next1 = c.Pos1;
      next2 = c.Pos2 + c.Count;
      break;
    case KindModified:
      for (std::int32_t i = 0; i < c.Count; ++i) {
        out.Rows.push_back({Line(text1, c.Pos1 + i, colors.Mod, 3), Line(text2, next2 + i, colors.Mod, 0)});
        ++out.Counts.Changed;
      }
      next1 = c.Pos1 + c.Count;
      next2 = c.Pos2 + c.Count;
      break;
    case KindDeleted:
      for (std::int32_t i = 0; i < c.Count; ++i) {
        out.Rows.push_back({Line(text1, c.Pos1 + i, colors.Del, 2), Filler(colors.Del, 2)});
        ++out.Counts.Deleted;
      }
      next1 = c.Pos1 + c.Count;
      break;
    default:
      throw std::out_of_range("FillRows() - change record of no kind.");
  }
}

const std::string kRule(80, '=');

}  // namespace

std::vector<std::string> LoadSourceLines(const std::filesystem::path& path) {
  const std::string bytes = platform::ReadFileBytes(path);
  std::vector<std::string> lines;
  // At most one line per break, plus the last: room up front spares long texts the regrowth.
  lines.reserve(static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n')) + 1);
  platform::SplitLines(bytes, lines);
  return lines;
}

std::string OptionsNote(bool ignoreCase, bool ignoreBlanks) {
  std::string note = ignoreCase ? "Case Ignored" : "";
  if (ignoreBlanks) note += note.empty() ? "Blanks Ignored" : ", Blanks Ignored";
  return note.empty() ? note : "  (" + note + ")";
}

TFilledRows FillRows(const std::vector<std::string>& text1, const std::vector<std::string>& text2,
                     const std::vector<ChangeRecord>& changes, const TRowColors& colors, bool showDiffsOnly,
                     bool ignoreCase, bool ignoreBlanks) {
  TFilledRows out;
  out.Counts.Count1 = static_cast<std::int32_t>(text1.size());
  out.Counts.Count2 = static_cast<std::int32_t>(text2.size());
  std::size_t rows = showDiffsOnly ? 0 : text1.size();
  for (const ChangeRecord& c : changes)
    rows += showDiffsOnly || c.Kind == KindAdded ? static_cast<std::size_t>(std::max(c.Count, 0)) : 0;
  out.Rows.reserve(rows);
  auto equalRow = [&](std::int32_t i1, std::int32_t i2) {
    out.Rows.push_back({Line(text1, i1, colors.Window, 0), Line(text2, i2, colors.Window, 0)});
  };
  std::int32_t next1 = 0, next2 = 0;
  for (const ChangeRecord& c : changes) {
    if (showDiffsOnly) {
      next2 += c.Pos1 - next1;
    } else {
      for (; next1 < c.Pos1; ++next1, ++next2) equalRow(next1, next2);
    }
    PlaceChange(text1, text2, c, colors, out, next1, next2);
  }
  if (!showDiffsOnly)
    for (; next1 < out.Counts.Count1; ++next1, ++next2) equalRow(next1, next2);
  out.OptionsNote = OptionsNote(ignoreCase, ignoreBlanks);
  return out;
}

std::string DefaultReportDate(platform::TDateTime t) {
  std::string s = platform::FormatDateTime(t);
  std::size_t space = s.find(' ');
  return space == std::string::npos ? s : s.substr(0, space) + ", " + s.substr(space + 1);
}

std::vector<std::string> BuildReport(const TReportHeader& header, const std::vector<TAlignedRow>& rows,
                                     const TRowColors& colors, const TReportDateFormat& format) {
  auto modified = [&](const std::optional<platform::TDateTime>& t) {
    return "        Last modified on " + (t ? format(*t) : std::string());
  };
  std::vector<std::string> out{"Difference Report - " + format(header.Now),
                               kRule,
                               "",
                               "File 1: \"" + header.Name1 + "\"",
                               modified(header.FileTime1),
                               "File 2: \"" + header.Name2 + "\"",
                               modified(header.FileTime2),
                               ""};
  std::uint32_t prev = colors.Window;
  std::int32_t top = 0;
  for (const TAlignedRow& row : rows) {
    top = std::max(top, row.Left.Tag);
    const std::uint32_t c = row.Left.Color;
    const bool add = c == colors.Add, mod = !add && c == colors.Mod, del = !add && !mod && c == colors.Del;
    if (c != prev && (add || mod || del)) {
      std::int32_t addedAt = row.InsertPos >= 0 ? row.InsertPos + 1 : top + 1;
      out.push_back(kRule);
      out.push_back(add ? "Lines added at " + std::to_string(addedAt)
                        : (mod ? "Lines modified at " : "Lines deleted at ") + std::to_string(top));
      out.push_back(kRule);
    }
    prev = c;
    if (add) out.push_back("+ " + std::string(row.Right.Text));
    if (mod) {
      out.push_back("- " + std::string(row.Left.Text));
      out.push_back("+ " + std::string(row.Right.Text));
    }
    if (del) out.push_back("- " + std::string(row.Left.Text));
  }
  return out;
}
