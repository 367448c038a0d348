#include "Collect.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <numeric>
#include <optional>
#include <set>

#include "platform/CodePage.h"
#include "platform/Collation.h"
#include "platform/System.h"
#include "platform/TextFile.h"
#include "sides/ExportFile.h"
#include "sides/GitTree.h"
#include "sides/SourceTree.h"

using pbl::ReadPbtLibList;
using pbl::ReadPbwTargets;
using pbl::TListFileReader;

namespace fs = std::filesystem;

namespace sides {

// ---- the report -------------------------------------------------------------------------------

TSideReport::TSideReport() = default;
TSideReport::~TSideReport() = default;
TSideReport::TSideReport(const TSideReport& other) = default;
TSideReport& TSideReport::operator=(const TSideReport& other) = default;

void TSideReport::Add(TSideProblem problem) {
  if (!seen_.emplace(problem.Kind, problem.Where).second) return;
  problems_.push_back(std::move(problem));
}

void TSideReport::Add(const TSideReport& other) {
  for (const TSideProblem& p : other.problems_) Add(p);
}

std::size_t TSideReport::Count(TProblemKind kind) const {
  return static_cast<std::size_t>(
      std::count_if(problems_.begin(), problems_.end(), [&](const TSideProblem& p) { return p.Kind == kind; }));
}

std::string TSideReport::Describe(const TSideProblem& p) {
  switch (p.Kind) {
    case TProblemKind::Missing: return p.Where + " does not exist";
    case TProblemKind::Unreadable: return p.Detail;
    case TProblemKind::Duplicate:
      return p.Kept.empty() ? p.Detail + " already in Destination" : p.Where + " left out: " + p.Detail + " is " + p.Kept;
    case TProblemKind::NoLibraries: return p.Where + " holds no library";
    case TProblemKind::ExportsDiffer:
      return p.Where + ": " + p.Detail + " and its exports in this folder differ in " + std::to_string(p.Count) +
             (p.Count == 1 ? " object" : " objects");
  }
  return p.Where;
}

// ---- names ------------------------------------------------------------------------------------

namespace {

bool EndsWithNoCase(const std::string& text, std::string_view tail) {
  if (text.size() < tail.size()) return false;
  return platform::AsciiUpper(text.substr(text.size() - tail.size())) == platform::AsciiUpper(std::string(tail));
}

bool IsLibraryFileName(const std::string& name) { return EndsWithNoCase(name, ".pbl") && name.size() > 4; }

// A folder named as a library is one, even before it holds an object.
bool IsLibraryFolderName(const std::string& name) {
  return (EndsWithNoCase(name, ".pbl") && name.size() > 4) || (EndsWithNoCase(name, ".pbl.src") && name.size() > 8);
}

// The quoted names of the lines of section `section` of an object list, without their folders.
std::vector<std::string> ObjectListNames(const std::string& bytes, std::string_view section) {
  std::vector<std::string> lines, names;
  platform::SplitLines(platform::DecodeText(bytes), lines);
  bool inside = false;
  for (const std::string& line : lines) {
    if (line.rfind(section, 0) == 0) {
      inside = true;
      continue;
    }
    if (!inside) continue;
    if (line.rfind("@end", 0) == 0) break;
    const std::size_t open = line.find('"');
    const std::size_t close = open == std::string::npos ? open : line.find('"', open + 1);
    if (close == std::string::npos) continue;
    const std::string path = line.substr(open + 1, close - open - 1);
    const std::size_t cut = path.find_last_of("\\/:");
    std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
    if (!name.empty()) names.push_back(platform::CodePageToUtf8(name));
  }
  return names;
}

std::u16string NameKey(const std::string& utf8) { return platform::CodePageToUtf16(platform::Utf8ToCodePage(utf8)); }

// The library that an object list names: the first quoted path after "@begin Libraries", without
// its folders; empty when there is none.
std::string ObjectListLibrary(const std::string& bytes) {
  std::vector<std::string> names = ObjectListNames(bytes, "@begin Libraries");
  return names.empty() ? std::string() : names.front();
}

// The one object list of a folder's listing, or null.
const TTreeItem* ObjectListIn(const TListing& listing) {
  const TTreeItem* list = nullptr;
  for (const TTreeItem& item : listing.Items())
    if (item.Type == TItemType::File && EndsWithNoCase(item.Name, ".pbg")) {
      if (list) return nullptr;
      list = &item;
    }
  return list;
}

}  // namespace

std::vector<std::string> ObjectListObjects(const std::string& bytes) { return ObjectListNames(bytes, "@begin Objects"); }

std::string FolderLibraryName(TSourceTree& tree, const fs::path& folder) {
  const TListing* listing = nullptr;
  try {
    listing = tree.List(folder);
  } catch (const TMissingObject&) {
    throw;
  } catch (const platform::TFileError&) {
    // A folder that cannot be read is named after itself.
  }
  if (listing) {
    if (const TTreeItem* list = ObjectListIn(*listing)) {
      try {
        std::string named = ObjectListLibrary(tree.ReadFile(folder / list->Name));
        if (!named.empty()) return named;
      } catch (const TMissingObject&) {
        throw;
      } catch (const platform::TFileError&) {
        // Named after the folder, then.
      }
    }
  }
  std::string name = folder.filename().string();
  if (name.empty() || name == "." || name == "..") {
    // The top folder of a revision, or the current folder: named after the folder it is.
    auto* revision = dynamic_cast<TGitRevision*>(&tree);
    std::error_code ec;
    name = revision ? revision->Repository().filename().string()
                    : fs::weakly_canonical(fs::absolute(folder), ec).filename().string();
  }
  if (EndsWithNoCase(name, ".src") && name.size() > 4) name.resize(name.size() - 4);
  if (!EndsWithNoCase(name, ".pbl")) name += ".pbl";
  return name;
}

std::unique_ptr<TFolderRec> LibraryRecord(TSourceTree& tree, std::shared_ptr<TGitRevision> revision,
                                          const fs::path& path, bool isDir, bool listObjects) {
  auto rec = std::make_unique<TFolderRec>();
  rec->Path = path;
  rec->IsDir = isDir;
  rec->Revision = std::move(revision);
  if (auto item = tree.Stat(path)) {
    rec->Size = isDir ? 0 : item->Size;
    rec->Time = item->Time;
  }
  if (isDir && listObjects) {
    // A folder library's size and time are those of its objects.
    bool any = false;
    if (const TListing* listing = tree.List(path))
      for (const TTreeItem& f : listing->Items()) {
        if (f.Type != TItemType::File || !IsExportFileName(f.Name)) continue;
        rec->Size += f.Size;
        rec->Time = any ? std::max(rec->Time, f.Time) : f.Time;
        any = true;
      }
  }
  return rec;
}

bool ParseGitSide(const std::string& text, std::string& rev, std::string& path) {
  if (text.rfind("git:", 0) != 0) return false;
  std::string rest = text.substr(4);
  std::size_t colon = rest.find(':');
  rev = rest.substr(0, colon);
  path = colon == std::string::npos ? std::string() : rest.substr(colon + 1);
  return true;
}

// ---- collecting -------------------------------------------------------------------------------

struct TSideCollector::TTree {
  std::shared_ptr<TSourceTree> Tree;
  std::shared_ptr<TGitRevision> Rev;  // null on disk
};

// A library found, or a problem met, in the order met.
struct TSideCollector::TFound {
  std::unique_ptr<TFolderRec> Rec;
  std::string Name;      // the library name (UTF-8)
  bool IsFile = false;
  std::optional<TSideProblem> Problem;
};

TSideCollector::TSideCollector(fs::path gitFolder) : gitFolder_(std::move(gitFolder)) {}
TSideCollector::~TSideCollector() = default;

TSideCollector::TTree TSideCollector::Disk() {
  if (!disk_) disk_ = std::make_shared<TDiskTree>();
  return {disk_, nullptr};
}

std::shared_ptr<TSourceTree> TSideCollector::DiskTree() { return Disk().Tree; }

TSideCollector::TTree TSideCollector::Revision(const std::string& rev) {
  auto& revision = revisions_[rev];
  if (!revision) {
    revision = TGitRevision::Open(gitFolder_, rev, &gitObjects_);
    if (auto ahead = ahead_.find(rev); ahead != ahead_.end()) {
      for (auto& [path, listing] : ahead->second) revision->Expect(path, std::move(listing));
      ahead_.erase(ahead);
    }
  }
  return {revision, revision};
}

void TSideCollector::ReadAhead(const std::vector<fs::path>& sides) {
  for (const fs::path& side : sides) {
    std::string rev, path;
    if (!ParseGitSide(side.string(), rev, path) || revisions_.count(rev)) continue;
    std::future<platform::TProgramResult> listing = TGitRevision::ListAhead(gitFolder_, rev, path);
    if (listing.valid()) ahead_[rev].emplace_back(path, std::move(listing));
  }
}

namespace {

TSideProblem Problem(TProblemKind kind, std::string where, bool given, std::string detail = {}) {
  return TSideProblem{kind, std::move(where), std::move(detail), {}, given};
}

}  // namespace

// A problem met, in its place among the libraries found.
TSideCollector::TFound TSideCollector::Met(std::optional<TSideProblem> problem) {
  TFound f;
  f.Problem = std::move(problem);
  return f;
}

std::string TSideCollector::Identity(const TTree& tree, const fs::path& path) {
  if (tree.Rev) return "git:" + tree.Rev->Commit() + ":" + path.lexically_normal().generic_string();
  // The folder as the system resolves it (links, ".."), looked up once per folder named, and the
  // name in it without regard to case, as the lookups find names.
  const std::string name = path.filename().string();
  if (name.empty() || name == "." || name == "..") {
    std::error_code ec;
    fs::path whole = fs::weakly_canonical(fs::absolute(path), ec);
    if (ec) whole = fs::absolute(path).lexically_normal();
    return whole.parent_path().string() + "/" + platform::FoldNameCase(whole.filename().string());
  }
  auto [it, added] = canonicalFolders_.try_emplace(path.parent_path().string());
  if (added) {
    std::error_code ec;
    fs::path folder = fs::absolute(path.parent_path().empty() ? fs::path(".") : path.parent_path());
    fs::path canonical = fs::weakly_canonical(folder, ec);
    it->second = (ec ? folder.lexically_normal() : canonical).string();
  }
  return it->second + "/" + platform::FoldNameCase(name);
}

void TSideCollector::AddLibrary(const TTree& tree, const fs::path& path, bool isDir, std::vector<TFound>& found,
                                bool given) {
  TSourceTree& t = *tree.Tree;
  if (!isDir && !LibraryFiles && AddExportsOf(tree, path, found, given)) return;
  ++met_;
  // The same library met again (two targets naming one file) is kept and said once.
  std::string identity = Identity(tree, path);
  if (!libraries_.insert(identity).second) return;
  std::optional<TSideProblem> unreadable;
  std::unique_ptr<TFolderRec> rec;
  try {
    rec = LibraryRecord(t, tree.Rev, path, isDir);
    if (!isDir && t.OnDisk()) platform::TFileStream probe(path);  // a library that cannot be opened is said so now
  } catch (const TMissingObject&) {
    throw;
  } catch (const platform::TFileError& e) {
    unreadable = Problem(TProblemKind::Unreadable, t.Location(path), given, e.what());
  }
  if (!rec) rec = LibraryRecord(t, tree.Rev, path, isDir, false);
  TFound f;
  f.Name = isDir ? FolderLibraryName(t, path) : path.filename().string();
  f.IsFile = !isDir;
  f.Rec = std::move(rec);
  found.push_back(std::move(f));
  if (unreadable) found.push_back(Met(unreadable));
}

bool TSideCollector::AddExportsOf(const TTree& tree, const fs::path& file, std::vector<TFound>& found, bool given) {
  TSourceTree& t = *tree.Tree;
  const fs::path folder = file.parent_path();
  std::string named;
  try {
    const TListing* listing = t.List(folder);
    const TTreeItem* list = listing ? ObjectListIn(*listing) : nullptr;
    if (!list || std::none_of(listing->Items().begin(), listing->Items().end(), [](const TTreeItem& item) {
          return item.Type == TItemType::File && IsExportFileName(item.Name);
        }))
      return false;
    named = ObjectListLibrary(t.ReadFile(folder / list->Name));
  } catch (const TMissingObject&) {
    throw;
  } catch (const platform::TFileError&) {
    return false;  // the library file, then, said unreadable or read as it is
  }
  if (named.empty() || platform::FoldNameCase(named) != platform::FoldNameCase(file.filename().string())) return false;
  const std::size_t at = found.size();
  AddLibrary(tree, folder, true, found, given);
  // Met before (two targets naming one library): checked then.
  if (!CountDifferences || found.size() == at || !found[at].Rec) return true;
  try {
    const std::size_t differ = CountDifferences(*LibraryRecord(t, tree.Rev, file, false), *found[at].Rec);
    if (differ > 0) {
      TSideProblem p = Problem(TProblemKind::ExportsDiffer, t.Location(folder), false, file.filename().string());
      p.Count = differ;
      found.push_back(Met(p));
    }
  } catch (const TMissingObject&) {
    throw;
  } catch (const platform::TFileError& e) {
    found.push_back(Met(Problem(TProblemKind::Unreadable, t.Location(file), false, e.what())));
  }
  return true;
}

void TSideCollector::AddObjectList(const TTree& tree, const fs::path& list, std::vector<TFound>& found) {
  TSourceTree& t = *tree.Tree;
  ++met_;
  if (!libraries_.insert(Identity(tree, list)).second) return;
  TFound f;
  f.Rec = LibraryRecord(t, tree.Rev, list.parent_path(), true, false);
  f.Rec->ObjectList = list.filename().string();
  try {
    const std::string bytes = t.ReadFile(list);
    f.Name = ObjectListLibrary(bytes);
    std::set<std::string> named;
    for (const std::string& name : ObjectListObjects(bytes)) named.insert(platform::FoldNameCase(name));
    // Size and time are those of the objects it names.
    bool any = false;
    if (const TListing* listing = t.List(list.parent_path()))
      for (const TTreeItem& item : listing->Items()) {
        if (item.Type != TItemType::File || !IsExportFileName(item.Name) || !named.count(platform::FoldNameCase(item.Name)))
          continue;
        f.Rec->Size += item.Size;
        f.Rec->Time = any ? std::max(f.Rec->Time, item.Time) : item.Time;
        any = true;
      }
  } catch (const TMissingObject&) {
    throw;
  } catch (const platform::TFileError& e) {
    found.push_back(Met(Problem(TProblemKind::Unreadable, t.Location(list), true, e.what())));
    return;
  }
  if (f.Name.empty()) {
    f.Name = list.stem().string();
    if (!EndsWithNoCase(f.Name, ".pbl")) f.Name += ".pbl";
  }
  found.push_back(std::move(f));
}

void TSideCollector::Named(const TTree& tree, const fs::path& path, std::vector<TFound>& found) {
  TSourceTree& t = *tree.Tree;
  // A name ending in a separator names a folder, never a library.
  std::optional<fs::path> at = path.has_filename() ? t.Find(path) : std::nullopt;
  std::optional<TTreeItem> item = at ? t.Stat(*at) : std::nullopt;
  if (!item) {
    // A library named twice is missing once, however each target spells its way to it.
    if (missing_.insert(Identity(tree, path)).second)
      found.push_back(Met(Problem(TProblemKind::Missing, t.Location(path), false)));
    return;
  }
  AddLibrary(tree, *at, item->Type == TItemType::Folder, found, false);
}

void TSideCollector::ReadListFile(const TTree& tree, const fs::path& path, int fileType, std::vector<TFound>& found) {
  TSourceTree& t = *tree.Tree;
  TListFileReader read = [&t](const fs::path& name, fs::path& at) {
    auto f = t.Find(name);
    if (!f) throw platform::TFileError("Cannot open file \"" + t.Location(name) + "\". No such file or directory");
    at = *f;
    return t.ReadFile(*f);
  };
  std::vector<fs::path> libraries;
  if (fileType == ftWorkspace)
    ReadPbwTargets(path, libraries, read);
  else
    ReadPbtLibList(path, libraries, read);
  for (const fs::path& lib : libraries) Named(tree, lib, found);
}

void TSideCollector::Walk(const TTree& tree, const fs::path& folder, std::vector<TFound>& found, bool given) {
  TSourceTree& t = *tree.Tree;
  const std::size_t before = met_;
  // Folders already walked (a symbolic link back up the tree is not followed twice).
  std::set<std::pair<std::uint64_t, std::uint64_t>> walked;
  std::function<void(const fs::path&, bool)> walk = [&](const fs::path& dir, bool top) {
    if (t.OnDisk()) {
      const auto st = platform::StatPath(dir.empty() ? fs::path(".") : dir);
      if (st && !walked.insert({st->Device, st->Node}).second) return;
    }
    const TListing* listing = nullptr;
    try {
      listing = t.List(dir);
    } catch (const TMissingObject&) {
      throw;
    } catch (const platform::TFileError& e) {
      found.push_back(Met(Problem(TProblemKind::Unreadable, t.Location(dir), top && given, e.what())));
      return;
    }
    if (!listing) return;
    bool libraryFiles = false, exports = false;
    for (const TTreeItem& item : listing->Items()) {
      if (item.Type == TItemType::Folder) continue;
      if (IsLibraryFileName(item.Name)) libraryFiles = true;
      if (item.Type == TItemType::File && IsExportFileName(item.Name)) exports = true;
    }
    // Exports kept beside a library file are that library's, not a second library.
    if (libraryFiles) {
      for (const TTreeItem& item : listing->Items())
        if (item.Type != TItemType::Folder && IsLibraryFileName(item.Name)) AddLibrary(tree, dir / item.Name, false, found, false);
    } else if (exports || IsLibraryFolderName(dir.filename().string())) {
      AddLibrary(tree, dir, true, found, top && given);
    }
    for (const TTreeItem& item : listing->Items())
      if (item.Type == TItemType::Folder && item.Name.front() != '.') walk(dir / item.Name, false);
  };
  walk(folder, true);
  if (met_ == before) found.push_back(Met(Problem(TProblemKind::NoLibraries, t.Location(folder), given)));
}

void TSideCollector::ReadGiven(const fs::path& file, int fileType, std::vector<TFound>& found) {
  std::string rev, inRevision;
  TTree tree = ParseGitSide(file.string(), rev, inRevision) ? Revision(rev) : Disk();
  fs::path path = tree.Rev ? fs::path(inRevision) : file;
  if (tree.Rev) {
    // A path in a revision runs from the repository's top: "." is the top itself, as git:REV is,
    // and nothing lies above it.
    path = path.lexically_normal();
    if (path == "." || path == "./") path.clear();
    if (!path.empty() && *path.begin() == "..")
      throw platform::TFileError(file.string() + ": a path in a revision runs from the repository's top; \"..\" leads out of it");
  }
  // A folder given with a trailing separator is that folder.
  while (!path.has_filename() && path.has_relative_path()) path = path.parent_path();
  TSourceTree& t = *tree.Tree;

  std::optional<fs::path> at = t.Find(path);
  if (tree.Rev && path.empty()) at = fs::path();  // git:REV alone: the top folder
  std::optional<TTreeItem> item = at ? t.Stat(*at) : std::nullopt;
  if (!item) {
    found.push_back(Met(Problem(TProblemKind::Missing, t.Location(path), true)));
    return;
  }
  int type = fileType;
  if (type == ftAuto && item->Type != TItemType::Folder) {
    if (EndsWithNoCase(at->filename().string(), ".pbt"))
      type = ftTarget;
    else if (EndsWithNoCase(at->filename().string(), ".pbw"))
      type = ftWorkspace;
  }
  if (type == ftTarget || type == ftWorkspace) {
    ReadListFile(tree, *at, type, found);
  } else if (item->Type == TItemType::Folder) {
    Walk(tree, *at, found, true);
  } else if (type == ftAuto && EndsWithNoCase(at->filename().string(), ".pbg")) {
    AddObjectList(tree, *at, found);
  } else {
    AddLibrary(tree, *at, false, found, true);
  }
}

TLibSelection TSideCollector::Collect(const std::vector<fs::path>& files, int fileType, TSideReport& report,
                                      const TLibSelection* onSide) {
  // A target or workspace type reads the first file chosen as one; the others are not read.
  std::vector<TGiven> given;
  for (const fs::path& f : files) {
    given.push_back({f, fileType});
    if (fileType == ftTarget || fileType == ftWorkspace) break;
  }
  return Collect(given, report, onSide);
}

TLibSelection TSideCollector::Collect(const std::vector<TGiven>& given, TSideReport& report, const TLibSelection* onSide) {
  missing_.clear();
  libraries_.clear();
  std::vector<TFound> found;
  for (const TGiven& g : given) ReadGiven(g.File, g.Type, found);

  std::vector<std::size_t> libraries;
  for (std::size_t i = 0; i < found.size(); ++i)
    if (found[i].Rec) libraries.push_back(i);

  // Libraries of one name, by the comparison that pairs them: the side keeps one.
  struct TName {
    std::u16string Key;
    std::size_t Found;  // index in `found`, or npos for a library already on the side
    std::string Where;
  };
  std::vector<TName> names;
  if (onSide)
    for (const auto& item : *onSide)
      if (!item.Key.empty()) names.push_back({NameKey(item.Key), std::string::npos, LibraryLocation(*item.Rec)});
  for (std::size_t i : libraries) names.push_back({NameKey(found[i].Name), i, LibraryLocation(*found[i].Rec)});
  std::vector<std::size_t> order(names.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return platform::CompareUnicodeNoCase(names[a].Key, names[b].Key) < 0;
  });
  std::vector<bool> dropped(found.size(), false);
  std::vector<std::pair<std::size_t, TSideProblem>> duplicates;  // by where they were met
  for (std::size_t run = 0; run < order.size();) {
    std::size_t end = run + 1;
    while (end < order.size() && platform::CompareUnicodeNoCase(names[order[run]].Key, names[order[end]].Key) == 0) ++end;
    // The one kept: the side's own, else the first library file met, else the first met.
    std::size_t keep = order[run];
    for (std::size_t k = run; k < end; ++k) {
      const TName& n = names[order[k]];
      const TName& best = names[keep];
      if (best.Found == std::string::npos) break;
      if (n.Found == std::string::npos || (found[n.Found].IsFile && !found[best.Found].IsFile) ||
          (found[n.Found].IsFile == found[best.Found].IsFile && n.Found < best.Found))
        keep = order[k];
    }
    for (std::size_t k = run; k < end; ++k) {
      const TName& n = names[order[k]];
      if (order[k] == keep || n.Found == std::string::npos) continue;
      dropped[n.Found] = true;
      TSideProblem p = Problem(TProblemKind::Duplicate, n.Where, false, found[n.Found].Name);
      if (names[keep].Found != std::string::npos) p.Kept = names[keep].Where;
      duplicates.emplace_back(n.Found, std::move(p));
    }
    run = end;
  }

