#include "PbFuncs.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <limits>
#include <map>
#include <unordered_set>

#include "platform/CodePage.h"
#include "platform/Collation.h"
#include "platform/TextFile.h"

namespace pbl {

namespace fs = std::filesystem;

namespace {

constexpr std::int64_t kAnsiRoot = 1024;
constexpr std::int64_t kUnicodeRoot = 1536;
constexpr std::size_t kNodeHeader = 32;
constexpr std::size_t kAnsiEntryFixed = 24;
constexpr std::size_t kUnicodeEntryFixed = 28;
constexpr std::size_t kBlockHeader = 10;
constexpr std::size_t kBlockData = 502;

// Reads a library through a window of the file, so that walking many small records costs few
// system calls. Every read is checked against the end of the file.
class TBlockReader {
 public:
  explicit TBlockReader(const TLibStream& s) : stream_(s), size_(s.Size()) {}

  std::int64_t FileSize() const { return size_; }

  // Copies `n` bytes at `offset` into `out`; false (and nothing usable) when they are not all in
  // the file.
  bool Read(std::int64_t offset, void* out, std::size_t n) {
    if (offset < 0 || offset > size_ || static_cast<std::int64_t>(n) > size_ - offset) return false;
    char* dst = static_cast<char*>(out);
    while (n > 0) {
      if (offset < winStart_ || offset >= winStart_ + static_cast<std::int64_t>(win_.size())) Fill(offset);
      std::size_t at = static_cast<std::size_t>(offset - winStart_);
      if (at >= win_.size()) return false;  // the file shrank under us
      std::size_t take = std::min(n, win_.size() - at);
      std::memcpy(dst, win_.data() + at, take);
      dst += take;
      offset += static_cast<std::int64_t>(take);
      n -= take;
    }
    return true;
  }

 private:
  // The window starts small, since most entries are a few blocks long, and grows as a walk goes
  // on, so that long walks still cost few system calls.
  void Fill(std::int64_t offset) {
    winStart_ = offset & ~static_cast<std::int64_t>(4095);
    win_.resize(window_);
    win_.resize(stream_.ReadAt(winStart_, win_.data(), window_));
    window_ = std::min<std::size_t>(window_ * 2, 256 * 1024);
  }

  const TLibStream& stream_;
  std::int64_t size_;
  std::int64_t winStart_ = 0;
  std::size_t window_ = 8 * 1024;
  std::vector<char> win_;
};

std::int32_t I32(const char* p) {
  std::uint32_t v = static_cast<unsigned char>(p[0]) | static_cast<unsigned char>(p[1]) << 8 |
                    static_cast<unsigned char>(p[2]) << 16 | static_cast<std::uint32_t>(static_cast<unsigned char>(p[3])) << 24;
  return static_cast<std::int32_t>(v);
}

std::uint16_t U16(const char* p) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(p[0]) | static_cast<unsigned char>(p[1]) << 8);
}

void Note(TReadReport* report, TReadProblem kind, std::int64_t offset) {
  if (report) report->Issues.push_back({kind, offset});
}

// The extension as a file-name function of the home platform sees it: from the last "." to the
// end, or nothing when a folder or drive separator follows that dot.
std::string Extension(const std::string& name) {
  std::size_t pos = name.find_last_of(".\\:");
  if (pos == std::string::npos || name[pos] != '.') return {};
  return name.substr(pos);
}

std::string NameUpToNul(const char* p, std::size_t n) {
  const char* nul = static_cast<const char*>(std::memchr(p, 0, n));
  return std::string(p, nul ? static_cast<std::size_t>(nul - p) : n);
}

// The regions of the file already read as directory nodes with their entry records: disjoint
// [start, end) ranges by start. No byte is read as a record twice: a node that starts inside
// one of them is not read, and a node's records stop where the next one begins.
class TClaimedRegions {
 public:
  // Whether `offset` lies inside a region.
  bool Holds(std::int64_t offset) const {
    auto it = regions_.upper_bound(offset);
    return it != regions_.begin() && std::prev(it)->second > offset;
  }
  // The start of the first region after `offset`, or the largest offset there is.
  std::int64_t NextAfter(std::int64_t offset) const {
    auto it = regions_.upper_bound(offset);
    return it == regions_.end() ? std::numeric_limits<std::int64_t>::max() : it->first;
  }
  void Add(std::int64_t start, std::int64_t end) { regions_.emplace(start, end); }

