#include "FileSys.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "Collation.h"

namespace fs = std::filesystem;

namespace platform {
namespace {

std::string Reason(int err) { return std::strerror(err); }

std::optional<TFileInfo> Stat(const fs::path& p) {
  struct stat st {};
  if (::stat(p.c_str(), &st) != 0) return std::nullopt;
  TFileInfo info;
  info.Path = p;
  info.IsDir = S_ISDIR(st.st_mode);
  info.Size = static_cast<std::int64_t>(st.st_size);
  info.Time = LocalFromUnixTime(st.st_mtime);
  return info;
}

}  // namespace

std::optional<fs::path> FindPathNoCase(const fs::path& p) {
  std::error_code ec;
  if (p.empty()) return std::nullopt;
  if (fs::exists(fs::symlink_status(p, ec)) || fs::exists(p, ec)) return p;

  // Rebuild the path part by part, matching each missing part against its folder's entries.
  fs::path found = p.root_path();
  fs::path rel = p.relative_path();
  if (found.empty()) found = ".";
  bool dotPrefix = p.root_path().empty();
  for (const fs::path& part : rel) {
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      found /= part;
      continue;
    }
    fs::path candidate = found / part;
    if (fs::exists(candidate, ec)) {
      found = candidate;
      continue;
    }
    bool matched = false;
    for (fs::directory_iterator it(found, fs::directory_options::skip_permission_denied, ec), end;
         !ec && it != end; it.increment(ec)) {
      fs::path name = it->path().filename();
      if (SameNameNoCase(name, part)) {
        found /= name;
        matched = true;
        break;
      }
    }
    if (!matched) return std::nullopt;
  }
  if (dotPrefix) found = found.lexically_relative(".");
  return found;
}

std::string MissingReason(const fs::path& p) {
  struct stat st {};
  if (::stat(p.c_str(), &st) != 0 && errno == ENAMETOOLONG) return "the name is too long";
  for (const fs::path& part : p)
    if (part.native().size() > 255) return "the name is too long";
  return "no such file";
}

std::optional<TFileInfo> FindFirst(const fs::path& p) {
  auto onDisk = FindPathNoCase(p);
  if (!onDisk) return std::nullopt;
  return Stat(*onDisk);
}

TFileStream::TFileStream(const fs::path& p) : path_(p) {
  fd_ = ::open(p.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd_ < 0) throw TFileError("Cannot open file \"" + PathText(p) + "\". " + Reason(errno));
  struct stat st {};
  if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
    // Folders, devices, pipes and sockets are refused: reading /dev/zero or a pipe named in a
    // workspace would never end.
    std::string why = S_ISDIR(st.st_mode) ? Reason(EISDIR) : "Not a regular file";
    ::close(fd_);
    fd_ = -1;
    throw TFileError("Cannot open file \"" + PathText(p) + "\". " + why);
  }
  size_ = static_cast<std::int64_t>(st.st_size);
}

TFileStream::TFileStream(const fs::path& name, std::string bytes)
    : path_(name), size_(static_cast<std::int64_t>(bytes.size())), bytes_(std::move(bytes)) {}

TFileStream::~TFileStream() {
  if (fd_ >= 0) ::close(fd_);
}

std::int64_t TFileStream::Refresh() {
  struct stat st {};
  if (fd_ >= 0 && ::fstat(fd_, &st) == 0) size_ = static_cast<std::int64_t>(st.st_size);
  return size_;
}

std::size_t TFileStream::ReadAt(std::int64_t offset, void* buffer, std::size_t count) const {
  if (offset < 0 || count == 0) return 0;
  if (fd_ < 0) {
    if (offset >= size_) return 0;
    std::size_t n = std::min(count, static_cast<std::size_t>(size_ - offset));
    std::memcpy(buffer, bytes_.data() + offset, n);
    return n;
  }
  std::size_t done = 0;
  char* out = static_cast<char*>(buffer);
  while (done < count) {
    ssize_t r = ::pread(fd_, out + done, count - done, static_cast<off_t>(offset + done));
    if (r < 0) {
      if (errno == EINTR) continue;
      throw TFileError("Read error in \"" + PathText(path_) + "\". " + Reason(errno));
    }
    if (r == 0) break;
    done += static_cast<std::size_t>(r);
  }
  return done;
}