  // Problems in the order met, then the libraries kept in that order.
  std::sort(duplicates.begin(), duplicates.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  auto next = duplicates.begin();
  TLibSelection selection;
  std::vector<bool> kept(found.size(), false);
  for (std::size_t i : libraries) kept[i] = !dropped[i];
  for (std::size_t i = 0; i < found.size(); ++i) {
    for (; next != duplicates.end() && next->first <= i; ++next) report.Add(next->second);
    if (found[i].Problem) report.Add(*found[i].Problem);
    if (kept[i]) selection.push_back({found[i].Name, std::move(found[i].Rec)});
  }
  for (; next != duplicates.end(); ++next) report.Add(next->second);
  return selection;
}

}  // namespace sides

TLibSelection CollectLibFiles(const std::vector<fs::path>& files, int fileType, sides::TSideReport& report,
                              const TLibSelection* onSide) {
  sides::TSideCollector collector;
  return collector.Collect(files, fileType, report, onSide);
}

std::unique_ptr<TFolderRec> GetFolderRec(const fs::path& path) {
  sides::TDiskTree tree;
  auto at = tree.Find(path);
  auto item = at ? tree.Stat(*at) : std::nullopt;
  if (!item) return nullptr;
  return sides::LibraryRecord(tree, nullptr, *at, item->Type == sides::TItemType::Folder);
}