 private:
  std::map<std::int64_t, std::int64_t> regions_;
};

// Appends the entry at `pos` to `list` when it is a source entry; returns the offset of the next
// entry record, or -1 when the record runs past the end of the file or into `limit`, where
// another node's records begin.
std::int64_t ReadEntry(TBlockReader& in, std::int64_t pos, std::int64_t limit, TDirList& list, bool isUnicode,
                       TReadReport* report) {
  const std::size_t fixedSize = isUnicode ? kUnicodeEntryFixed : kAnsiEntryFixed;
  if (pos + static_cast<std::int64_t>(fixedSize) > limit) {
    Note(report, TReadProblem::Overlap, pos);
    return -1;
  }
  char fixed[kUnicodeEntryFixed];
  if (!in.Read(pos, fixed, fixedSize)) {
    Note(report, TReadProblem::Truncated, pos);
    return -1;
  }
  auto rec = std::make_unique<TEntryRec>();
  std::memcpy(rec->Signature.data(), fixed, 4);
  const char* f = fixed;
  if (isUnicode) {
    std::string version = platform::Utf16LEBytesToCodePage(fixed + 4, 8);
    version.resize(4, '\0');
    std::memcpy(rec->Version.data(), version.data(), 4);
    f += 4;  // the 16-bit fields stand four bytes further on
  } else {
    std::memcpy(rec->Version.data(), fixed + 4, 4);
  }
  rec->DataOffset = I32(f + 8);
  rec->Size = I32(f + 12);
  rec->Time = I32(f + 16);
  rec->CommentLen = U16(f + 20);
  rec->NameLen = U16(f + 22);

  const std::int64_t next = pos + static_cast<std::int64_t>(fixedSize) + rec->NameLen;
  if (next > limit) {
    Note(report, TReadProblem::Overlap, pos);
    return -1;
  }
  std::string stored(rec->NameLen, '\0');
  if (!in.Read(pos + static_cast<std::int64_t>(fixedSize), stored.data(), stored.size())) {
    Note(report, TReadProblem::Truncated, pos);
    return -1;
  }
  if (isUnicode) {
    std::size_t units = stored.size() / 2;
    for (std::size_t i = 0; i < units; ++i) {
      if (stored[2 * i] == 0 && stored[2 * i + 1] == 0) {
        units = i;
        break;
      }
    }
    rec->Name = platform::Utf16LEBytesToCodePage(stored.data(), units * 2);
  } else {
    rec->Name = platform::AnsiToCodePage(NameUpToNul(stored.data(), stored.size()));
  }
  rec->IsUnicode = isUnicode;

  if (IsSourceName(rec->Name)) {
    std::string key = EntryKey(rec->Name);
    list.push_back({std::move(key), std::move(rec)});
  }
  return next;
}

// Reads the node at `offset`: its entries go to `list`, its child offsets to `first`, `second`.
// Returns the end of what it read as the node's header and records; records stop at `limit`.
std::int64_t ReadNodeEntries(TBlockReader& in, std::int64_t offset, std::int64_t limit, TDirList& list, bool isUnicode,
                             TReadReport* report, std::int64_t& first, std::int64_t& second) {
  first = second = 0;
  char header[22];
  if (!in.Read(offset, header, sizeof header)) {
    Note(report, TReadProblem::Truncated, offset);
    return offset + static_cast<std::int64_t>(kNodeHeader);
  }
  first = I32(header + 4);
  second = I32(header + 12);
  std::uint16_t count = U16(header + 20);
  std::int64_t pos = offset + static_cast<std::int64_t>(kNodeHeader);
  for (std::uint16_t i = 0; i < count; ++i) {
    std::int64_t next = ReadEntry(in, pos, limit, list, isUnicode, report);
    if (next < 0) break;
    pos = next;
  }
  return pos;
}