bool IsNullDevice(const fs::path& p) { return p == "/dev/null"; }

std::string ReadFileBytes(const fs::path& p) {
  if (IsNullDevice(p)) return {};
  TFileStream s(p);
  std::string bytes;
  // Room for the whole file up front, so that a large text is not copied while it grows, and a
  // little more: a text converted to the code page in its own room may grow a few bytes.
  if (s.Size() > 0) bytes.reserve(static_cast<std::size_t>(s.Size()) + static_cast<std::size_t>(s.Size()) / 32 + 64);
  std::int64_t offset = 0;
  char chunk[65536];
  for (;;) {
    std::size_t n = s.ReadAt(offset, chunk, sizeof chunk);
    if (n == 0) break;
    bytes.append(chunk, n);
    offset += static_cast<std::int64_t>(n);
  }
  return bytes;
}

namespace {

// The file a path names, following symbolic links (a relative link is read from its own folder),
// so that writing through a link replaces its target and keeps the link. A dangling link names
// the file it would create.
fs::path FollowLinks(fs::path p) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (::lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return p;
    std::error_code ec;
    fs::path target = fs::read_symlink(p, ec);
    if (ec) return p;
    p = target.is_absolute() ? target : p.parent_path() / target;
  }
  return p;
}

// The permissions a new file gets from the process's file-creation mask.
mode_t NewFileMode() {
  static const mode_t mode = [] {
    mode_t mask = ::umask(022);
    ::umask(mask);
    return static_cast<mode_t>(0666 & ~mask);
  }();
  return mode;
}

bool WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t r = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (r < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(r);
  }
  return true;
}

}  // namespace

// The new contents go to a temporary file beside the target, which is flushed to disk and then
// renamed over it: a full disk, a crash or a failed write leaves the old file as it was, never a
// file cut off mid-line. The target's permissions (and owner, where the process may set it) pass
// to the new file.
void WriteFileBytes(const fs::path& p, const std::string& bytes) {
  const fs::path target = FollowLinks(p);
  struct stat old {};
  const bool exists = ::stat(target.c_str(), &old) == 0;
  if (exists && !S_ISREG(old.st_mode))
    throw TFileError("Cannot create file \"" + PathText(p) + "\". Not a regular file");
  if (exists && ::access(target.c_str(), W_OK) != 0)
    throw TFileError("Cannot create file \"" + PathText(p) + "\". " + Reason(errno));

  fs::path folder = target.parent_path();
  std::string temp = ((folder.empty() ? fs::path(".") : folder) / ("." + target.filename().string() + ".XXXXXX")).string();
  int fd = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) throw TFileError("Cannot create file \"" + PathText(p) + "\". " + Reason(errno));
  auto fail = [&](const std::string& what, int err) {
    if (fd >= 0) ::close(fd);
    ::unlink(temp.c_str());
    throw TFileError(what + " \"" + PathText(p) + "\". " + Reason(err));
  };
  if (exists) {
    if (::fchown(fd, old.st_uid, old.st_gid) != 0 && ::fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0) {
      // Not permitted to give the file its owner or group: it stays the writer's, as a new file would.
    }
    if (::fchmod(fd, old.st_mode & 07777) != 0) fail("Cannot create file", errno);
  } else if (::fchmod(fd, NewFileMode()) != 0) {
    fail("Cannot create file", errno);
  }
  if (!WriteAll(fd, bytes) || ::fsync(fd) != 0) fail("Write error in", errno);
  int closed = ::close(fd);
  fd = -1;
  if (closed != 0) fail("Write error in", errno);
  if (::rename(temp.c_str(), target.c_str()) != 0) fail("Cannot create file", errno);

  // The rename itself reaches the disk with the folder's entry.
  int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
}

std::string PathText(const fs::path& p) { return p.string(); }

}  // namespace platform
