// quorvex-cli diff, compare and compare-libs: the source, object and library comparisons of the
// three views, as text or JSON.
#include <cstdio>
#include <ctime>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>

#include "CliCommon.h"
#include "CliOutput.h"
#include "CliSides.h"
#include "CliStructure.h"
#include "compare/Comparison.h"
#include "report/HtmlReport.h"
#include "compare/LibraryComparison.h"
#include "compare/Pairing.h"
#include "compare/Structured.h"
#include "compare/Report.h"
#include "platform/CodePage.h"
#include "platform/Collation.h"
#include "platform/FileSys.h"
#include "platform/System.h"
#include "sides/ExportFile.h"

using diff::TDiff;

using pbl::TDirList;
using pbl::TReadReport;

namespace fs = std::filesystem;

namespace cli {
namespace {

fs::path Existing(const std::string& arg) {
  auto found = platform::FindPathNoCase(arg);
  if (!found) throw TUsageError(arg + ": " + platform::MissingReason(arg));
  return *found;
}

compare::TSideFile ReadText(const std::string& arg) {
  try {
    return compare::ReadSideFile(Existing(arg));
  } catch (const platform::TFileError& e) {
    throw TUsageError(e.what());
  }
}

// The options of the comparing commands; --align-similar is only asked of diff.
compare::TCompareOptions Options(const TArgs& args) {
  return {.IgnoreCase = args.Has("--ignore-case"),
          .IgnoreBlanks = args.Has("--ignore-blanks"),
          .IgnoreComments = args.Has("--ignore-comments"),
          .AlignSimilar = args.Has("--align-similar")};
}

// The short forms of --unified (-u, -uN, -U N, -UN) and --unified alone as --unified=N, before
// the arguments are scanned: --unified takes its number only after "=".
std::vector<std::string> UnifiedWords(std::vector<std::string> words) {
  for (std::size_t i = 0; i < words.size(); ++i) {
    std::string& w = words[i];
    if (w == "--") break;
    if (w == "--unified" || w == "-u") {
      w = "--unified=3";
    } else if ((w.rfind("-u", 0) == 0 || w.rfind("-U", 0) == 0) && w.size() > 2) {
      w = "--unified=" + w.substr(2);
    } else if (w == "-L" || w == "--label") {
      // A name to show instead of the file's (once per side), as GNU diff and Meld take it.
      if (i + 1 >= words.size()) throw TUsageError(w + " needs a label");
      w = "--label=" + words[i + 1];
      words.erase(words.begin() + static_cast<std::ptrdiff_t>(i) + 1);
    } else if (w.size() > 2 && w.compare(0, 2, "-L") == 0) {
      w = "--label=" + w.substr(2);
    } else if (w == "-U") {
      if (i + 1 >= words.size()) throw TUsageError("-U needs a number");
      w = "--unified=" + words[i + 1];
      words.erase(words.begin() + static_cast<std::ptrdiff_t>(i) + 1);
    }
  }
  return words;
}

int ContextLines(const std::string& value) {
  if (value.empty() || value.size() > 6 || value.find_first_not_of("0123456789") != std::string::npos)
    throw TUsageError("diff: --unified=" + value + ": the context is a number of lines");
  return std::stoi(value);
}

void ToCout(std::string_view piece) { std::cout << piece; }

// Whether two files hold the same bytes; false also when either cannot be read (the caller's
// reading says why).
bool SameBytes(const fs::path& a, const fs::path& b) {
  std::error_code e1, e2;
  const auto size1 = fs::file_size(a, e1), size2 = fs::file_size(b, e2);
  if (e1 || e2 || size1 != size2) return false;
  std::ifstream in1(a, std::ios::binary), in2(b, std::ios::binary);
  if (!in1 || !in2) return false;
  // Buffers no larger than the files and left uninitialised: zeroing two megabytes for two small
  // files cost more than the rest of a short diff.
  const std::size_t chunk = static_cast<std::size_t>(std::min<std::uintmax_t>(size1, 1 << 20)) + 1;
  const auto buf1 = std::make_unique_for_overwrite<char[]>(chunk), buf2 = std::make_unique_for_overwrite<char[]>(chunk);
  while (in1 && in2) {
    in1.read(buf1.get(), static_cast<std::streamsize>(chunk));
    in2.read(buf2.get(), static_cast<std::streamsize>(chunk));
    if (in1.gcount() != in2.gcount() || !std::equal(buf1.get(), buf1.get() + in1.gcount(), buf2.get())) return false;
  }
  return in1.eof() && in2.eof();
}

// The report in UTF-8; `utf8` says the texts' lines are already in UTF-8 (else they are in the
// code page).
void PrintReport(const TArgs& args, const std::array<std::string, 2>& names, const compare::TRows& rows,
                 const std::array<const compare::TSideText*, compare::SideCount>& texts, bool utf8 = false) {
  compare::TReportHeader header;
  for (compare::TSide s : compare::AllSides) {
    // The names as the code page holds them (a byte that is no UTF-8 becomes "?"), in the texts'
    // encoding, their control characters escaped: the lines are written as they are.
    const std::string name = platform::Utf8ToCodePage(Field(names[s]));
    (s == compare::Side1 ? header.Name1 : header.Name2) = utf8 ? platform::CodePageToUtf8(name) : name;
  }
  for (compare::TSide s : compare::AllSides) {
    if (platform::IsNullDevice(args.Operands[s])) continue;  // an added or deleted file's missing side
    if (auto info = platform::FindFirst(args.Operands[s])) (s == compare::Side1 ? header.FileTime1 : header.FileTime2) = info->Time;
  }
  header.Now = platform::LocalFromUnixTime(std::time(nullptr));
  // Written as it is made, through one buffer: a long report is never held whole.
  std::string buffer;
  auto flush = [&buffer] {
    WriteOut(buffer);
    buffer.clear();
  };
  compare::WriteReport(header, rows, texts, [&](std::string_view line) {
    if (utf8 || platform::FindNonAscii(line) == std::string_view::npos)
      buffer += line;
    else
      buffer += platform::CodePageToUtf8(line);
    buffer += '\n';
    if (buffer.size() >= (1u << 16)) flush();
  });
  flush();
}

int RunDiff(const std::vector<std::string>& words) {
  std::vector<std::string> valueFlags = StructureValueFlags();
  valueFlags.push_back("--unified");
  valueFlags.push_back("--label");
  TArgs args = ParseArgs(UnifiedWords(words), valueFlags,
                         WithStructureSwitches({"--ignore-case", "--ignore-blanks", "--ignore-comments",
                                                "--align-similar", "--diffs-only", "--json", "--html"}));
  if (args.Operands.size() != 2) throw TUsageError("diff: name two text files");
  // Labels stand for the names in every output, side 1's first.
  std::array<std::string, 2> names{args.Operands[0], args.Operands[1]};
  std::array<bool, 2> labelled{};
  std::size_t labels = 0;
  for (const auto& [flag, value] : args.Flags) {
    if (flag != "--label") continue;
    if (labels == 2) throw TUsageError("at most two labels, one for each side");
    names[labels] = value;
    labelled[labels++] = true;
  }
  const bool json = args.Has("--json"), html = args.Has("--html"), unified = args.Has("--unified");
  if (json + html + unified > 1) throw TUsageError("diff: choose one of --unified, --json and --html");
  if (unified) {
    if (WantsStructure(args) || args.Has("--align-similar") || args.Has("--diffs-only"))
      throw TUsageError("diff: --unified goes with the --ignore options only");
    const int context = ContextLines(args.Value("--unified"));
    bool differ = false;
    const std::string out =
        UnifiedOutput(names, {Existing(args.Operands[0]).string(), Existing(args.Operands[1]).string()}, labelled,
                      Options(args), context, differ);
    WriteOut(out);
    return differ ? ExitWarn : ExitOk;
  }
  // Two files of the same bytes are the same text under any option: the report is its header.
  if (!json && !html && !WantsStructure(args) && SameBytes(Existing(args.Operands[0]), Existing(args.Operands[1]))) {
    static const compare::TSideText kEmpty;
    PrintReport(args, names, compare::TRows{}, {&kEmpty, &kEmpty});
    return ExitOk;
  }
  std::array<compare::TSideFile, compare::SideCount> files{ReadText(args.Operands[0]), ReadText(args.Operands[1])};
  // The plain report of two UTF-8 texts compares and prints their lines as they are: equal lines
  // are equal in the code page too, and the report is UTF-8. Case folding and the comment scanner
  // step over code-page characters, so those options go through the code page.
  const compare::TCompareOptions options = Options(args);
  const bool utf8 = !json && !html && !WantsStructure(args) && !options.IgnoreCase && !options.IgnoreComments &&
                    !options.AlignSimilar && sides::HoldsUtf8Text(files[0].Bytes) && sides::HoldsUtf8Text(files[1].Bytes);
  compare::TComparison model;
  for (compare::TSide s : compare::AllSides)
    model.Sides[s] = std::make_shared<compare::TSideText>(compare::SideTextOf(std::move(files[s]), utf8));
  report::THtmlHeader page;
  page.Name1 = names[0];
  page.Name2 = names[1];
  for (compare::TSide s : compare::AllSides)
    if (const auto& t = model.Text(s).FileTime) (s == compare::Side1 ? page.Time1 : page.Time2) = compare::DefaultReportDate(*t);
  if (html && WantsStructure(args)) {
    page.Options = StructureOptions(args, Options(args));
    page.Options.BySection = true;
    const pbparse::TSectionView view = compare::SectionView(model.Sides[0]->ToVector(), model.Sides[1]->ToVector(),
                                                            names[0], names[1], page.Options);
    if (view.Structured) {
      const compare::TSideText shown1(view.Lines1), shown2(view.Lines2);
      const compare::TRows rows = compare::SectionRowsOf(view, {shown1.Count(), shown2.Count()});
      report::WriteHtmlReport(
          page, rows, {&shown1, &shown2},
          [&](std::int32_t line1, std::int32_t line2) {
            return compare::ChangedSpans(shown1.Line(line1), shown2.Line(line2), page.Options);
          },
          ToCout);
      return view.Diff.Same ? ExitOk : ExitWarn;
    }
    std::cerr << "quorvex-cli diff: compared line by line: " << Out(view.Reason) << "\n";
  } else if (WantsStructure(args)) {
    int code = RunStructuredDiff(args, model.Sides[0]->ToVector(), model.Sides[1]->ToVector(),
                                 StructureOptions(args, Options(args)));
    if (code >= 0) return code;
  }
  TDiff diff;
  if (!model.Run(diff, Options(args), args.Has("--diffs-only")))
    throw TUsageError("diff: the texts are too long to compare");
  const int exit = model.Changes.empty() ? ExitOk : ExitWarn;
  if (json) {
    WriteLineJson(names, model, ToCout);
    return exit;
  }
  if (html) {
    page.Options = model.Options;
    report::WriteHtmlReport(page, model, ToCout);
    return exit;
  }

  PrintReport(args, names, model.Rows, model.Texts(), utf8);
  return exit;
}

// --- Object pairs ---

std::string CountsLine(const TCompareCounts& c) {
  return std::to_string(c.Count1) + " " + std::to_string(c.Count2) + " " + std::to_string(c.Added) + " " +
         std::to_string(c.Deleted) + " " + std::to_string(c.Changed);
}

std::string CountsJson(const TCompareCounts& c) {
  return "{\"count1\": " + std::to_string(c.Count1) + ", \"count2\": " + std::to_string(c.Count2) +
         ", \"added\": " + std::to_string(c.Added) + ", \"deleted\": " + std::to_string(c.Deleted) +
         ", \"changed\": " + std::to_string(c.Changed) + "}";
}

template <std::size_t N>
std::string CellsJson(const std::array<std::string, N>& cells, const std::array<const char*, N>& names) {
  std::string s = "{";
  for (std::size_t i = 0; i < N; ++i) s += (i ? ", " : "") + JsonString(names[i]) + ": " + JsonString(cells[i]);
  return s + "}";
}

template <std::size_t N>
std::string CellsText(const std::array<std::string, N>& cells) {
  std::string s;
  for (std::size_t i = 0; i < N; ++i) s += (i ? "\t" : "") + Field(cells[i]);
  return s;
}

// What the rows say of each result (UTF-8), as the desktop lists do.
const TResultWords kResultWords{"相同", "增加", "减少", "更改"};

const std::array<const char*, 7> kObjectFields{"name", "result", "time1", "size1", "time2", "size2", "type"};
const std::array<const char*, 6> kLibraryFields{"name", "result", "time1", "size1", "time2", "size2"};

struct TObjectPairs {
  std::vector<std::array<std::string, 7>> Rows;
  std::vector<std::uint8_t> Kinds;  // what kind of change each pair is
  TCompareCounts Counts;
};

TObjectPairs CompareLibraryObjects(TSides& sides, const TFolderRec& rec1, const TFolderRec& rec2, const TObjectCheck& check,
                                   bool& warned) {
  auto lib1 = sides.Open(rec1, false), lib2 = sides.Open(rec2, false);
  TDirList list1 = ReadEntries(*lib1, rec1, warned), list2 = ReadEntries(*lib2, rec2, warned);
  SortDirList(list1);
  SortDirList(list2);
  TObjectPairs out;
  out.Counts.Count1 = static_cast<std::int32_t>(list1.size());
  out.Counts.Count2 = static_cast<std::int32_t>(list2.size());
  TReadReport report;
  TObjectCheck withReport = check;
  withReport.Report = &report;
  withReport.Problems = &sides.Report;
  const TPairing pairs = CompareObjects(list1, lib1.get(), list2, lib2.get(), out.Counts, withReport);
  if (!report.Clean()) {
    std::cerr << "warning: exporting from " << sides::LibraryLocation(rec1) << " or " << sides::LibraryLocation(rec2)
              << ": " << report.Describe() << "\n";
    warned = true;
  }
  warned = sides.Warn() || warned;
  for (std::size_t i : ObjectRowOrder(list1, list2, pairs)) {
    out.Rows.push_back(ObjectRowCells(list1, list2, pairs[i], kResultWords));
    out.Kinds.push_back(pairs[i].Kind);
  }
  return out;
}

void PrintObjects(const TObjectPairs& pairs, bool json, const std::string& indent) {
  if (!json) {
    for (const auto& row : pairs.Rows) std::cout << CellsText(row) << '\n';
    std::cout << CountsLine(pairs.Counts) << '\n';
    return;
  }
  std::cout << "{\"rows\": [";
  for (std::size_t i = 0; i < pairs.Rows.size(); ++i) {
    std::string row = CellsJson(pairs.Rows[i], kObjectFields);
    row.insert(row.size() - 1, ", \"change\": " + JsonString(ChangeKindField(pairs.Kinds[i])));
    std::cout << (i ? ",\n" : "\n") << indent << "  " << row;
  }
  std::cout << (pairs.Rows.empty() ? "" : "\n" + indent) << "], \"counts\": " << CountsJson(pairs.Counts) << "}";
}

bool AllSame(const TCompareCounts& c) { return c.Added == 0 && c.Deleted == 0 && c.Changed == 0; }

int RunCompare(const std::vector<std::string>& words) {
  TArgs args = ParseArgs(words, StructureValueFlags(),
                         WithStructureSwitches({"--ignore-case", "--ignore-blanks", "--ignore-comments", "--json"}));
  if (args.Operands.size() != 2) throw TUsageError("compare: name two libraries");
  TDiff diff;
  TObjectCheck check{&diff, StructureOptions(args, Options(args))};
  check.Kinds = args.Has("--json");  // only JSON says what kind of change a pair is
  TSides sides;
  sides.ReadAhead(args.Operands);
  std::unique_ptr<TFolderRec> rec1 = sides.Library(args.Operands[0]), rec2 = sides.Library(args.Operands[1]);
  bool warned = sides.Warn();
  TObjectPairs pairs = CompareLibraryObjects(sides, *rec1, *rec2, check, warned);
  PrintObjects(pairs, args.Has("--json"), "");
  if (args.Has("--json")) std::cout << '\n';
  return AllSame(pairs.Counts) && !warned ? ExitOk : ExitWarn;
}

// --- Library pairs ---

int RunCompareLibs(const std::vector<std::string>& words) {
  TArgs args = ParseArgs(words, StructureValueFlags(),
                         WithStructureSwitches({"--objects", "--json", "--ignore-case", "--ignore-blanks", "--ignore-comments"}));
  if (args.Operands.size() != 2) throw TUsageError("compare-libs: name two sides (library, target or workspace)");
  const bool json = args.Has("--json");
  TSides sides;
  // The library list's comparison: the same pairs as the desktop shows.
  compare::TLibraryComparison model;
  sides.ReadAhead(args.Operands);
  model.Add(compare::Side1, sides.Collect({args.Operands[0]}));
  model.Add(compare::Side2, sides.Collect({args.Operands[1]}));
  bool warned = sides.Warn();
  TDiff diff;
  TObjectCheck check{&diff, StructureOptions(args, Options(args))};
  check.Kinds = json;  // only JSON says what kind of change a pair is
  // A library that cannot be read makes its pair changed and is said once; the others are paired.
  check.Problems = &sides.Report;
  // The objects of a changed pair are paired once more for --objects: their files are not read again.
  TCheckMemo memo;
  check.Memo = &memo;
  check.Disk = sides.Disk();
  model.CheckBase = check;
  model.Options = [options = check.Options] { return options; };
  if (platform::IsTerminal(2))
    model.OnProgress = [](std::size_t, int percent) { std::fprintf(stderr, "\rApprox. %d%% complete", percent); };
  model.PairLibraries();
  if (model.OnProgress) std::fprintf(stderr, "\r\033[K");
  sides.Report.Add(model.Problems());
  warned = sides.Warn() || warned;
  const TLibSelection &side1 = model.Libraries(compare::Side1), &side2 = model.Libraries(compare::Side2);
  const TPairing& pairs = model.LibraryPairs();
  const TCompareCounts& counts = model.LibraryCounts();
  // The objects of a changed pair, unless one of its libraries could not be read (said above).
  auto objects = [&](std::size_t i) -> std::optional<TObjectPairs> {
    if (pairs[i].Result != crChanged) return std::nullopt;
    try {
      return CompareLibraryObjects(sides, *side1[pairs[i].Index[compare::Side1]].Rec,
                                   *side2[pairs[i].Index[compare::Side2]].Rec, check, warned);
    } catch (const TUsageError&) {
      return std::nullopt;
    }
  };

  if (json) std::cout << "{\"rows\": [";
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    auto cells = LibraryRowCells(side1, side2, pairs[i], kResultWords);
    if (!json) {
      std::cout << CellsText(cells) << '\n';
      continue;
    }
    std::string row = CellsJson(cells, kLibraryFields);
    std::cout << (i ? ",\n" : "\n") << "  " << row.substr(0, row.size() - 1);
    if (auto objectPairs = args.Has("--objects") ? objects(i) : std::nullopt) {
      std::cout << ", \"objects\": ";
      PrintObjects(*objectPairs, true, "  ");
    }
    std::cout << "}";
  }
  if (json) {
    std::cout << (pairs.empty() ? "" : "\n") << "], \"counts\": " << CountsJson(counts) << "}\n";
  } else {
    std::cout << CountsLine(counts) << '\n';
    if (args.Has("--objects")) {
      for (std::size_t i = 0; i < pairs.size(); ++i) {
        auto objectPairs = objects(i);
        if (!objectPairs) continue;
        std::cout << "== " << Field(PairKey(side1, side2, pairs[i])) << '\n';
        PrintObjects(*objectPairs, false, "");
      }
    }
  }
  return AllSame(counts) && !warned ? ExitOk : ExitWarn;
}

}  // namespace