void WalkTree(TBlockReader& in, std::int64_t root, TDirList& list, bool isUnicode, TReadReport* report) {
  // Depth-first with an explicit stack, so that a deep (or hostile) tree cannot exhaust the call
  // stack; the order is that of the recursive walk: a node, its first subtree, its second.
  // Every node claims the bytes it reads, so the whole walk reads each byte of the file at most
  // once as a record, whatever the nodes' offsets and counts say.
  std::unordered_set<std::int64_t> visited;
  TClaimedRegions claimed;
  std::vector<std::int64_t> pending{root};
  while (!pending.empty()) {
    std::int64_t offset = pending.back();
    pending.pop_back();
    if (offset < 0 || offset >= in.FileSize()) {
      Note(report, TReadProblem::BadOffset, offset);
      continue;
    }
    if (!visited.insert(offset).second) {
      Note(report, TReadProblem::NodeLoop, offset);
      continue;
    }
    const std::int64_t limit = claimed.NextAfter(offset);
    if (claimed.Holds(offset) || offset + static_cast<std::int64_t>(kNodeHeader) > limit) {
      // A node inside what another node read: its child offsets are another record's bytes.
      Note(report, TReadProblem::Overlap, offset);
      continue;
    }
    std::int64_t first, second;
    claimed.Add(offset, ReadNodeEntries(in, offset, limit, list, isUnicode, report, first, second));
    if (second != 0) pending.push_back(second);
    if (first != 0) pending.push_back(first);
  }
}

// The raw bytes of an entry's data chain.
std::string ReadChain(TBlockReader& in, const TEntryRec& entry, TReadReport* report) {
  std::string text;
  const bool unicode = entry.IsUnicode;
  const std::size_t limit = entry.Size > 0 ? static_cast<std::size_t>(entry.Size) : 0;
  if (unicode) text.reserve(std::min<std::int64_t>(limit, in.FileSize()));
  std::unordered_set<std::int64_t> visited;
  std::int64_t pos = entry.DataOffset;
  char header[kBlockHeader];
  std::vector<char> data;
  while (true) {
    if (pos < 0 || pos >= in.FileSize()) {
      Note(report, TReadProblem::BadOffset, pos);
      break;
    }
    if (!visited.insert(pos).second) {
      Note(report, TReadProblem::ChainLoop, pos);
      break;
    }
    if (!in.Read(pos, header, sizeof header)) {
      Note(report, TReadProblem::Truncated, pos);
      break;
    }
    std::int64_t next = I32(header + 4);
    std::size_t length = U16(header + 8);
    if (!unicode && length > kBlockData) {
      Note(report, TReadProblem::BlockTooLong, pos);
      length = kBlockData;
    }
    data.resize(length);
    std::int64_t at = pos + static_cast<std::int64_t>(kBlockHeader);
    std::size_t got = length;
    if (!in.Read(at, data.data(), length)) {
      // Take what the file still holds of the block.
      got = static_cast<std::size_t>(std::clamp<std::int64_t>(in.FileSize() - at, 0, static_cast<std::int64_t>(length)));
      in.Read(at, data.data(), got);
      Note(report, TReadProblem::Truncated, pos);
      next = 0;
    }
    if (unicode) {
      std::size_t room = limit - text.size();
      if (got > room) {
        Note(report, TReadProblem::SizeExceeded, pos);
        got = room;
      }
      text.append(data.data(), got);
    } else {
      // A NUL inside a block ends that block's part of the text; later blocks still count.
      const char* nul = got ? static_cast<const char*>(std::memchr(data.data(), 0, got)) : nullptr;
      text.append(data.data(), nul ? static_cast<std::size_t>(nul - data.data()) : got);
    }
    if (next == 0) break;
    pos = next;
  }
  return text;
}

void AppendPrefixedLines(const std::string& prefix, std::string_view text, std::vector<std::string>& lines) {
  // The text ends at its first NUL; the prefix goes in front of its first line.
  std::size_t nul = text.find('\0');
  if (nul != std::string_view::npos) text = text.substr(0, nul);
  platform::SplitLines(prefix + std::string(text), lines);
}

}  // namespace

