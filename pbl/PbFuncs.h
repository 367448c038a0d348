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
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/DateTime.h"
#include "platform/FileSys.h"

namespace pbl {

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
  std::string Name;  // with extension, code page; kept whole, however long
  bool IsUnicode = false;
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

// Why reading a library stopped short somewhere.
enum class TReadProblem {
  NoHeader,       // neither variant's header text: probably not a library at all
  Truncated,      // a node, entry, name or block runs past the end of the file
  BadOffset,      // an offset points before the start or past the end of the file
  NodeLoop,       // a child offset leads to a node already read
  Overlap,        // a node, or a node's entry records, run into bytes already read as another node's
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
  // One line for a user: "truncated at offset 5120; node loop at offset 1024"; after the first
  // ten issues, how many more there are.
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

// The date-time of an entry's Time: 1970-01-01 08:00:00 plus that many seconds, whatever the
// machine's time zone.
TDateTime PbTimeToDateTime(std::int32_t seconds);

// Appends the export text of `entry` to `lines`: "$PBExportHeader$" and the name, the comment
// with "$PBExportComments$" where there is one, then the source lines. Text is code page.
void ExportEntry(const TLibStream& stream, const TEntryRec& entry, std::vector<std::string>& lines,
                 TReadReport* report = nullptr);

// Reads the bytes of the target or workspace `name` and sets `found` to its path as found (names
// are looked up without regard to letter case): from disk unless the caller reads them elsewhere
// (a revision of a git repository). Throws platform::TFileError when the file cannot be read.
using TListFileReader = std::function<std::string(const std::filesystem::path& name, std::filesystem::path& found)>;

// Appends the library paths of the target `fileName` to `list`. Throws platform::TFileError when
// the target cannot be read.
void ReadPbtLibList(const std::filesystem::path& fileName, std::vector<std::filesystem::path>& list, const TListFileReader& read = {});

// Appends the library paths of every target of the workspace `fileName`, target by target.
void ReadPbwTargets(const std::filesystem::path& fileName, std::vector<std::filesystem::path>& list, const TListFileReader& read = {});

// The path a target or workspace item stands for: "\" and "/" both separate folders, a doubled
// separator counts as one, and a relative item is taken from `folder`. A drive-letter item
// (C:\...) is kept as written; it cannot exist here.
std::filesystem::path ResolveListedPath(const std::filesystem::path& folder, const std::string& item);

}  // namespace pbl
