#include "compare/LibraryComparison.h"

#include <algorithm>

#include "platform/CodePage.h"
#include "platform/FileSys.h"
#include "sides/ExportFile.h"

using diff::TDiff;

using pbl::TEntryRec;
using pbl::TKeyed;
using pbl::TReadReport;

namespace fs = std::filesystem;

namespace compare {

namespace {

// A path as a note names it: without "dir/.." parts.
std::string Shown(const fs::path& p) { return p.lexically_normal().string(); }

TSide OtherSide(TSide side) { return side == Side1 ? Side2 : Side1; }

fs::path Utf8Path(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }

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

// ---- writing folder libraries ----------------------------------------------------------------

TLibraryComparison::TWriteBlock TLibraryComparison::WriteBlock(TSide side) const {
  if (!openRecs_[side]) return TWriteBlock::NoLibrary;
  switch (sides::KindOf(*openRecs_[side])) {
    case sides::TLibKind::File: return TWriteBlock::LibraryFile;
    case sides::TLibKind::RevisionFile:
    case sides::TLibKind::RevisionFolder: return TWriteBlock::Revision;
    case sides::TLibKind::Folder: break;
  }
  return openRecs_[side]->ObjectList.empty() ? TWriteBlock::None : TWriteBlock::ObjectList;
}

std::string TLibraryComparison::WhyReadOnly(TSide side) const {
  switch (WriteBlock(side)) {
    case TWriteBlock::None: return {};
    case TWriteBlock::NoLibrary: return "This side has no library open.";
    case TWriteBlock::LibraryFile: return "A library file is only read.";
    case TWriteBlock::Revision: return "A git revision is only read.";
    case TWriteBlock::ObjectList:
      return "This folder is read through its object list, which a copied file would not be in.";
  }
  return {};
}

void TLibraryComparison::RequireWritable(TSide side) const {
  const std::string why = WhyReadOnly(side);
  if (!why.empty()) throw std::logic_error(why);
}

fs::path TLibraryComparison::ObjectFile(const TPair& pair, TSide side) const {
  const TKeyed<TEntryRec>* item = ItemOf(objects_[side], pair, side);
  return item && open_[side] ? open_[side]->ObjectFile(*item->Rec) : fs::path();
}

fs::path TLibraryComparison::CopyTarget(const TPair& pair, TSide to) const {
  if (!WhyReadOnly(to).empty()) return {};
  const TKeyed<TEntryRec>* from = ItemOf(objects_[OtherSide(to)], pair, OtherSide(to));
  if (!from) return {};
  if (pair.Has(to)) return ObjectFile(pair, to);
  // A name from a library file is no path: one that would leave the folder is not written.
  const std::string name = platform::CodePageToUtf8(from->Rec->Name);
  if (name.find_first_of("/\\") != std::string::npos || !sides::IsExportFileName(name)) return {};
  return openRecs_[to]->Path / Utf8Path(name);
}

platform::TTextFormat TLibraryComparison::ExportFormat(const TPair& pair, TSide to) {
  platform::TTextFormat utf8;
  utf8.Encoding = platform::TTextEncoding::Utf8;
  const TKeyed<TEntryRec>* sample = ItemOf(objects_[to], pair, to);
  if (!sample && !objects_[to].empty()) sample = &objects_[to].front();
  if (!sample || !open_[to]) return utf8;
  const std::optional<std::string> bytes = open_[to]->ObjectBytes(*sample->Rec);
  if (!bytes) return utf8;
  platform::TTextFormat format = platform::DetectTextFormat(*bytes);
  format.FinalBreak = true;
  // Text without a mark that is ASCII alone says nothing of the encoding.
  if (format.Encoding == platform::TTextEncoding::CodePage && !format.HexAscii &&
      platform::FindNonAscii(*bytes) == std::string::npos)
    format.Encoding = platform::TTextEncoding::Utf8;
  return format;
}

std::string TLibraryComparison::CopyBytes(const TPair& pair, TSide to) {
  RequireWritable(to);
  const TSide from = OtherSide(to);
  const TKeyed<TEntryRec>* item = ItemOf(objects_[from], pair, from);
  if (!item || !open_[from]) throw std::logic_error("The pair has no object to copy.");
  // Between folders on disk the file goes as it is; a revision's file is encoded as the target's,
  // as an export from a library file is.
  if (openRecs_[from] && sides::KindOf(*openRecs_[from]) == sides::TLibKind::Folder)
    if (std::optional<std::string> bytes = open_[from]->ObjectBytes(*item->Rec)) return std::move(*bytes);
  std::vector<std::string> lines;
  TReadReport report;
  open_[from]->Export(*item->Rec, lines, &report);
  Note(open_[from]->EntryLocation(*item->Rec), report);
  return platform::EncodeTextLines(CopyTarget(pair, to), lines, ExportFormat(pair, to));
}

void TLibraryComparison::CopyObject(const TPair& pair, TSide to) {
  const fs::path target = CopyTarget(pair, to);
  if (target.empty()) {
    RequireWritable(to);
    throw std::logic_error("The object cannot be copied to this side.");
  }
  platform::WriteFileBytes(target, CopyBytes(pair, to));
  ReadObjectsAgain();
}

void TLibraryComparison::DeleteObject(const TPair& pair, TSide side) {
  RequireWritable(side);
  const fs::path file = ObjectFile(pair, side);
  if (file.empty()) throw std::logic_error("The side has no such object.");
  std::error_code ec;
  if (!fs::remove(file, ec) || ec)
    throw platform::TFileError("Cannot delete \"" + platform::PathText(file) + "\". " +
                               (ec ? ec.message() : std::string("No such file or directory")));
  ReadObjectsAgain();
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
    notes_.push_back({sides::TSideReport::Describe(p), TReadReport{}, p});
  }
}

std::vector<TReadNote> TLibraryComparison::TakeNotes() { return std::exchange(notes_, {}); }

}  // namespace compare
