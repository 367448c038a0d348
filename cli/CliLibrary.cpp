// quorvex-cli list, export and libs: the directory and export text of libraries, and the library
// lists of targets and workspaces.
#include <cstdio>
#include <iostream>

#include "CliCommon.h"
#include "CliOutput.h"
#include "CliSides.h"
#include "pbl/PbFuncs.h"
#include "platform/Collation.h"
#include "platform/TextFile.h"

using pbl::PbTimeToDateTime;
using pbl::TDirList;
using pbl::TEntryRec;
using pbl::TReadReport;

namespace fs = std::filesystem;

namespace cli {
namespace {

int RunList(const std::vector<std::string>& words) {
  TArgs args = ParseArgs(words, {}, {"--json"});
  if (args.Operands.empty()) throw TUsageError("list: name at least one library");
  bool json = args.Has("--json"), warned = false, first = true;
  TSides sides;
  // Each argument's libraries, as one side each (a folder may hold several).
  std::vector<TLibSelection> perArgument;
  std::size_t total = 0;
  sides.ReadAhead(args.Operands);
  for (const std::string& lib : args.Operands) {
    perArgument.push_back(sides.Collect({lib}));
    total += perArgument.back().size();
  }
  warned = sides.Warn();
  if (json) std::cout << "[";
  for (const TLibSelection& selection : perArgument) {
    for (const auto& found : selection) {
      const std::string where = sides::LibraryLocation(*found.Rec);
      auto lib = sides.Open(*found.Rec);
      TDirList list = ReadEntries(*lib, *found.Rec, warned);
      if (!json && (args.Operands.size() > 1 || total > 1)) std::cout << "== " << Field(where) << "\n";
      for (const auto& item : list) {
        const TEntryRec& e = *item.Rec;
        std::string time = platform::FormatDateTime(PbTimeToDateTime(e.Time));
        if (json) {
          std::cout << (first ? "\n" : ",\n") << "  {\"library\": " << JsonString(where)
                    << ", \"name\": " << JsonString(Out(e.Name)) << ", \"key\": " << JsonString(Out(item.Key))
                    << ", \"size\": " << e.Size << ", \"time\": " << JsonString(time)
                    << ", \"commentLength\": " << e.CommentLen << ", \"unicode\": " << (e.IsUnicode ? "true" : "false")
                    << "}";
          first = false;
        } else {
          std::cout << FieldOf(e.Name) << '\t' << e.Size << '\t' << time << '\t' << e.CommentLen << '\n';
        }
      }
    }
  }
  if (json) std::cout << (first ? "]\n" : "\n]\n");
  return warned ? ExitWarn : ExitOk;
}

// A file name for an entry that cannot leave the output folder.
std::string SafeFileName(const std::string& utf8) {
  std::string name;
  for (char c : utf8) name += (c == '/' || c == '\\') ? '_' : c;
  if (name.empty() || name == "." || name == "..") name = "_" + name;
  return name;
}

int RunExport(const std::vector<std::string>& words) {
  TArgs args = ParseArgs(words, {"--out"}, {});
  if (args.Operands.empty()) throw TUsageError("export: name a library");
  TSides sides;
  std::unique_ptr<TFolderRec> rec = sides.Library(args.Operands[0]);
  bool warned = sides.Warn();
  auto lib = sides.Open(*rec);
  TDirList list = ReadEntries(*lib, *rec, warned);

  std::vector<const TEntryRec*> chosen;
  if (args.Operands.size() == 1) {
    for (const auto& item : list) chosen.push_back(item.Rec.get());
  } else {
    for (std::size_t i = 1; i < args.Operands.size(); ++i) {
      const std::string& wanted = args.Operands[i];
      bool found = false;
      for (const auto& item : list) {
        if (platform::SameNameNoCase(Out(item.Rec->Name), wanted)) {
          chosen.push_back(item.Rec.get());
          found = true;
        }
      }
      if (!found) throw TUsageError(args.Operands[0] + ": no entry named " + wanted);
    }
    // Entries come out in the order read, whatever the order of the names.
    std::vector<const TEntryRec*> ordered;
    for (const auto& item : list)
      if (std::find(chosen.begin(), chosen.end(), item.Rec.get()) != chosen.end()) ordered.push_back(item.Rec.get());
    chosen = ordered;
  }

  std::string outDir = args.Value("--out");
  if (!outDir.empty()) {
    std::error_code ec;
    fs::create_directories(outDir, ec);
    if (!fs::is_directory(outDir)) throw TUsageError(outDir + ": cannot create the output folder");
  }
  for (const TEntryRec* e : chosen) {
    std::vector<std::string> lines;
    TReadReport report;
    try {
      lib->Export(*e, lines, &report);
    } catch (const platform::TFileError& err) {
      std::cerr << "warning: " << err.what() << "\n";
      warned = true;
      continue;
    }
    if (!report.Clean()) {
      std::cerr << "warning: " << args.Operands[0] << ": " << Out(e->Name) << ": " << report.Describe() << "\n";
      warned = true;
    }
    if (outDir.empty()) {
      // The text is data: its bytes go to a pipe or file as the object holds them.
      std::string text;
      for (const std::string& line : lines) text += Out(line) + '\n';
      WriteOut(text);
      continue;
    }
    std::string text;
    for (const std::string& line : lines) text += Out(line) + "\r\n";
    fs::path target = fs::path(outDir) / SafeFileName(Out(e->Name));
    try {
      platform::WriteFileBytes(target, text);
    } catch (const platform::TFileError& err) {
      throw TUsageError(err.what());
    }
  }
  return warned ? ExitWarn : ExitOk;
}

int RunLibs(const std::vector<std::string>& words) {
  TArgs args = ParseArgs(words, {"--type"}, {"--json"});
  if (args.Operands.empty()) throw TUsageError("libs: name at least one library, target or workspace");
  int type = sides::ftAuto;
  if (args.Has("--type")) {
    std::string t = platform::AsciiUpper(args.Value("--type"));
    if (t == "PBL")
      type = sides::ftLibraries;
    else if (t == "PBT")
      type = sides::ftTarget;
    else if (t == "PBW")
      type = sides::ftWorkspace;
    else
      throw TUsageError("--type must be pbl, pbt or pbw, not " + args.Value("--type"));
  }
  // All the files as one collection: each library once, each problem once, in the order met.
  TSides sides;
  TLibSelection selection = sides.Collect(args.Operands, type);
  bool warned = sides.Warn();
  bool json = args.Has("--json"), first = true;
  if (json) std::cout << "[";
  for (const auto& item : selection) {
    const TFolderRec& r = *item.Rec;
    fs::path absolute = fs::absolute(r.Path).lexically_normal();
    if (!absolute.has_filename() && absolute.has_relative_path()) absolute = absolute.parent_path();
    std::string full = r.Revision ? sides::LibraryLocation(r) : platform::PathText(absolute);
    std::string time = platform::FormatDateTime(r.Time);
    if (json) {
      static const char* const kKinds[] = {"file", "folder", "revision file", "revision folder"};
      std::cout << (first ? "\n" : ",\n") << "  {\"name\": " << JsonString(item.Key) << ", \"path\": " << JsonString(full)
                << ", \"size\": " << r.Size << ", \"time\": " << JsonString(time)
                << ", \"folder\": " << (r.IsDir ? "true" : "false")
                << ", \"kind\": " << JsonString(kKinds[static_cast<int>(sides::KindOf(r))]) << "}";
      first = false;
    } else {
      std::cout << Field(item.Key) << '\t' << Field(full) << '\t' << r.Size << '\t' << time << '\n';
    }
  }
  if (json) std::cout << (first ? "]\n" : "\n]\n");
  return warned ? ExitWarn : ExitOk;
}

}  // namespace

std::vector<TCommand> LibraryCommands() {
  return {
      {"list", "list the source entries of libraries",
       "usage: quorvex-cli list [--json] LIB...\n"
       "  One line per source entry, in the order read: name, size, time (yyyy-mm-dd hh:nn:ss)\n"
       "  and comment length, separated by tabs. With several libraries a line \"== PATH\" comes\n"
       "  before each. --json prints a JSON array of objects instead. A LIB may be any side (see\n"
       "  quorvex-cli --help): each of its libraries is listed; an exported object's size is its\n"
       "  file's, its time the file's (in a git revision: the commit's).\n",
       RunList},
      {"export", "print or write the export text of library entries",
       "usage: quorvex-cli export [--out DIR] LIB [NAME...]\n"
       "  The export text of the named entries (names with extension, any letter case; all source\n"
       "  entries when none is named), in the order read, as UTF-8 with LF line ends.\n"
       "  --out DIR writes one file per entry instead, DIR/NAME, UTF-8 with CR LF. LIB is one\n"
       "  library of any kind; exported files are decoded (UTF-8, UTF-16, HEXASCII, code page).\n",
       RunExport},
      {"libs", "expand sides (targets, workspaces, folders, revisions) into their libraries",
       "usage: quorvex-cli libs [--type pbl|pbt|pbw] [--json] FILE...\n"
       "  One line per library: library name, full path (or git:REV:PATH), size and last-write\n"
       "  time, separated by tabs; each library once, however often the files name it. The type\n"
       "  comes from each file's extension unless --type is given; a folder is a folder library or\n"
       "  a folder of libraries. Problems go to stderr, each once, in the order met: \"PATH does\n"
       "  not exist\", a warning for a library that cannot be read or is left out because another\n"
       "  library of its name was met first (a library file goes before a folder of exports).\n"
       "  --json adds \"folder\" and \"kind\" (file, folder, revision file, revision folder).\n",
       RunLibs},
  };
}

}  // namespace cli
