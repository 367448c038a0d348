// The files a side is read from, seen the same way whether they lie on disk or in a revision of a
// git repository: folder listings, lookups without regard to letter case, and file contents.
//
// A tree reads each folder's listing once and keeps it, so that looking up many names in one
// folder (a target naming thousands of libraries) costs one listing and a table lookup per name.
// A disk tree is therefore meant for one command; a revision never changes, so its tree may be
// kept as long as its libraries are.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/DateTime.h"
#include "platform/FileSys.h"

namespace sides {


// An object a tree needs that is not there, as in a partial clone of a repository ("git:REV:PATH:
// object ID is not in this clone"). Unlike other file errors it is never taken for a missing or
// unreadable file: the whole side cannot be read.
class TMissingObject : public platform::TFileError {
 public:
  using platform::TFileError::TFileError;
};

enum class TItemType : std::uint8_t { File, Folder, Other };  // Other: a pipe, device or socket

struct TTreeItem {
  std::string Name;  // UTF-8
  TItemType Type = TItemType::File;
  std::int64_t Size = 0;
  platform::TDateTime Time;  // last write, local wall clock (a revision: its commit's time)
  std::string Id;            // a revision's object id; empty on disk
};

// A folder's items sorted by name (bytes), with lookups by exact and by case-folded name.
class TListing {
 public:
  explicit TListing(std::vector<TTreeItem> items);
  const std::vector<TTreeItem>& Items() const { return items_; }
  // The item of that name, else the first (in name order) of that name without regard to case.
  const TTreeItem* Find(const std::string& name) const;

 private:
  std::vector<TTreeItem> items_;
  std::unordered_map<std::string, std::size_t> exact_, folded_;
};

class TSourceTree {
 public:
  virtual ~TSourceTree() = default;

  // The listing of folder `dir`, read once; null when `dir` is no folder. Throws
  // platform::TFileError when the folder cannot be read.
  const TListing* List(const std::filesystem::path& dir);
  // The path of `p` in the tree: as written where it exists, else with each part that does not
  // exist looked up without regard to letter case; none when some part is not found.
  std::optional<std::filesystem::path> Find(const std::filesystem::path& p);
  // What `p` (a path as found) is; none when there is nothing of that name.
  virtual std::optional<TTreeItem> Stat(const std::filesystem::path& p) = 0;
  // The bytes of a file: all of them, or the first `limit`. Throws platform::TFileError.
  virtual std::string ReadFile(const std::filesystem::path& p, std::size_t limit = std::string::npos) = 0;
  // A file opened as a library stream. Throws platform::TFileError.
  virtual std::unique_ptr<platform::TFileStream> OpenFile(const std::filesystem::path& p) = 0;
  // `p` as the user writes it: a path on disk, or git:REV:PATH.
  virtual std::string Location(const std::filesystem::path& p) const = 0;
  // Whether this is the disk (paths are the system's) rather than a revision.
  virtual bool OnDisk() const = 0;
  // A file about to be read with ReadFile, in the order files will be read: a tree read through
  // a program that answers one request after another asks for it now, so that it is on its way
  // while the caller works on the one before. Never throws; nothing happens elsewhere.
  virtual void ReadAhead(const std::filesystem::path& /*p*/) {}

 protected:
  // The items of a folder, any order; none when `dir` is no folder.
  virtual std::optional<std::vector<TTreeItem>> ReadListing(const std::filesystem::path& dir) = 0;
  // The form of `p` under which lookups start (a revision resolves ".." by itself).
  virtual std::optional<std::filesystem::path> Normal(const std::filesystem::path& p) const { return p; }

 private:
  std::unordered_map<std::string, std::unique_ptr<TListing>> listings_;
  std::unordered_set<std::string> existing_;  // paths found as written
};

// The files on disk. Symbolic links are followed.
class TDiskTree : public TSourceTree {
 public:
  std::optional<TTreeItem> Stat(const std::filesystem::path& p) override;
  std::string ReadFile(const std::filesystem::path& p, std::size_t limit = std::string::npos) override;
  std::unique_ptr<platform::TFileStream> OpenFile(const std::filesystem::path& p) override;
  std::string Location(const std::filesystem::path& p) const override;
  bool OnDisk() const override { return true; }

 protected:
  std::optional<std::vector<TTreeItem>> ReadListing(const std::filesystem::path& dir) override;
};

}  // namespace sides
