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

std::vector<std::string> LoadSourceLines(const std::filesystem::path& path, platform::TTextEncoding* encoding) {
  const std::string bytes = platform::DecodeText(platform::ReadFileBytes(path), encoding);
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

std::vector<std::string> SavedLines(const std::vector<TPaneRow>& rows, const std::vector<std::string>& source,
                                    const std::vector<ChangeRecord>& changes, bool side1, bool equalRowsLeftOut) {
  std::vector<std::string> out;
  out.reserve(equalRowsLeftOut ? source.size() + rows.size() : rows.size());
  auto emit = [&out](const TPaneRow& r) {
    if (r.Tag != 0 || r.Modified) out.emplace_back(r.Text);
  };
  if (!equalRowsLeftOut) {
    for (const TPaneRow& r : rows) emit(r);
    return out;
  }
  // The side's equal lines [From, To) and the filled row they stood before.
  struct TGap {
    std::size_t Row;
    std::int32_t From, To;
  };
  std::vector<TGap> gaps;
  std::size_t filledRows = 0;
  std::int32_t next1 = 0, next2 = 0, own = 0;
  for (const ChangeRecord& c : changes) {
    next2 += c.Pos1 - next1;  // the equal lines skipped on both sides
    const std::int32_t start = side1 ? c.Pos1 : next2;
    bool covers = side1 ? c.Kind != KindAdded : c.Kind != KindDeleted;
    if (start > own) gaps.push_back({filledRows, own, start});
    own = std::max(own, covers ? start + c.Count : start);
    filledRows += static_cast<std::size_t>(std::max(c.Count, 0));
    next1 = c.Kind == KindAdded ? c.Pos1 : c.Pos1 + c.Count;
    if (c.Kind != KindDeleted) next2 = c.Pos2 + c.Count;
  }
  const auto size = static_cast<std::int32_t>(source.size());
  if (size > own) gaps.push_back({filledRows, own, size});

  std::size_t g = 0;
  auto flush = [&](const TGap& gap) {
    for (std::int32_t i = gap.From; i < gap.To && i < size; ++i) out.push_back(source[static_cast<std::size_t>(i)]);
  };
  const bool sameRows = rows.size() == filledRows;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const TPaneRow& r = rows[i];
    if (sameRows) {
      for (; g < gaps.size() && gaps[g].Row <= i; ++g) flush(gaps[g]);
    } else if (r.Tag > 0) {
      for (; g < gaps.size() && gaps[g].To <= r.Tag - 1; ++g) flush(gaps[g]);
    }
    emit(r);
  }
  for (; g < gaps.size(); ++g) flush(gaps[g]);
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
