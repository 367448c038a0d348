#include "CliOutput.h"

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <iostream>

#include "CliCommon.h"
#include "compare/UnifiedDiff.h"
#include "diff/HashUnit.h"
#include "platform/CodePage.h"
#include "platform/DateTime.h"
#include "platform/FileSys.h"
#include "platform/System.h"

using diff::TDiff;
using diff::TLineClasses;

namespace fs = std::filesystem;

namespace cli {
namespace {

// A file's time as GNU diff writes it in a header: "2026-12-09 15:04:05.123456789 +0800", local.
std::string HeaderTime(const fs::path& path) {
  const auto info = platform::StatPath(path);
  if (!info) return {};
  const auto t = static_cast<std::time_t>(info->Time);
  std::tm local{};
  if (!platform::ToLocalTime(t, local)) return {};
  char day[32];
  std::strftime(day, sizeof day, "%Y-%m-%d %H:%M:%S", &local);
  // The zone as the local time's distance from UTC (strftime's %z gives a zone's name on Windows).
  const std::int64_t offset = platform::MakeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                                                     local.tm_min, local.tm_sec).Seconds -
                              info->Time;
  const std::int64_t minutes = (offset < 0 ? -offset : offset) / 60;
  char out[80];
  std::snprintf(out, sizeof out, "%s.%09ld %c%02d%02d", day, static_cast<long>(info->TimeNanos), offset < 0 ? '-' : '+',
                static_cast<int>(minutes / 60), static_cast<int>(minutes % 60));
  return out;
}

const char* KindName(compare::TRowKind kind) {
  switch (kind) {
    case compare::TRowKind::Added: return "added";
    case compare::TRowKind::Deleted: return "deleted";
    case compare::TRowKind::Modified: return "modified";
    case compare::TRowKind::Equal:
    case compare::TRowKind::Moved: break;
  }
  return "equal";
}

std::string CellJson(const compare::TComparison& model, compare::TSide side, const compare::TCell& cell,
                     const std::vector<compare::TSpan>& spans) {
  if (cell.IsFiller()) return "null";
  const std::string_view line = model.Text(side).Line(cell.Line);
  std::string s = "{\"line\": " + std::to_string(cell.Number()) + ", \"text\": " + JsonString(Out(std::string(line))) +
                  ", \"spans\": [";
  bool first = true;
  for (const compare::TSpan& span : compare::CodePointSpans(line, spans)) {
    s += (first ? "[" : ", [") + std::to_string(span.Start) + ", " + std::to_string(span.End) + "]";
    first = false;
  }
  return s + "]}";
}

}  // namespace

std::string UnifiedOutput(const std::array<std::string, 2>& names, const std::array<std::string, 2>& paths,
                          const std::array<bool, 2>& labelled, const compare::TCompareOptions& options, int context,
                          bool& differ) {
  const bool byText = options.IgnoreCase || options.IgnoreBlanks || options.IgnoreComments;
  std::array<std::string, 2> bytes;
  std::array<compare::TUnifiedFile, 2> files;
  std::array<std::vector<std::uint32_t>, 2> values;
  TLineClasses classes(options.IgnoreCase, options.IgnoreBlanks);
  for (compare::TSide s : compare::AllSides) {
    try {
      bytes[s] = platform::ReadFileBytes(paths[s]);
    } catch (const platform::TFileError& e) {
      throw TUsageError(e.what());
    }
    compare::TUnifiedFile& f = files[s];
    f.Name = names[s];
    f.Time = labelled[s] ? std::string() : HeaderTime(paths[s]);
    f.Encoding = platform::DetectTextFormat(bytes[s]).Encoding;
    f.Lines = compare::RawLines(bytes[s], f.Encoding);
    if (!byText) {
      // Lines that read the same but differ in their bytes (break, encoding) are changes here.
      values[s] = classes.OfLines(f.Lines);
      continue;
    }
    compare::TSideText text;
    try {
      text = compare::LoadSideText(paths[s]);
    } catch (const platform::TFileError& e) {
      throw TUsageError(e.what());
    }
    if (static_cast<std::size_t>(text.Count()) != f.Lines.size())
      throw TUsageError(names[s] + ": its line breaks (a lone CR) do not allow a unified difference under the ignore options");
    values[s] = compare::LineValues(text, options, classes);
  }
  TDiff engine;
  if (!engine.Execute(values[0], values[1])) throw TUsageError("diff: the texts are too long to compare");
  differ = !engine.Changes().empty();
  return compare::UnifiedDiff(files[0], files[1], engine.Changes(), context);
}

void WriteLineJson(const std::array<std::string, 2>& names, const compare::TComparison& model,
                   const std::function<void(std::string_view)>& sink) {
  const compare::TCompareOptions& o = model.Options;
  std::string options;
  auto add = [&options](bool on, const char* name) {
    if (on) options += (options.empty() ? "\"" : ", \"") + std::string(name) + "\"";
  };
  add(o.IgnoreCase, "ignore-case");
  add(o.IgnoreBlanks, "ignore-blanks");
  add(o.IgnoreComments, "ignore-comments");
  add(o.AlignSimilar, "align-similar");
  std::string out = "{\"file1\": " + JsonString(names[0]) + ", \"file2\": " + JsonString(names[1]) + ", \"options\": [" +
                    options + "], \"rows\": [";
  const std::vector<compare::TSpan> none;
  bool first = true;
  for (const compare::TRow& row : model.Rows.Rows) {
    compare::TInlineDiff changed;
    if (row.Kind == compare::TRowKind::Modified)
      changed = compare::ChangedSpans(model.LineView(compare::Side1, row.Cells[compare::Side1].Line),
                                      model.LineView(compare::Side2, row.Cells[compare::Side2].Line), o);
    out += first ? "\n  " : ",\n  ";
    first = false;
    out += "{\"kind\": \"" + std::string(KindName(row.Kind)) + "\", \"left\": " +
           CellJson(model, compare::Side1, row.Cells[compare::Side1], changed.Changed1) +
           ", \"right\": " + CellJson(model, compare::Side2, row.Cells[compare::Side2], changed.Changed2) + "}";
    if (out.size() >= 1 << 16) {
      sink(out);
      out.clear();
    }
  }
  sink(out + (first ? "" : "\n") + "]}\n");
}

void WriteOut(std::string_view bytes) {
  if (platform::IsTerminal(1)) {
    std::cout << bytes;
    return;
  }
  platform::WriteStandardOutput(bytes);
}

}  // namespace cli
