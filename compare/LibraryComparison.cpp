#include "compare/LibraryComparison.h"

#include <algorithm>

#include "platform/FileSys.h"

namespace fs = std::filesystem;

namespace compare {

namespace {

// A path as a note names it: without "dir/.." parts.
std::string Shown(const fs::path& p) { return p.lexically_normal().string(); }

}  // namespace

TLibraryComparison::TLibraryComparison() : diff_(std::make_unique<TDiff>()) {
  // The engine's search steps are where a caller stays alive during a pairing; the options are
  // read again after each, so that the next equality test uses them as they are then.
  diff_->OnStep = [this](TDiff&) {
    if (OnStep) OnStep();
    check_.Options = Options ? Options() : TCompareOptions{};
  };
}

TLibraryComparison::~TLibraryComparison() = default;

void TLibraryComparison::Reset() {
  for (TSide side : AllSides) {
    Clear(side);
    objects_[side].clear();
    open_[side].reset();
    openRecs_[side].reset();
    paths_[side].clear();
  }
  objectPairs_.clear();
  libraryCounts_ = objectCounts_ = {};
}

// ---- the library list ------------------------------------------------------------------------

sides::TSideReport TLibraryComparison::Add(TSide side, const std::vector<fs::path>& files, int fileType,
                                           const fs::path& repository) {
  TLibSelection& list = libraries_[side];
  sides::TSideReport report;
  sides::TSideCollector collector(repository);
  collector.LibraryFiles = LibraryFiles;
  collector.CountDifferences = [this](const TFolderRec& file, const TFolderRec& exports) {
    TObjectCheck check = CheckBase;
    check.Diff = diff_.get();
    check.Options = Options ? Options() : TCompareOptions{};
    check.Memo = nullptr;
    return CountObjectDifferences(file, exports, check);
  };
  TLibSelection selection = collector.Collect(files, fileType, report, &list);
  told_.Add(report);
  for (const fs::path& f : files) {
    std::string rev, path;
    // A git side is kept as written, with the repository it names a revision of. What is not
    // there is told once and not kept.
    const bool git = sides::ParseGitSide(f.string(), rev, path);
    std::error_code ec;
    if (git ? report.Contains({sides::TProblemKind::Missing, f.string(), {}, {}}) : !fs::exists(f, ec)) continue;
    const fs::path whole =
        git ? fs::path(f.string() + kRepositorySeparator +
                       fs::absolute(repository.empty() ? "." : repository).lexically_normal().string())
            : fs::absolute(f);
    if (std::find(added_[side].begin(), added_[side].end(), whole) == added_[side].end()) added_[side].push_back(whole);
  }
  Add(side, std::move(selection));
  return report;
}

void TLibraryComparison::Add(TSide side, TLibSelection libraries) {
  for (auto& item : libraries) libraries_[side].push_back(std::move(item));
  libraryPairs_.clear();  // stale until paired again
  libraryCounts_.Count1 = static_cast<std::int32_t>(libraries_[Side1].size());
  libraryCounts_.Count2 = static_cast<std::int32_t>(libraries_[Side2].size());
}

void TLibraryComparison::Clear(TSide side) {
  libraries_[side].clear();
  added_[side].clear();
  libraryPairs_.clear();
  (side == Side1 ? libraryCounts_.Count1 : libraryCounts_.Count2) = 0;
}

void TLibraryComparison::PairLibraries() {
  libraryPairs_.clear();
  libraryCounts_.Added = libraryCounts_.Deleted = libraryCounts_.Changed = 0;
  auto same = [this](const TFolderRec& a, const TFolderRec& b) { return SameLibrary(a, b); };
  auto progress = [this](std::size_t made, int percent) {
    if (OnProgress) OnProgress(made, percent);
    if (Cancelled && Cancelled()) throw TPairingCancelled();
  };
  libraryPairs_ = ::PairLibraries(libraries_[Side1], libraries_[Side2], libraryCounts_, same, progress);
}

TObjectCheck& TLibraryComparison::Check(TReadReport* report, sides::TSideReport* problems) {
  check_ = CheckBase;
  check_.Diff = diff_.get();
  check_.Options = Options ? Options() : TCompareOptions{};
  check_.Report = report;
  check_.Problems = problems;
  return check_;
}

bool TLibraryComparison::SameLibrary(const TFolderRec& rec1, const TFolderRec& rec2) {
  TReadReport report;
  sides::TSideReport problems;
  const bool same = ::SameLibrary(rec1, rec2, Check(&report, &problems));
  check_.Report = nullptr;
  check_.Problems = nullptr;
  Note(sides::LibraryLocation(rec1) + ", " + sides::LibraryLocation(rec2), report);
  NoteProblems(problems);
  return same;
}

// ---- the object list -------------------------------------------------------------------------

void TLibraryComparison::ReadSide(TSide side, const TFolderRec& rec) {
  objects_[side].clear();
  open_[side].reset();
  open_[side] = sides::OpenLibrary(rec, false);  // the object list shows no comment
  openRecs_[side] = rec;
  paths_[side] = sides::LibraryLocation(rec);
  TReadReport report;
  open_[side]->ReadDirectory(objects_[side], &report);
  Note(Shown(paths_[side]), report);
}

void TLibraryComparison::PairObjects() {
  for (TSide side : AllSides) SortDirList(objects_[side]);
  objectCounts_.Count1 = static_cast<std::int32_t>(objects_[Side1].size());
  objectCounts_.Count2 = static_cast<std::int32_t>(objects_[Side2].size());
  TReadReport report;
  sides::TSideReport problems;
  objectPairs_ = CompareObjects(objects_[Side1], open_[Side1].get(), objects_[Side2], open_[Side2].get(), objectCounts_,
                                Check(&report, &problems));
  check_.Report = nullptr;
  check_.Problems = nullptr;
  NoteProblems(problems);
  Note(Shown(paths_[Side1]) + ", " + Shown(paths_[Side2]), report);
}

void TLibraryComparison::OpenPair(std::size_t pair) {
  for (TSide side : AllSides) objects_[side].clear();
  objectPairs_.clear();
  if (pair >= libraryPairs_.size()) return;
  const TPair libraries = libraryPairs_[pair];
  try {
    for (TSide side : AllSides) {
      if (const TKeyed<TFolderRec>* item = ItemOf(libraries_[side], libraries, side)) {
        ReadSide(side, *item->Rec);
      } else {
        // The side's library stays named (the captions of its missing objects say where) but is
        // not read again.
        open_[side].reset();
        openRecs_[side].reset();
      }
    }
    PairObjects();
  } catch (...) {
    for (TSide side : AllSides) objects_[side].clear();
    objectPairs_.clear();
    objectCounts_ = {};
    throw;
  }
}

void TLibraryComparison::OpenOne(TSide side, const fs::path& path) {
  try {
    std::unique_ptr<TFolderRec> rec = GetFolderRec(path);
    if (!rec) throw platform::TFileError("Cannot open file \"" + platform::PathText(path) + "\". No such file or directory");
    ReadSide(side, *rec);
    PairObjects();
  } catch (...) {
    // The pairs no longer hold for the lists.
    objectPairs_.clear();
    objectCounts_ = {static_cast<std::int32_t>(objects_[Side1].size()),
                     static_cast<std::int32_t>(objects_[Side2].size()), 0, 0, 0};
    throw;
  }
}

bool TLibraryComparison::ReadObjectsAgain() {
  if (std::none_of(openRecs_.begin(), openRecs_.end(), [](const auto& rec) { return rec.has_value(); })) return false;
  const auto recs = openRecs_;
  for (TSide side : AllSides) objects_[side].clear();
  objectPairs_.clear();
  for (TSide side : AllSides)
    if (recs[side]) ReadSide(side, *recs[side]);
  PairObjects();
  return true;
}

void TLibraryComparison::Export(const TPair& pair, TSide side, const std::string& what, std::vector<std::string>& lines) {
  const TKeyed<TEntryRec>* item = ItemOf(objects_[side], pair, side);
  if (!item || !open_[side]) return;
  TReadReport report;
  open_[side]->Export(*item->Rec, lines, &report);
  Note(what, report);
}

// ---- notes -----------------------------------------------------------------------------------

void TLibraryComparison::BeginCommand() {
  notes_.clear();
  told_ = {};
  problems_ = {};
}

void TLibraryComparison::Note(const std::string& what, const TReadReport& report) {
  if (!report.Clean()) notes_.push_back({what, report});
}

void TLibraryComparison::NoteProblems(const sides::TSideReport& report) {
  for (const sides::TSideProblem& p : report.Problems()) {
    problems_.Add(p);
    if (told_.Contains(p)) continue;
    told_.Add(p);
    notes_.push_back({sides::TSideReport::Describe(p), TReadReport{}});
  }
}

std::vector<TReadNote> TLibraryComparison::TakeNotes() { return std::exchange(notes_, {}); }

}  // namespace compare
