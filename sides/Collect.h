// The libraries of a side, collected from what the user gives: library files, targets,
// workspaces, folder libraries, folders of libraries, and any of these in a git revision
// (git:REV:PATH). Problems met on the way (missing or unreadable libraries, duplicates) are
// collected as data, each once and in the order met, so that a view can say them in one message
// and quorvex-cli one line each.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/Process.h"
#include "sides/Library.h"

namespace sides {

class TDiskTree;
class TGitObjects;
class TSourceTree;

enum class TProblemKind : std::uint8_t {
  Missing,      // a library named by a target or workspace, or a file given, does not exist
  Unreadable,   // it exists but cannot be opened or read; Detail says why
  Duplicate,    // a library of a name the side already holds; Detail is the name, Kept the one kept
  NoLibraries,  // a folder given as a side holds no library at any depth
  // A library file kept beside its exports and object list (the older source-control layout)
  // whose objects differ from the exports; Detail is the library file's name, Count how many
  // objects differ.
  ExportsDiffer,
};

struct TSideProblem {
  TProblemKind Kind = TProblemKind::Missing;
  std::string Where;   // the library or file as the user writes it: a path, or git:REV:PATH
  std::string Detail;  // Unreadable: the reason, naming the file; Duplicate: the library name
  std::string Kept;    // Duplicate: where the library of that name that stays lies
  bool Given = false;  // given directly (an argument, a chosen file), not named or found in a folder
  std::size_t Count = 0;  // ExportsDiffer: the objects that differ
};

// Problems of one command, each once (by kind and place), in the order met.
class TSideReport {
 public:
  TSideReport();
  ~TSideReport();
  TSideReport(const TSideReport& other);
  TSideReport& operator=(const TSideReport& other);
  void Add(TSideProblem problem);
  void Add(const TSideReport& other);
  const std::vector<TSideProblem>& Problems() const { return problems_; }
  bool Empty() const { return problems_.empty(); }
  bool Contains(const TSideProblem& problem) const { return seen_.count({problem.Kind, problem.Where}) > 0; }
  std::size_t Count(TProblemKind kind) const;
  // One line for a user: "PATH does not exist", the reason of an unreadable library, "NAME
  // already in Destination" for a name already on the side, "PATH left out: NAME is KEPT" for a
  // second library of one name, "PATH holds no library", "FOLDER: app.pbl and its exports in this
  // folder differ in 3 objects".
  static std::string Describe(const TSideProblem& problem);

 private:
  std::vector<TSideProblem> problems_;
  std::set<std::pair<TProblemKind, std::string>> seen_;
};

// How the given files are read. ftAuto: by what each one is (a folder, git:REV:PATH, a file whose
// extension is .pbt or .pbw, else a library file). The others are the open dialog's file types:
// every file a library (a folder: a folder library or a folder of libraries), or the first file
// read as a target or as a workspace, whatever its extension.
enum TLibFileType { ftAuto = 0, ftLibraries = 1, ftTarget = 2, ftWorkspace = 3 };

// The record of the library `path` of `tree` (`revision` when the tree is one): a library file,
// or when `isDir` a folder library, whose size and time are its objects' unless `listObjects` is
// false. Throws platform::TFileError when the folder cannot be listed.
std::unique_ptr<TFolderRec> LibraryRecord(TSourceTree& tree, std::shared_ptr<TGitRevision> revision,
                                          const std::filesystem::path& path, bool isDir, bool listObjects = true);

// Whether `text` names a git revision side, git:REV or git:REV:PATH; sets `rev` and `path`.
bool ParseGitSide(const std::string& text, std::string& rev, std::string& path);

// Collects sides. One collector serves one command: folder listings and opened revisions are
// read once and kept while it lives.
class TSideCollector {
 public:
  // `gitFolder`: the folder whose repository git:REV:PATH sides are read from (the current
  // folder when empty).
  explicit TSideCollector(std::filesystem::path gitFolder = {});
  ~TSideCollector();

  // The older source-control layout keeps a library's exports and its object list (`*.pbg`)
  // beside the library file, in one folder, and the library file is rarely brought up to date:
  // there the exports are the library (a folder library named by the object list), wherever the
  // library file is met (given, named by a target, found in a folder). With LibraryFiles set the
  // library file is taken instead, as in any other folder.
  bool LibraryFiles = false;
  // How many objects of a library file and of the exports that stand for it differ; where it is
  // set and gives more than 0, the side reports ExportsDiffer. May throw platform::TFileError (the
  // library file cannot be read: reported as unreadable).
  std::function<std::size_t(const TFolderRec& libraryFile, const TFolderRec& exports)> CountDifferences;