std::string TReadReport::Describe() const {
  // A hostile file can hold thousands of faults; the first few tell the story in one line.
  constexpr std::size_t kShown = 10;
  std::string out;
  for (std::size_t i = 0; i < Issues.size() && i < kShown; ++i) {
    const TReadIssue& issue = Issues[i];
    if (!out.empty()) out += "; ";
    switch (issue.Kind) {
      case TReadProblem::NoHeader: out += "no library header"; break;
      case TReadProblem::Truncated: out += "truncated"; break;
      case TReadProblem::BadOffset: out += "offset out of range"; break;
      case TReadProblem::NodeLoop: out += "directory node read twice"; break;
      case TReadProblem::Overlap: out += "directory records overlap"; break;
      case TReadProblem::ChainLoop: out += "block chain loops"; break;
      case TReadProblem::BlockTooLong: out += "block longer than 502 bytes"; break;
      case TReadProblem::SizeExceeded: out += "data longer than the entry's size"; break;
    }
    out += issue.Kind == TReadProblem::NoHeader ? "" : " at offset " + std::to_string(issue.Offset);
  }
  if (Issues.size() > kShown) out += "; and " + std::to_string(Issues.size() - kShown) + " more";
  return out;
}

bool IsAnsiLibrary(const TLibStream& stream) {
  char header[16] = {};
  stream.ReadAt(0, header, sizeof header);
  std::string text = NameUpToNul(header, sizeof header);
  return platform::AsciiUpper(text) == "HDR*POWERBUILDER";
}

void ReadLibDirectory(const TLibStream& stream, TDirList& list, TReadReport* report) {
  bool ansi = IsAnsiLibrary(stream);
  if (!ansi && report) {
    // Both variants start with the four letters "HDR*".
    char header[4] = {};
    stream.ReadAt(0, header, sizeof header);
    if (platform::AsciiUpper(std::string(header, 4)) != "HDR*") Note(report, TReadProblem::NoHeader, 0);
  }
  ReadDirNode(stream, ansi ? kAnsiRoot : kUnicodeRoot, list, !ansi, report);
}

void ReadDirNode(const TLibStream& stream, std::int64_t offset, TDirList& list, bool isUnicode, TReadReport* report) {
  TBlockReader in(stream);
  WalkTree(in, offset, list, isUnicode, report);
}

bool IsSourceName(const std::string& name) { return Extension(name).compare(0, 3, ".sr") == 0; }

std::string EntryKey(const std::string& name) {
  if (name.empty()) return {};
  std::string key(1, name.back());
  if (name.size() > 4) key += name.substr(0, name.size() - 4);
  return key;
}

TDateTime PbTimeToDateTime(std::int32_t seconds) {
  static const TDateTime base = platform::MakeDateTime(1970, 1, 1, 8, 0, 0);
  return {base.Seconds + seconds};
}

void ExportEntry(const TLibStream& stream, const TEntryRec& entry, std::vector<std::string>& lines, TReadReport* report) {
  TBlockReader in(stream);
  std::string raw = ReadChain(in, entry, report);
  lines.push_back("$PBExportHeader$" + entry.Name);

  std::string comment, rest;
  if (entry.IsUnicode) {
    // The stored comment length counts UTF-16 units, so the comment is split off before
    // conversion; cutting the converted text would halve a comment of Chinese characters.
    std::size_t units = raw.size() / 2;
    std::size_t commentUnits = std::min<std::size_t>(entry.CommentLen, units);
    comment = platform::Utf16LEBytesToCodePage(raw.data(), commentUnits * 2);
    rest = platform::Utf16LEBytesToCodePage(raw.data() + commentUnits * 2, (units - commentUnits) * 2);
  } else {
    // The comment length counts bytes of the 8-bit text, so it is split off before conversion.
    std::size_t commentBytes = std::min<std::size_t>(entry.CommentLen, raw.size());
    comment = platform::AnsiToCodePage(std::string_view(raw).substr(0, commentBytes));
    rest = platform::AnsiToCodePage(std::string_view(raw).substr(commentBytes));
  }
  if (entry.CommentLen > 0) AppendPrefixedLines("$PBExportComments$", comment, lines);
  AppendPrefixedLines("", rest, lines);
}

