// A library of any kind, as the pairing and the views use it: a library file (.pbl), a folder
// library (a folder of exported objects: the `X.pbl.src` folders of a source-control work tree, the
// `X.pbl` folders of a solution, a release's folder of exports), each on disk or in a revision of
// a git repository.
//
// TFolderRec records one library of a side: its kind, its size and time, and what is needed to
// find it again (a path on disk, or a repository, revision and path). OpenLibrary turns it into a
// TLibrary, which reads the library's directory of objects into a TDirList and exports one
// object's lines. Libraries are only ever read.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "pbl/PbFuncs.h"
#include "platform/DateTime.h"

#include "sides/SourceTree.h"

namespace sides {
class TGitRevision;
}  // namespace sides

// One library of a side.
struct TFolderRec {
  std::filesystem::path Path;     // on disk: the file or folder as found; in a revision: its path from the top
  bool IsDir = false;  // a folder library
  std::int64_t Size = 0;  // a file's bytes; a folder library: the bytes of its exported objects
  platform::TDateTime Time;         // a file's last write; a folder: its newest object's; a revision: its commit's
  std::shared_ptr<sides::TGitRevision> Revision;  // the revision that holds the library; null on disk
  // A folder library read as an object list (`*.pbg`, a file of the folder) names it: only the
  // exports it names; empty: every export of the folder.
  std::string ObjectList;
};

// The libraries of a side: (library name, record). The name is UTF-8: the file name of a library
// file, the library a folder library stands for (pfcwnsrv.pbl for a pfcwnsrv.pbl.src folder).
using TLibSelection = std::vector<pbl::TKeyed<TFolderRec>>;

namespace sides {

enum class TLibKind : std::uint8_t { File, Folder, RevisionFile, RevisionFolder };
TLibKind KindOf(const TFolderRec& rec);

// Where a library lies as the user writes it: a path on disk, or git:REV:PATH (UTF-8).
std::string LibraryLocation(const TFolderRec& rec);

// An open library of any kind.
class TLibrary {
 public:
  virtual ~TLibrary() = default;
  // Appends (key, entry) for every object. A library file's entries are its source entries; a
  // folder's are its `.sr?` files, with the file's size, time and comment, and DataOffset the
  // index by which Export finds the file again.
  virtual void ReadDirectory(pbl::TDirList& list, pbl::TReadReport* report = nullptr) = 0;
  // Appends the export text of an entry that ReadDirectory gave. Throws platform::TFileError
  // when an object's file cannot be read.
  virtual void Export(const pbl::TEntryRec& entry, std::vector<std::string>& lines, pbl::TReadReport* report = nullptr) = 0;
  // Whether two objects of equal size and time may be taken as the same without reading them:
  // true for library files, whose entries carry the times PowerBuilder gave them; false for
  // files, whose times are those of a checkout.
  virtual bool TrustsSizeAndTime() const = 0;
  // An object as the user writes it in a message: the library's location and the object.
  virtual std::string EntryLocation(const pbl::TEntryRec& entry) const = 0;
  // The bytes of an object's file, where objects are files (a folder library); none for a library
  // file. Export gives these bytes decoded. Throws platform::TFileError.
  virtual std::optional<std::string> ObjectBytes(const pbl::TEntryRec& /*entry*/) { return std::nullopt; }
  // The path of an object's file on disk (a folder library on disk); empty elsewhere.
  virtual std::filesystem::path ObjectFile(const pbl::TEntryRec& /*entry*/) const { return {}; }
  // The id of an object's file in a revision (two files of one id hold the same bytes); empty
  // where there is none.
  virtual std::string ObjectId(const pbl::TEntryRec& /*entry*/) const { return {}; }
  // An object about to be read with ObjectBytes (see TSourceTree::ReadAhead).
  virtual void ReadAhead(const pbl::TEntryRec& /*entry*/) {}
};

// A library file read through a stream (from disk, or held in memory).
class TPblLibrary : public TLibrary {
 public:
  explicit TPblLibrary(std::unique_ptr<pbl::TLibStream> stream) : stream_(std::move(stream)) {}
  void ReadDirectory(pbl::TDirList& list, pbl::TReadReport* report = nullptr) override;
  void Export(const pbl::TEntryRec& entry, std::vector<std::string>& lines, pbl::TReadReport* report = nullptr) override;
  bool TrustsSizeAndTime() const override { return true; }
  std::string EntryLocation(const pbl::TEntryRec& entry) const override;
  const pbl::TLibStream& Stream() const { return *stream_; }

 private:
  std::unique_ptr<pbl::TLibStream> stream_;
};

// A library file's stream that someone else owns (it must outlive the library).
class TPblStreamView : public TLibrary {
 public:
  explicit TPblStreamView(const pbl::TLibStream& stream) : stream_(stream) {}
  void ReadDirectory(pbl::TDirList& list, pbl::TReadReport* report = nullptr) override;
  void Export(const pbl::TEntryRec& entry, std::vector<std::string>& lines, pbl::TReadReport* report = nullptr) override;
  bool TrustsSizeAndTime() const override { return true; }
  std::string EntryLocation(const pbl::TEntryRec& entry) const override;

 private:
  const pbl::TLibStream& stream_;
};

// A folder of exported objects in a tree (the disk, or a revision). Without `comments` the
// entries' comment lengths are left 0, and listing the objects reads no file.
class TFolderLibrary : public TLibrary {
 public:
  // With `objectList` (a file of the folder) only the exports that object list names.
  TFolderLibrary(std::shared_ptr<TSourceTree> tree, std::filesystem::path folder, bool comments = true,
                 const std::string& objectList = {});
  void ReadDirectory(pbl::TDirList& list, pbl::TReadReport* report = nullptr) override;
  void Export(const pbl::TEntryRec& entry, std::vector<std::string>& lines, pbl::TReadReport* report = nullptr) override;
  bool TrustsSizeAndTime() const override { return false; }
  std::string EntryLocation(const pbl::TEntryRec& entry) const override;
  std::optional<std::string> ObjectBytes(const pbl::TEntryRec& entry) override;
  std::string ObjectId(const pbl::TEntryRec& entry) const override;
  void ReadAhead(const pbl::TEntryRec& entry) override;
  std::filesystem::path ObjectFile(const pbl::TEntryRec& entry) const override;

 private:
  const TTreeItem& FileOf(const pbl::TEntryRec& entry) const;
  std::shared_ptr<TSourceTree> tree_;
  std::filesystem::path folder_;
  bool comments_;
  std::vector<TTreeItem> files_;  // the objects' files (name and revision id), by DataOffset
  std::optional<std::set<std::string>> named_;  // the object list's names, letter case folded
};

// Opens the library a record stands for; a folder library reads its objects' comments only
// when `comments` is set (a comparison needs none). A library on disk is read through `disk`
// (the folders one command has listed already), or a tree of its own when null. Throws
// platform::TFileError when it cannot be opened: a file that cannot be read, or that is no
// regular file; a folder that cannot be listed.
std::unique_ptr<TLibrary> OpenLibrary(const TFolderRec& rec, bool comments = true,
                                      std::shared_ptr<TSourceTree> disk = nullptr);

// Time of an object's file as an entry's time: seconds from 1970-01-01 08:00:00 of the same clock,
// so that PbTimeToDateTime gives the file's own time back.
std::int32_t EntryTimeOf(platform::TDateTime time);

}  // namespace sides