std::vector<TCommand> CompareCommands() {
  return {
      {"diff", "compare two text files and print the difference report",
       "usage: quorvex-cli diff [--ignore-case] [--ignore-blanks] [--ignore-comments] [--align-similar]\n"
       "                        [--diffs-only] [--json | --html] FILE1 FILE2\n"
       "       quorvex-cli diff [--ignore-case] [--ignore-blanks] [--ignore-comments] -u | -uN | -U N |\n"
       "                        --unified[=N] FILE1 FILE2\n"
       "       quorvex-cli diff [--ignore-case] [--ignore-blanks] [--ignore-comments] STRUCTURE [--json]\n"
       "                        FILE1 FILE2\n"
       "  Compares the lines of two text files as the source comparison view does and prints\n"
       "  its difference report in UTF-8: a header naming both files, then every block of added,\n"
       "  modified and deleted lines (\"- \" file 1, \"+ \" file 2) under a heading with its line\n"
       "  number in FILE1. --ignore-case folds A-Z, --ignore-blanks drops tabs and spaces,\n"
       "  --ignore-comments drops PowerScript comments (// and /* */, with the blanks before a\n"
       "  comment that ends the line) before lines are compared; the report shows the lines as\n"
       "  they are. --align-similar pairs the lines of a changed block with unequal line counts\n"
       "  by likeness rather than by position; lines without a like partner are added or\n"
       "  deleted. --diffs-only numbers as the view does with equal lines hidden.\n"
       "  --unified (-u) prints the difference as GNU diff -u does, with N lines of context (3),\n"
       "  for patch and git apply: every line in its file's own bytes (encoding, byte-order mark,\n"
       "  CR LF or LF, \"\\ No newline at end of file\"), so that lines equal as text but not in\n"
       "  bytes are changes; with the --ignore options the changes are found under them and the\n"
       "  lines still written as they are (equal lines from FILE1). UTF-16 text is written in its\n"
       "  bytes too, which patch does not read.\n"
       "  --json prints {\"file1\", \"file2\", \"options\": [...], \"rows\": [...]}: per row its \"kind\"\n"
       "  (equal, added, deleted, modified) and \"left\" and \"right\", each null or {\"line\" (from\n"
       "  1), \"text\", \"spans\": [[start, end], ...]}, the changed words of a modified line as\n"
       "  offsets in Unicode code points of its text. --html prints one self-contained page (UTF-8)\n"
       "  with both files side by side in the program's colours (with STRUCTURE, by section).\n"
       "  STRUCTURE (--by-section, --ignore-position, --ignore-defaults, --defaults FILE) compares\n"
       "  two PowerBuilder exports by section, DataWindows by attribute: one line per section that\n"
       "  is not the same with its changed lines, or per DataWindow change; order alone is no\n"
       "  difference. --json prints {\"structured\", \"reason\", \"sections\", \"items\"}. A text that\n"
       "  is not understood is compared line by line, the reason on stderr.\n"
       "  -L LABEL (--label), once for each side, shows LABEL instead of the file's name (in -u\n"
       "  headers without its time), as git difftool passes them. /dev/null is an empty file:\n"
       "  the other file is shown whole as added or deleted.\n"
       "  Exit status: 0 the files are equal, 1 they differ, 2 trouble.\n",
       RunDiff},
      {"compare", "pair and classify the objects of two libraries",
       "usage: quorvex-cli compare [--ignore-case] [--ignore-blanks] [--ignore-comments] [STRUCTURE] [--json]\n"
       "                           LIB1 LIB2\n"
       "  One line per object pair in the object list's order (type letter, then name): name,\n"
       "  result (相同 same, 增加 added, 减少 deleted, 更改 changed), time 1, size 1, time 2,\n"
       "  size 2 and type letter, tab-separated, the cells of a missing side empty; then the line\n"
       "  \"Count1 Count2 Added Deleted Changed\" as five numbers. A pair whose size or time differ\n"
       "  is decided by comparing both sources, under the --ignore options of 'diff': added or\n"
       "  removed blank lines do not count (with --ignore-comments, neither do lines that hold\n"
       "  only a comment). --json prints {\"rows\": [...], \"counts\": {...}}; each row's \"change\"\n"
       "  says what kind of change the pair is: order, position, defaults, layout (joined by +)\n"
       "  or content. STRUCTURE: --by-section compares sources by section, DataWindows by\n"
       "  attribute (order is no change); --ignore-position and --ignore-defaults make DataWindow\n"
       "  positions and sizes, and attributes newer releases add with default values, no change;\n"
       "  --defaults FILE adds lines to the table of defaults (dwdefaults.txt). LIB1 and LIB2 are\n"
       "  one library each, of any kind; every object of a folder of exports or of a git revision\n"
       "  is compared by its content (byte-order marks, line ends and a missing last line break\n"
       "  are no change). Exit status: 0 every pair is the same, 1 some differ (or a library is\n"
       "  damaged), 2 trouble.\n",
       RunCompare},
      {"compare-libs", "pair and classify the libraries of two sides",
       "usage: quorvex-cli compare-libs [--objects] [--json] [--ignore-case] [--ignore-blanks]\n"
       "                                [--ignore-comments] [STRUCTURE] SIDE1 SIDE2\n"
       "  Each side is any side (see quorvex-cli --help): libraries, targets, workspaces, folders,\n"
       "  git:REV:PATH. One line per library pair by library name (pfcwnsrv.pbl, a pfcwnsrv.pbl.src\n"
       "  folder and a pfcwnsrv.pbl folder are one name): name, result, time 1, size 1, time 2,\n"
       "  size 2, tab-separated; then the five counts. Library files whose size or time differ, and\n"
       "  every pair with a folder or a revision, are compared object by object, under the\n"
       "  --ignore options and STRUCTURE as 'compare' does. A library a target names that cannot be\n"
       "  read gives a changed pair and a warning. --objects adds, for every changed pair, a line\n"
       "  \"== NAME\" and its object rows and counts as 'compare' prints them.\n"
       "  Progress goes to stderr when it is a terminal.\n"
       "  Exit status: 0 every pair is the same, 1 some differ or files are missing, 2 trouble.\n",
       RunCompareLibs},
  };
}

}  // namespace cli