  // The libraries of `files` read as `fileType` says, each library once: a library met twice
  // (two targets naming one file) is kept once without a word; a second library of a name met
  // (a folder library beside the library file it was exported from, two targets naming libraries
  // of one name in different folders) or of a name in `onSide` is left out and reported as a
  // duplicate. Of two libraries of one name a library file takes precedence over a folder
  // library, otherwise the first met; folders are walked in name order, so the choice is
  // stable. Missing and unreadable libraries are reported; unreadable ones stay in the
  // selection (their pairs are changed). Throws platform::TFileError when a target or
  // workspace, or a target named by a workspace, cannot be read, and for a git side whose
  // revision cannot be read (git missing, no repository, no such revision).
  TLibSelection Collect(const std::vector<std::filesystem::path>& files, int fileType, TSideReport& report,
                        const TLibSelection* onSide = nullptr);

  // The same with a type for each file (a target or workspace type reads that file as one).
  struct TGiven {
    std::filesystem::path File;
    int Type = ftAuto;
  };
  TLibSelection Collect(const std::vector<TGiven>& given, TSideReport& report, const TLibSelection* onSide = nullptr);

  // Starts listing the git sides among `sides` (git:REV:PATH), all at once, each in a git of its
  // own, so that collecting them later does not wait for one listing after another. Sides of
  // other kinds, and revisions opened already, are left alone.
  void ReadAhead(const std::vector<std::filesystem::path>& sides);

  // The disk as this collector has listed it, for reading the libraries it found (one command:
  // a listing is not read again).
  std::shared_ptr<TSourceTree> DiskTree();
  // The revisions git sides were read from so far, by revision as given.
  const std::map<std::string, std::shared_ptr<TGitRevision>>& Revisions() const { return revisions_; }

 private:
  struct TFound;
  struct TTree;
  static TFound Met(std::optional<TSideProblem> problem);
  TTree Disk();
  TTree Revision(const std::string& rev);
  void ReadGiven(const std::filesystem::path& file, int fileType, std::vector<TFound>& found);
  void ReadListFile(const TTree& tree, const std::filesystem::path& path, int fileType, std::vector<TFound>& found);
  void Named(const TTree& tree, const std::filesystem::path& path, std::vector<TFound>& found);
  void Walk(const TTree& tree, const std::filesystem::path& folder, std::vector<TFound>& found, bool given);
  void AddLibrary(const TTree& tree, const std::filesystem::path& path, bool isDir, std::vector<TFound>& found, bool given);
  // A library file whose folder holds the exports and the object list that stand for it: the
  // folder library of those exports, checked against the file.
  // An object list given as a side: the folder library of the exports it names.
  void AddObjectList(const TTree& tree, const std::filesystem::path& list, std::vector<TFound>& found);
  bool AddExportsOf(const TTree& tree, const std::filesystem::path& file, std::vector<TFound>& found, bool given);
  // The same file or folder gives the same identity, however it was named.
  std::string Identity(const TTree& tree, const std::filesystem::path& path);

  std::filesystem::path gitFolder_;
  std::shared_ptr<TDiskTree> disk_;
  std::map<std::string, std::shared_ptr<TGitRevision>> revisions_;
  std::shared_ptr<TGitObjects> gitObjects_;  // of the repository that holds gitFolder_, once found
  // Listings started by ReadAhead for revisions not opened yet: by revision, (path, listing).
  std::map<std::string, std::vector<std::pair<std::string, std::future<platform::TProgramResult>>>> ahead_;
  std::set<std::string> missing_, libraries_;  // identities met by the current collection
  std::size_t met_ = 0;                          // libraries met, the same one again included
  std::map<std::string, std::string> canonicalFolders_;
};

// The library name of a folder library: what its one `*.pbg` object list names as its library,
// else the folder's name without ".src", with ".pbl" added when it does not end so.
std::string FolderLibraryName(TSourceTree& tree, const std::filesystem::path& folder);

// The objects an object list (`*.pbg`) names under "@begin Objects", as file names (UTF-8).
std::vector<std::string> ObjectListObjects(const std::string& bytes);

}  // namespace sides

// Collects the libraries of `files` with a collector of its own (see TSideCollector::Collect).
TLibSelection CollectLibFiles(const std::vector<std::filesystem::path>& files, int fileType, sides::TSideReport& report,
                              const TLibSelection* onSide = nullptr);

// The record of the library file or folder library `path` on disk (found without regard to
// letter case), or null when nothing of that name exists.
std::unique_ptr<TFolderRec> GetFolderRec(const std::filesystem::path& path);
