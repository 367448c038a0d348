// File-system services: read-only file streams, file information, and the case-insensitive path
// lookup that lets names written on a case-insensitive file system (PFCMAIN.PBL) find the file
// on disk (pfcmain.pbl).
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "DateTime.h"

namespace platform {


// A file that cannot be opened, read or written. The message names the file and the reason.
class TFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The path as it exists on disk. Where `p` does not exist as written, each part is looked up
// without regard to letter case; none when some part is not found either way.
std::optional<std::filesystem::path> FindPathNoCase(const std::filesystem::path& p);

// Why `p` cannot be found, for a message after FindPathNoCase found nothing: "no such file", or
// "the name is too long" where the path or one of its names is past the system's limit.
std::string MissingReason(const std::filesystem::path& p);

struct TFileInfo {
  std::filesystem::path Path;  // the path as found on disk
  bool IsDir = false;
  std::int64_t Size = 0;
  TDateTime Time;  // last write, local wall clock
};

// Information on the file or folder `p` (found without regard to letter case), or none.
std::optional<TFileInfo> FindFirst(const std::filesystem::path& p);

// A file opened for reading only. Other processes may go on reading and writing it; reads past
// its current end simply return fewer bytes. The object never writes. A stream may also hold a
// file's bytes in memory (a file of a git revision), under the name the messages give it.
class TFileStream {
 public:
  explicit TFileStream(const std::filesystem::path& p);  // throws TFileError
  TFileStream(const std::filesystem::path& name, std::string bytes);
  ~TFileStream();
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  // The size when opened; `Refresh` reads it again.
  std::int64_t Size() const { return size_; }
  std::int64_t Refresh();

  // Reads up to `count` bytes at `offset`; returns how many were read (0 at or past the end, or
  // for a negative offset). Throws TFileError on a read error.
  std::size_t ReadAt(std::int64_t offset, void* buffer, std::size_t count) const;

 private:
  std::filesystem::path path_;
  int fd_ = -1;
  std::int64_t size_ = 0;
  std::string bytes_;  // the contents of a stream held in memory
};

// Whether `p` names the system's empty device (/dev/null), which git passes for the missing side
// of an added or deleted file.
bool IsNullDevice(const std::filesystem::path& p);

// The whole contents of a file (the null device reads as empty); throws TFileError.
std::string ReadFileBytes(const std::filesystem::path& p);

// Writes `bytes` as the whole contents of `p`, replacing it, whole or not at all: through a
// temporary file in the same folder, flushed and renamed over `p` with `p`'s permissions. A
// symbolic link is written through to its target. Throws TFileError naming the file; then `p`
// is as it was and no temporary file is left.
void WriteFileBytes(const std::filesystem::path& p, const std::string& bytes);

// Text for messages: a path in UTF-8 as the user knows it.
std::string PathText(const std::filesystem::path& p);

}  // namespace platform
