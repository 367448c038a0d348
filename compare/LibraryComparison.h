// The library comparison without any toolkit: the libraries of each side and what the user added
// to get them, their pairing by library name, the pairing of one library pair's objects, the
// content checks under the current options, reading everything again, and notes of what reading
// met. The library frame draws it and turns its events into these calls; quorvex-cli
// compare-libs drives the same pairing, so both give the same rows.
//
// Per-side state is kept in arrays indexed by compare::TSide. The pairings are two-way (side 1
// against side 2): see TPairing.
//
// Damage found while reading (a file cut short, a library another process rewrites) and libraries
// that cannot be read are no errors: what could be read is paired, and each is noted once per
// command (BeginCommand ... TakeNotes), for the caller to tell in one message.
#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "compare/CompareCounts.h"
#include "compare/Options.h"
#include "compare/Pairing.h"
#include "compare/Side.h"
#include "diff/DiffUnit.h"
#include "platform/TextFile.h"
#include "sides/Collect.h"
#include "sides/Library.h"

namespace compare {

// What reading met: where (UTF-8: a library, "lib1, lib2" for a pair, "lib@object" for an export)
// and the reader's report; a problem of the sides (a library that cannot be read) has the
// problem's own line in What and a clean report, and the problem itself (for a view that words it
// in the user's language).
struct TReadNote {
  std::string What;
  pbl::TReadReport Report;
  std::optional<sides::TSideProblem> Problem;
};

// Thrown by a pairing that Cancelled stopped.
class TPairingCancelled : public std::runtime_error {
 public:
  TPairingCancelled() : std::runtime_error("The comparison was cancelled.") {}
};

class TLibraryComparison {
 public:
  TLibraryComparison();
  ~TLibraryComparison();
  TLibraryComparison(const TLibraryComparison&) = delete;
  TLibraryComparison& operator=(const TLibraryComparison&) = delete;

  // ---- options and callbacks ---------------------------------------------------------------
  // The options that change classification; asked before every pairing and after every search
  // step of a content check (a change made meanwhile holds from the next check on). Unset: none.
  std::function<TCompareOptions()> Options;
  // Told at every search step of a content check (a view lets its events through here).
  std::function<void()> OnStep;
  // Told after every library pair made: pairs made so far and the percentage done.
  TPairProgress OnProgress;
  // Asked after every library pair made; true stops the pairing with TPairingCancelled, the
  // library pairs left empty.
  std::function<bool()> Cancelled;
  // Set before pairing for what the check needs beyond the options (the CLI's memo of checked
  // pairs, its listing of the disk, whether kinds of change are wanted); Diff, Options, Report
  // and Problems are the comparison's own.
  TObjectCheck CheckBase;
  // A library file kept beside its exports and object list is collected itself, not the exports
  // (sides::TSideCollector::LibraryFiles); where the exports are collected, the file is compared
  // with them.
  bool LibraryFiles = false;

  // Forgets both sides, their pairs and the object list; the libraries it held open are closed.
  void Reset();

  // ---- the library list --------------------------------------------------------------------
  const TLibSelection& Libraries(TSide side) const { return libraries_[side]; }
  // Whether no side holds a library.
  bool Empty() const {
    for (const TLibSelection& side : libraries_)
      if (!side.empty()) return false;
    return true;
  }
  const TPairing& LibraryPairs() const { return libraryPairs_; }
  // Count1 and Count2 follow every add and clear; the others the last pairing.
  const TCompareCounts& LibraryCounts() const { return libraryCounts_; }
  // The files the user added to a side (not the libraries they expand to), in the order added: a
  // path made absolute, or a git side as "git:REV:PATH" + kRepositorySeparator + repository.
  const std::vector<std::filesystem::path>& Added(TSide side) const { return added_[side]; }
  static constexpr char kRepositorySeparator = '|';

  // Collects the libraries of `files` (read as `fileType`, sides::TLibFileType) onto a side; git
  // sides are read from the repository of `repository` (the current folder when empty). Names the
  // side holds already are duplicates. Returns what the collection met (noted as told to this
  // command). The pairs are stale until the next PairLibraries. Throws platform::TFileError as
  // sides::TSideCollector::Collect does.
  sides::TSideReport Add(TSide side, const std::vector<std::filesystem::path>& files, int fileType,
                         const std::filesystem::path& repository = {});
  // Libraries collected elsewhere (the command line's sides).
  void Add(TSide side, TLibSelection libraries);
  void Clear(TSide side);
  // Sorts both sides by name and pairs them; a library pair is the same when its objects are
  // (see SameLibrary). On an exception the library pairs are left empty.
  void PairLibraries();

