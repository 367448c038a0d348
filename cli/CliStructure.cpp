// quorvex-cli diff --by-section and textconv: PowerBuilder sources by section, DataWindows by
// attribute.
#include "CliStructure.h"
#include "CliOutput.h"

#include <iostream>

#include "compare/SideText.h"
#include "compare/Structured.h"
#include "diff/HashUnit.h"
#include "pbparse/Compare.h"
#include "pbparse/DataWindow.h"
#include "pbparse/Defaults.h"
#include "platform/CodePage.h"
#include "platform/FileSys.h"
#include "platform/System.h"

using diff::SameLines;

namespace cli {
namespace {

std::filesystem::path ProgramDir() { return platform::ProgramFile().parent_path(); }

std::vector<std::string> LoadFile(const std::string& arg) {
  auto found = platform::FindPathNoCase(arg);
  if (!found) throw TUsageError(arg + ": " + platform::MissingReason(arg));
  try {
    return compare::LoadSideText(*found).ToVector();
  } catch (const platform::TFileError& e) {
    throw TUsageError(e.what());
  }
}

std::string Lines(const pbparse::TSection* s) {
  if (!s) return "null";
  return "[" + std::to_string(s->First + 1) + ", " + std::to_string(s->Last + 1) + "]";
}

std::string KindOf(const pbparse::TSection& s) {
  return s.Kind == pbparse::TSectionKind::Object ? s.Keyword : pbparse::KindName(s.Kind);
}

std::string OptionalJson(const std::optional<std::string>& v) { return v ? JsonString(Out(*v)) : "null"; }

struct TSides {
  const pbparse::TStructure& S1;
  const pbparse::TStructure& S2;
  const pbparse::TSection* Section(const pbparse::TSectionPair& p, int side) const {
    std::int32_t i = side == 1 ? p.Index1 : p.Index2;
    const auto& sections = side == 1 ? S1.Sections : S2.Sections;
    return i >= 0 && i < static_cast<std::int32_t>(sections.size()) ? &sections[static_cast<std::size_t>(i)] : nullptr;
  }
  const pbparse::TSection& Either(const pbparse::TSectionPair& p) const {
    const pbparse::TSection* s = Section(p, 1);
    return s ? *s : *Section(p, 2);
  }
};

void PrintJson(const pbparse::TStructuredDiff& d, const TSides& sides) {
  std::cout << "{\"structured\": " << (d.Structured ? "true" : "false")
            << ", \"reason\": " << (d.Structured ? "null" : JsonString(Out(d.Reason))) << ", \"sections\": [";
  for (std::size_t i = 0; i < d.Pairs.size(); ++i) {
    const auto& p = d.Pairs[i];
    const pbparse::TSection& s = sides.Either(p);
    std::cout << (i ? ",\n  " : "\n  ") << "{\"key\": " << JsonString(Out(s.Key)) << ", \"kind\": " << JsonString(Out(KindOf(s)))
              << ", \"status\": " << JsonString(pbparse::StatusName(p.Status))
              << ", \"changed\": " << (p.Changed ? "true" : "false") << ", \"lines1\": " << Lines(sides.Section(p, 1))
              << ", \"lines2\": " << Lines(sides.Section(p, 2)) << "}";
  }
  std::cout << (d.Pairs.empty() ? "" : "\n") << "], \"items\": [";
  for (std::size_t i = 0; i < d.Items.size(); ++i) {
    const auto& item = d.Items[i];
    std::cout << (i ? ",\n  " : "\n  ") << "{\"object\": " << JsonString(Out(item.Object))
              << ", \"attribute\": " << (item.Attribute.empty() ? "null" : JsonString(Out(item.Attribute)))
              << ", \"status\": " << JsonString(pbparse::StatusName(item.Status)) << ", \"old\": " << OptionalJson(item.Old)
              << ", \"new\": " << OptionalJson(item.New) << "}";
  }
  std::cout << (d.Items.empty() ? "" : "\n") << "]}\n";
}

std::string Range(const pbparse::TSection* s) {
  if (!s) return "-";
  return s->First == s->Last ? std::to_string(s->First + 1) : std::to_string(s->First + 1) + "-" + std::to_string(s->Last + 1);
}

std::string Padded(std::string s, std::size_t width) {
  if (s.size() < width) s.resize(width, ' ');
  return s;
}

// Script objects: one line per section that is not the same, with its differing lines under it.
// DataWindows: one line per item. Then the counts.
void PrintText(const pbparse::TStructuredDiff& d, const TSides& sides, const std::vector<std::string>& text1,
               const std::vector<std::string>& text2, const std::vector<std::string>& compared1,
               const std::vector<std::string>& compared2, const pbparse::TCompareRules& rules) {
  const bool dataWindow = sides.S1.Type == pbparse::TTextType::DataWindow;
  std::vector<pbparse::TSectionRow> rows;
  if (!dataWindow) rows = pbparse::SectionRows(d, sides.S1, compared1, sides.S2, compared2, rules);
  std::size_t row = 0;
  int counts[5] = {};
  for (std::size_t i = 0; i < d.Pairs.size(); ++i) {
    const auto& p = d.Pairs[i];
    ++counts[static_cast<int>(p.Status)];
    // A DataWindow's changes are its items, below.
    const bool shown = p.Status != pbparse::TSectionStatus::Same && !dataWindow;
    if (shown) {
      std::string status = pbparse::StatusName(p.Status);
      if (p.Status == pbparse::TSectionStatus::Moved && p.Changed) status += "+changed";
      std::cout << Padded(status, 17) << Out(sides.Either(p).Key) << "  " << Range(sides.Section(p, 1)) << " / "
                << Range(sides.Section(p, 2)) << "\n";
    }
    for (; row < rows.size() && rows[row].Pair == static_cast<std::int32_t>(i); ++row) {
      const auto& r = rows[row];
      if (!shown || r.Kind == 0 || !p.Changed) continue;
      // Blank lines added or removed are no change (as in the object check).
      const std::string& only = r.Line1 >= 0 ? text1[static_cast<std::size_t>(r.Line1)] : text2[static_cast<std::size_t>(r.Line2)];
      if (r.Kind != 3 && only.find_first_not_of(" \t") == std::string::npos) continue;
      if (r.Line1 >= 0) std::cout << "  - " << r.Line1 + 1 << ": " << Out(text1[static_cast<std::size_t>(r.Line1)]) << "\n";
      if (r.Line2 >= 0) std::cout << "  + " << r.Line2 + 1 << ": " << Out(text2[static_cast<std::size_t>(r.Line2)]) << "\n";
    }
  }
  for (const auto& item : d.Items) {
    std::string where = item.Object + (item.Attribute.empty() ? "" : ": " + item.Attribute);
    std::cout << Padded(pbparse::StatusName(item.Status), 17) << Out(where);
    if (item.Old && item.New) std::cout << "  " << Out(*item.Old) << " -> " << Out(*item.New);
    else if (item.Old || item.New) std::cout << "  " << Out(item.Old ? *item.Old : *item.New);
    std::cout << "\n";
  }
  std::cout << "sections: " << counts[0] << " same, " << counts[1] << " changed, " << counts[2] << " moved, "
            << counts[3] << " added, " << counts[4] << " deleted";
  if (dataWindow) std::cout << "; " << d.Items.size() << (d.Items.size() == 1 ? " change" : " changes");
  std::cout << "\n";
}

int RunTextconv(const std::vector<std::string>& words) {
  TArgs args = ParseArgs(words, {}, {});
  if (args.Operands.size() != 1) throw TUsageError("textconv: name one file");
  std::vector<std::string> lines = LoadFile(args.Operands[0]);
  pbparse::TStructure s = pbparse::ParseStructure(lines, args.Operands[0]);
  if (s.DataWindow) {
    pbparse::TTextForm form = pbparse::DataWindowTextForm(lines, *s.DataWindow);
    // Each object's first line names it ("text(  // t_1"), so that a hunk header taken from it by
    // git's funcname pattern says which control changed; name= itself may stand far below.
    for (std::size_t i = 0; i < form.Lines.size(); ++i) {
      const pbparse::TLineOrigin& o = form.Origins[i];
      const std::size_t blank = o.Object.rfind(' ');
      if (o.Attribute.empty() && form.Lines[i].ends_with('(') && blank != std::string::npos)
        form.Lines[i] += "  // " + o.Object.substr(blank + 1);
    }
    lines = std::move(form.Lines);
  } else if (s.Type == pbparse::TTextType::Plain && pbparse::LooksLikeDataWindow(lines)) {
    std::cerr << "quorvex-cli textconv: " << args.Operands[0] << ": shown as it is: " << Out(s.Reason) << "\n";
  }
  std::string text;
  for (const std::string& line : lines) text += Out(line) + '\n';
  WriteOut(text);
  return ExitOk;
}

}  // namespace

std::vector<std::string> WithStructureSwitches(std::vector<std::string> switches) {
  for (const char* s : {"--by-section", "--ignore-position", "--ignore-defaults"}) switches.push_back(s);
  return switches;
}
std::vector<std::string> StructureValueFlags() { return {"--defaults"}; }

bool WantsStructure(const TArgs& args) {
  return args.Has("--by-section") || args.Has("--ignore-position") || args.Has("--ignore-defaults");
}

compare::TCompareOptions StructureOptions(const TArgs& args, compare::TCompareOptions base) {
  compare::TCompareOptions options = std::move(base);
  options.BySection = args.Has("--by-section");
  options.IgnorePosition = args.Has("--ignore-position");
  options.IgnoreDefaults = args.Has("--ignore-defaults");
  std::vector<std::filesystem::path> extra;
  for (const auto& [flag, value] : args.Flags) {
    if (flag != "--defaults") continue;
    auto found = platform::FindPathNoCase(value);
    if (!found) throw TUsageError(value + ": " + platform::MissingReason(value));
    extra.push_back(*found);
  }
  pbparse::TLoadedDefaults loaded;
  try {
    loaded = pbparse::LoadDefaults(ProgramDir(), extra);
  } catch (const platform::TFileError& e) {
    throw TUsageError(e.what());
  }
  for (const std::string& w : loaded.Warnings) std::cerr << "warning: " << w << "\n";
  if (options.IgnoreDefaults && !loaded.Table) {
    std::string looked;
    for (const auto& p : loaded.Looked) looked += (looked.empty() ? "" : ", ") + platform::PathText(p);
    throw TUsageError(std::string("--ignore-defaults: no table of defaults (") + pbparse::kDefaultsFileName +
                      ") found; looked in " + (looked.empty() ? "no folder" : looked) + "; name one with --defaults FILE");
  }
  // The table lives as long as the program: the options only point to it.
  static std::shared_ptr<const pbparse::TDefaults> table;
  table = loaded.Table;
  options.Defaults = table.get();
  return options;
}

int RunStructuredDiff(const TArgs& args, const std::vector<std::string>& text1, const std::vector<std::string>& text2,
                      const compare::TCompareOptions& options) {
  const pbparse::TStructure s1 = pbparse::ParseStructure(text1, args.Operands[0]);
  const pbparse::TStructure s2 = pbparse::ParseStructure(text2, args.Operands[1]);
  const pbparse::TCompareRules rules = compare::StructureRules(options);
  // The lines as compared (without comments under --ignore-comments); the lines shown are the
  // texts as they are.
  const std::vector<std::string> compared1 = compare::StructureLines(text1, s1, options);
  const std::vector<std::string> compared2 = compare::StructureLines(text2, s2, options);
  const pbparse::TStructuredDiff d = pbparse::CompareStructures(s1, compared1, s2, compared2, rules);
  const TSides sides{s1, s2};
  if (args.Has("--json")) {
    PrintJson(d, sides);
    if (d.Structured) return d.Same ? ExitOk : ExitWarn;
    return SameLines(text1, text2, options.IgnoreCase, options.IgnoreBlanks) ? ExitOk : ExitWarn;
  }
  if (!d.Structured) {
    std::cerr << "quorvex-cli diff: compared line by line: " << Out(d.Reason) << "\n";
    return -1;
  }
  PrintText(d, sides, text1, text2, compared1, compared2, rules);
  return d.Same ? ExitOk : ExitWarn;
}

std::string ChangeKindField(std::uint8_t kind) { return compare::ChangeKindText(kind); }

std::vector<TCommand> StructureCommands() {
  return {
      {"textconv", "a DataWindow one attribute per line (for git diff)",
       "usage: quorvex-cli textconv FILE\n"
       "  Prints a DataWindow source (.srd; also queries .srq and pipelines .srp) one attribute per\n"
       "  line in UTF-8: the export header, the release line, then each object as \"keyword(\", its\n"
       "  attributes indented by a tab (the table's columns as \"column=(\" with theirs indented\n"
       "  twice) and \")\". Any other text is printed as it is, decoded to UTF-8. For git:\n"
       "    .gitattributes:  *.srd diff=pbdw\n"
       "    git config diff.pbdw.textconv \"quorvex-cli textconv\"\n"
       "  Exit status: 0 printed, 2 the file cannot be read.\n",
       RunTextconv},
  };
}

}  // namespace cli
