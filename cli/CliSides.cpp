#include "CliSides.h"

#include <iostream>

#include "CliCommon.h"
#include "compare/Pairing.h"
#include "diff/DiffUnit.h"
#include "platform/FileSys.h"
#include "sides/GitTree.h"

using diff::TDiff;

using pbl::TDirList;
using pbl::TReadReport;

namespace fs = std::filesystem;

namespace cli {

TSides::TSides() : diff_(std::make_unique<TDiff>()) {
  collector_.LibraryFiles = LibraryFiles;
  collector_.CountDifferences = [this](const TFolderRec& file, const TFolderRec& exports) {
    TObjectCheck check{diff_.get(), {}};
    check.Kinds = false;
    check.Disk = collector_.DiskTree();
    return CountObjectDifferences(file, exports, check);
  };
}

TSides::~TSides() = default;

void TSides::ReadAhead(const std::vector<std::string>& args) {
  std::vector<fs::path> sides(args.begin(), args.end());
  collector_.ReadAhead(sides);
}

TLibSelection TSides::Collect(const std::vector<std::string>& args, int type) {
  std::vector<sides::TSideCollector::TGiven> given;
  for (const std::string& a : args) given.push_back({fs::path(a), type});
  sides::TSideReport report;
  TLibSelection selection;
  try {
    selection = collector_.Collect(given, report);
  } catch (const platform::TFileError& e) {
    throw TUsageError(e.what());
  }
  // What was given and cannot be used at all ends the command.
  for (const sides::TSideProblem& p : report.Problems()) {
    if (!p.Given) continue;
    if (p.Kind == sides::TProblemKind::Missing)
      throw TUsageError(p.Where + ": " + (p.Where.rfind("git:", 0) == 0 ? "no such file" : platform::MissingReason(p.Where)));
    if (p.Kind == sides::TProblemKind::Unreadable) throw TUsageError(p.Detail);
  }
  Report.Add(report);
  NoteRepositories();
  return selection;
}

void TSides::NoteRepositories() {
  // Where the environment would point a plain git elsewhere, say which repository was read.
  const std::vector<std::string> ignored = sides::TGitRevision::IgnoredVariables();
  if (ignored.empty()) return;
  std::string names;
  for (const std::string& v : ignored) names += (names.empty() ? "" : ", ") + v;
  for (const auto& [rev, revision] : collector_.Revisions()) {
    const std::string repo = platform::PathText(revision->Repository());
    if (!noted_.insert(repo).second) continue;
    std::cerr << "note: git sides are read from the repository \"" << repo << "\", not from " << names
              << " of the environment\n";
  }
}

std::unique_ptr<TFolderRec> TSides::Library(const std::string& arg) {
  TLibSelection found = Collect({arg});
  if (found.size() != 1) {
    Warn();
    throw TUsageError(arg + ": " + (found.empty() ? std::string("no library there")
                                                  : "holds " + std::to_string(found.size()) + " libraries, not one"));
  }
  return std::move(found.front().Rec);
}

std::unique_ptr<sides::TLibrary> TSides::Open(const TFolderRec& rec, bool comments) {
  try {
    return sides::OpenLibrary(rec, comments, collector_.DiskTree());
  } catch (const platform::TFileError& e) {
    throw TUsageError(e.what());
  }
}

bool TSides::Warn() {
  const auto& problems = Report.Problems();
  std::string text;  // written at once: a target may name thousands of missing libraries
  for (; said_ < problems.size(); ++said_) {
    const sides::TSideProblem& p = problems[said_];
    // Missing libraries and names already on a side are said as the library list says them.
    const bool plain = p.Kind == sides::TProblemKind::Missing ||
                       (p.Kind == sides::TProblemKind::Duplicate && p.Kept.empty());
    text += (plain ? "" : "warning: ") + sides::TSideReport::Describe(p) + "\n";
  }
  std::cerr << text;
  return std::any_of(problems.begin(), problems.end(),
                     [](const sides::TSideProblem& p) { return p.Kind != sides::TProblemKind::Duplicate; });
}

TDirList ReadEntries(sides::TLibrary& lib, const TFolderRec& rec, bool& warned) {
  TDirList list;
  TReadReport report;
  try {
    lib.ReadDirectory(list, &report);
  } catch (const platform::TFileError& e) {
    throw TUsageError(e.what());
  }
  if (!report.Clean()) {
    std::cerr << "warning: " << sides::LibraryLocation(rec) << ": " << report.Describe() << "\n";
    warned = true;
  }
  return list;
}

}  // namespace cli