  // ---- the object list ---------------------------------------------------------------------
  // Reads the libraries of a library pair (an index into LibraryPairs()) and pairs their objects;
  // a side the pair lacks keeps its library closed and its list empty.
  void OpenPair(std::size_t pair);
  // Opens the library `path` on a side and pairs it with the other side's objects. Throws
  // platform::TFileError when there is no such library or it cannot be read.
  void OpenOne(TSide side, const std::filesystem::path& path);
  // Reads the object list's libraries again and pairs them; false when none is open.
  bool ReadObjectsAgain();
  const pbl::TDirList& Objects(TSide side) const { return objects_[side]; }
  const TPairing& ObjectPairs() const { return objectPairs_; }
  const TCompareCounts& ObjectCounts() const { return objectCounts_; }
  // Where the object list's library of a side lies as the user writes it (empty before one was).
  const std::filesystem::path& LibraryPath(TSide side) const { return paths_[side]; }
  // Exports a pair's object of a side (nothing where the pair lacks it or no library is open);
  // damage is noted under `what`. Throws platform::TFileError.
  void Export(const TPair& pair, TSide side, const std::string& what, std::vector<std::string>& lines);

  // ---- writing the object list's folder libraries ------------------------------------------
  // Only a folder of exports on disk that is listed whole is written: library files, targets'
  // libraries and revisions are read-only, and so is a folder read through its object list (an
  // added file would not be listed). The calls below throw std::logic_error on a read-only side
  // or a pair without the object they need, platform::TFileError when the disk refuses.
  //
  // Why the object list's library of a side is read-only, or None when it is written; and the
  // same as a sentence (UTF-8; empty for None).
  enum class TWriteBlock { None, NoLibrary, LibraryFile, Revision, ObjectList };
  TWriteBlock WriteBlock(TSide side) const;
  std::string WhyReadOnly(TSide side) const;
  // The file copying a pair's object onto side `to` writes: the side's own file of the object,
  // else a file of the object's name in the side's folder. Empty when the side is read-only or
  // the other side lacks the object.
  std::filesystem::path CopyTarget(const TPair& pair, TSide to) const;
  // The bytes copying writes: a folder library's file byte for byte; a library file's or a
  // revision's export encoded as ExportFormat(to) says.
  std::string CopyBytes(const TPair& pair, TSide to);
  // How an export written into a side's folder is encoded: as the side's file of `pair`'s object,
  // else as its first export (encoding, byte-order mark, line break); UTF-8 without a mark and
  // CR LF breaks where the folder holds no export or its export is ASCII alone.
  platform::TTextFormat ExportFormat(const TPair& pair, TSide to);
  // Writes CopyBytes to CopyTarget whole or not at all (replacing a file there), then reads the
  // object list again.
  void CopyObject(const TPair& pair, TSide to);
  // Deletes a side's file of a pair's object, then reads the object list again.
  void DeleteObject(const TPair& pair, TSide side);
  // The side's file of a pair's object on disk (empty where it has none).
  std::filesystem::path ObjectFile(const TPair& pair, TSide side) const;

  // ---- notes of one command ----------------------------------------------------------------
  // Forgets the notes and the problems told: a new command starts.
  void BeginCommand();
  void Note(const std::string& what, const pbl::TReadReport& report);
  // Notes the problems of `report` not told yet in this command.
  void NoteProblems(const sides::TSideReport& report);
  // Marks problems as told without noting them (the caller tells them its own way).
  void MarkTold(const sides::TSideReport& report) { told_.Add(report); }
  std::vector<TReadNote> TakeNotes();
  // Every problem the pairings of this command met, told before or not (the command line says
  // them its own way).
  const sides::TSideReport& Problems() const { return problems_; }

 private:
  TObjectCheck& Check(pbl::TReadReport* report, sides::TSideReport* problems);
  bool SameLibrary(const TFolderRec& rec1, const TFolderRec& rec2);
  void ReadSide(TSide side, const TFolderRec& rec);
  void PairObjects();
  void RequireWritable(TSide side) const;

  std::unique_ptr<diff::TDiff> diff_;
  TObjectCheck check_;
  std::array<TLibSelection, SideCount> libraries_;
  std::array<std::vector<std::filesystem::path>, SideCount> added_;
  TPairing libraryPairs_;
  TCompareCounts libraryCounts_;
  std::array<pbl::TDirList, SideCount> objects_;
  std::array<std::unique_ptr<sides::TLibrary>, SideCount> open_;
  std::array<std::optional<TFolderRec>, SideCount> openRecs_;
  std::array<std::filesystem::path, SideCount> paths_;
  TPairing objectPairs_;
  TCompareCounts objectCounts_;
  std::vector<TReadNote> notes_;
  sides::TSideReport told_;
  sides::TSideReport problems_;
};

}  // namespace compare