fs::path ResolveListedPath(const fs::path& folder, const std::string& item) {
  bool drive = item.size() >= 3 && item[1] == ':' && (item[2] == '\\' || item[2] == '/');
  if (drive || item.find(":\\") != std::string::npos || item.find(":/") != std::string::npos) {
    std::string written;
    for (char c : item)
      if (!(c == '\\' && !written.empty() && written.back() == '\\')) written += c;
    return fs::path(platform::CodePageToUtf8(written));
  }
  std::string cleaned;
  for (char c : item) {
    char sep = c == '\\' ? '/' : c;
    if (sep == '/' && !cleaned.empty() && cleaned.back() == '/') continue;
    cleaned += sep;
  }
  fs::path p(platform::CodePageToUtf8(cleaned));
  if (!cleaned.empty() && cleaned.front() == '/') return p;
  return folder / p;
}

namespace {

// Blanks and control characters (codes up to 32) around a list item.
bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

// Splits a LIBLIST text at ";" into items, trimming blanks and control characters around each
// and honouring double-quoted items (a doubled quote inside stands for one), so that a path
// holding a space stays whole. Empty items are dropped.
std::vector<std::string> SplitLibList(const std::string& text) {
  std::vector<std::string> items;
  std::size_t i = 0, n = text.size();
  while (i <= n) {
    while (i < n && IsBlank(text[i])) ++i;
    std::string item;
    if (i < n && text[i] == '"') {
      ++i;
      while (i < n) {
        if (text[i] == '"') {
          if (i + 1 < n && text[i + 1] == '"') {
            item += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        item += text[i++];
      }
      while (i < n && text[i] != ';') ++i;
    } else {
      std::size_t start = i;
      while (i < n && text[i] != ';') ++i;
      item = text.substr(start, i - start);
      while (!item.empty() && IsBlank(item.back())) item.pop_back();
    }
    if (!item.empty()) items.push_back(item);
    if (i >= n) break;
    ++i;  // the ";"
  }
  return items;
}

// The text after the first double quote, without the line's last two characters (the closing
// quote and the ";" after it).
std::string QuotedPart(const std::string& line) {
  std::size_t q = line.find('"');
  std::string after = line.substr(q + 1);
  std::size_t keep = line.size() >= 2 ? line.size() - 2 : 0;
  keep = keep > q + 1 ? keep - (q + 1) : 0;
  return after.substr(0, keep);
}

// The lines of a target or workspace file read from disk, where its name is found without regard
// to letter case, or through `read`; `found` is the file's path as found.
std::vector<std::string> ListFileLines(const fs::path& fileName, const TListFileReader& read, fs::path& found) {
  std::string bytes;
  if (read) {
    bytes = read(fileName, found);
  } else {
    auto onDisk = platform::FindPathNoCase(fileName);
    found = onDisk ? *onDisk : fileName;
    bytes = platform::ReadFileBytes(found);
  }
  // Targets and workspaces are code-page text: only a byte-order mark says otherwise (GBK text
  // can be valid UTF-8).
  std::vector<std::string> lines;
  platform::SplitLines(platform::DecodeText(bytes, nullptr, platform::TUnmarked::CodePage), lines);
  return lines;
}

}  // namespace

void ReadPbtLibList(const fs::path& fileName, std::vector<fs::path>& list, const TListFileReader& read) {
  fs::path file;
  for (const std::string& line : ListFileLines(fileName, read, file)) {
    if (platform::AsciiUpper(line.substr(0, 8)) != "LIBLIST ") continue;
    // Without quotes the paths follow the keyword directly.
    std::string text = line.find('"') != std::string::npos ? QuotedPart(line) : line.substr(8);
    for (const std::string& item : SplitLibList(text)) list.push_back(ResolveListedPath(file.parent_path(), item));
    return;
  }
}

void ReadPbwTargets(const fs::path& fileName, std::vector<fs::path>& list, const TListFileReader& read) {
  bool inTargets = false;
  fs::path file;
  for (const std::string& line : ListFileLines(fileName, read, file)) {
    if (line == "@begin Targets") {
      inTargets = true;
      continue;
    }
    if (line == "@end;" && inTargets) break;
    if (inTargets && line.find('"') != std::string::npos)
      ReadPbtLibList(ResolveListedPath(file.parent_path(), QuotedPart(line)), list, read);
  }
}

}  // namespace pbl
