// PowerBuilder library access: the directory of a library file (.pbl), the export text of its
// source entries, and the library lists of targets (.pbt) and workspaces (.pbw).
//
// Libraries are only ever read. Both variants of the format are handled: the 8-bit one (names and
// texts in an 8-bit code page, header "HDR*PowerBuilder", root node at 1024) and the 16-bit one
// (UTF-16LE, root node at 1536). Every offset, count and length in a file is checked against the
// file before it is used, so a damaged or hostile file gives a partial result and a report of
// where and why the reading stopped, never a crash, a loop or a read outside the file.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/DateTime.h"
#include "platform/FileSys.h"

namespace fs = std::filesystem;

using TDateTime = platform::TDateTime;
// A library file opened for reading (other processes may read and write it meanwhile).
using TLibStream = platform::TFileStream;

// One source entry of a library.
struct TEntryRec {
  std::array<char, 4> Signature{};
  std::array<char, 4> Version{};  // in the 16-bit variant its four UTF-16 units as 8-bit characters
  std::int32_t DataOffset = 0;    // file offset of the first data block
  std::int32_t Size = 0;          // data size in bytes
  std::int32_t Time = 0;          // seconds from 1970-01-01 08:00:00 (see PbTimeToDateTime)
  std::uint16_t CommentLen = 0;   // characters (16-bit variant: UTF-16 units) of the comment
  std::uint16_t NameLen = 0;      // stored name length in bytes
  std::uint8_t CompareResult = 0;
  std::uint8_t ChangeKind = 0;  // what the pair's differences are (compare::TChangeKind flags)
  std::string Name;  // with extension, code page; kept whole, however long
  bool IsUnicode = false;
};

// One library file (or folder) as found on disk.
struct TFolderRec {
  fs::path Path;  // folder of the given name, then the name as found on disk
  bool IsDir = false;
  std::int64_t Size = 0;
  TDateTime Time;  // last write, local time
  std::uint8_t CompareResult = 0;
};

// An item of a keyed list: the text and the record it carries, owned by the list.
template <class T>
struct TKeyed {
  std::string Key;
  std::unique_ptr<T> Rec;
};

// The directory of a library: (key, entry) in the order read. The key is the type letter (the
// last letter of the extension) followed by the name without its extension: w_main.srw gives
// ww_main. Keys are code-page text.
using TDirList = std::vector<TKeyed<TEntryRec>>;

// A selection of library files: (file name, record). The file name is the name part of the
// record's path, in UTF-8.
using TLibSelection = std::vector<TKeyed<TFolderRec>>;

// Why reading a library stopped short somewhere.
enum class TReadProblem {
  NoHeader,       // neither variant's header text: probably not a library at all
  Truncated,      // a node, entry, name or block runs past the end of the file
  BadOffset,      // an offset points before the start or past the end of the file
  NodeLoop,       // a child offset leads to a node already read
  ChainLoop,      // a next-block offset leads to a block already read for the same entry
  BlockTooLong,   // an 8-bit block says it holds more than 502 bytes
  SizeExceeded,   // a 16-bit chain holds more data than the entry's size
};

struct TReadIssue {
  TReadProblem Kind;
  std::int64_t Offset;  // where in the file
};

// What went wrong while reading; empty when the file read cleanly.
struct TReadReport {
  std::vector<TReadIssue> Issues;
  bool Clean() const { return Issues.empty(); }
  // One line for a user: "truncated at offset 5120; node loop at offset 1024".
  std::string Describe() const;
};

// Whether the file's first 16 bytes mark the 8-bit variant.
bool IsAnsiLibrary(const TLibStream& stream);

// Appends one (key, entry) pair for every source entry of the library to `list`.
void ReadLibDirectory(const TLibStream& stream, TDirList& list, TReadReport* report = nullptr);

// Walks the directory tree from the node at `offset`: the node's entries in stored order, then
// its first subtree, then its second.
void ReadDirNode(const TLibStream& stream, std::int64_t offset, TDirList& list, bool isUnicode,
                 TReadReport* report = nullptr);

// The key of an entry name: w_main.srw gives ww_main.
std::string EntryKey(const std::string& name);

// Whether an entry name has a source extension (".sr" followed by the type letter).
bool IsSourceName(const std::string& name);

// The file or folder `fileName`, found without regard to letter case, or null.
std::unique_ptr<TFolderRec> GetFolderRec(const fs::path& fileName);

// The date-time of an entry's Time: 1970-01-01 08:00:00 plus that many seconds, whatever the
// machine's time zone.
TDateTime PbTimeToDateTime(std::int32_t seconds);

// Appends the export text of `entry` to `lines`: "$PBExportHeader$" and the name, the comment
// with "$PBExportComments$" where there is one, then the source lines. Text is code page.
void ExportEntry(const TLibStream& stream, const TEntryRec& entry, std::vector<std::string>& lines,
                 TReadReport* report = nullptr);

// Appends the library paths of the target `fileName` to `list`. Throws platform::TFileError when
// the target cannot be read.
void ReadPbtLibList(const fs::path& fileName, std::vector<fs::path>& list);

// Appends the library paths of every target of the workspace `fileName`, target by target.
void ReadPbwTargets(const fs::path& fileName, std::vector<fs::path>& list);

// How the files chosen in an open dialog are read.
enum TLibFileType { ftLibraries = 1, ftTarget = 2, ftWorkspace = 3 };

// Turns a selection into library files with their information. `files` are full paths; for a
// target or workspace only the first is read. Paths that do not exist are left out and added to
// `missing`, in the order they are to be reported (from the last to the first).
TLibSelection CollectLibFiles(const std::vector<fs::path>& files, int fileType,
                              std::vector<fs::path>& missing);

// The path a target or workspace item stands for: "\" and "/" both separate folders, a doubled
// separator counts as one, and a relative item is taken from `folder`. A drive-letter item
// (C:\...) is kept as written; it cannot exist here.
fs::path ResolveListedPath(const fs::path& folder, const std::string& item);
