// File services on Windows: wide file names throughout (UTF-8 paths converted at the edge), long
// paths, names without regard to case as the file system sees them.
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstring>

#include "WinText.h"
#include "platform/Collation.h"
#include "platform/FileSys.h"
#include "platform/System.h"

namespace fs = std::filesystem;

namespace platform {
namespace {

std::optional<TFileInfo> Stat(const fs::path& p) {
  const auto st = StatPath(p);
  if (!st) return std::nullopt;
  TFileInfo info;
  info.Path = p;
  info.IsDir = st->Kind == TPathKind::Folder;
  info.Size = st->Size;
  info.Time = LocalFromUnixTime(static_cast<std::time_t>(st->Time));
  return info;
}

}  // namespace

std::optional<fs::path> FindPathNoCase(const fs::path& p) {
  if (p.empty()) return std::nullopt;
  // The file system finds a name whatever its case; each part is asked for as it is written on
  // disk (the name FindFirstFileExW reports), so that the path found is the one the disk holds.
  fs::path found = p.root_path();
  const bool dotPrefix = found.empty();
  if (dotPrefix) found = ".";
  for (const fs::path& part : p.relative_path()) {
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      found /= part;
      continue;
    }
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileExW(win::ApiPath(found / part).c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0);
    if (h != INVALID_HANDLE_VALUE) {
      FindClose(h);
      found /= fs::path(data.cFileName);
      continue;
    }
    // Names the file system tells apart that are the same without case by Unicode's folding.
    const auto names = FolderNames(found);
    if (!names) return std::nullopt;
    const auto it = std::find_if(names->begin(), names->end(), [&](const std::string& n) { return SameNameNoCase(PathFromUtf8(n), part); });
    if (it == names->end()) return std::nullopt;
    found /= PathFromUtf8(*it);
  }
  if (dotPrefix) found = found.lexically_relative(".");
  return found;
}

std::string MissingReason(const fs::path& p) {
  // A name is at most 255 characters, a path (in the \\?\ form) at most 32767.
  if (p.native().size() > 32000) return "the name is too long";
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
  const std::wstring name = win::ApiPath(p);
  const DWORD attributes = GetFileAttributesW(name.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
    throw TFileError("Cannot open file \"" + PathText(p) + "\". Is a directory");
  HANDLE h = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) throw TFileError("Cannot open file \"" + PathText(p) + "\". " + win::Reason(GetLastError()));
  // Devices and pipes are refused: reading one named in a workspace might never end.
  LARGE_INTEGER size{};
  if (GetFileType(h) != FILE_TYPE_DISK || !GetFileSizeEx(h, &size)) {
    CloseHandle(h);
    throw TFileError("Cannot open file \"" + PathText(p) + "\". Not a regular file");
  }
  fd_ = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_RDONLY | _O_BINARY);
  if (fd_ < 0) {
    CloseHandle(h);
    throw TFileError("Cannot open file \"" + PathText(p) + "\". Too many open files");
  }
  size_ = size.QuadPart;
}

TFileStream::TFileStream(const fs::path& name, std::string bytes)
    : path_(name), size_(static_cast<std::int64_t>(bytes.size())), bytes_(std::move(bytes)) {}

TFileStream::~TFileStream() {
  if (fd_ >= 0) _close(fd_);
}

std::int64_t TFileStream::Refresh() {
  LARGE_INTEGER size{};
  if (fd_ >= 0 && GetFileSizeEx(reinterpret_cast<HANDLE>(_get_osfhandle(fd_)), &size)) size_ = size.QuadPart;
  return size_;
}

std::size_t TFileStream::ReadAt(std::int64_t offset, void* buffer, std::size_t count) const {
  if (offset < 0 || count == 0) return 0;
  if (fd_ < 0) {
    if (offset >= size_) return 0;
    const std::size_t n = std::min(count, static_cast<std::size_t>(size_ - offset));
    std::memcpy(buffer, bytes_.data() + offset, n);
    return n;
  }
  HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(fd_));
  std::size_t done = 0;
  char* out = static_cast<char*>(buffer);
  while (done < count) {
    OVERLAPPED at{};
    const std::uint64_t where = static_cast<std::uint64_t>(offset) + done;
    at.Offset = static_cast<DWORD>(where);
    at.OffsetHigh = static_cast<DWORD>(where >> 32);
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(count - done, 1u << 30));
    if (!ReadFile(h, out + done, want, &got, &at)) {
      const DWORD err = GetLastError();
      if (err == ERROR_HANDLE_EOF) break;
      throw TFileError("Read error in \"" + PathText(path_) + "\". " + win::Reason(err));
    }
    if (got == 0) break;
    done += got;
  }
  return done;
}

bool IsNullDevice(const fs::path& p) {
  // Git for Windows names the empty side /dev/null, as on Linux; Windows' own device is NUL.
  const std::wstring& n = p.native();
  return n == L"/dev/null" || CompareStringOrdinal(n.c_str(), -1, L"NUL", -1, TRUE) == CSTR_EQUAL ||
         CompareStringOrdinal(n.c_str(), -1, L"\\\\.\\NUL", -1, TRUE) == CSTR_EQUAL;
}

std::string ReadFileBytes(const fs::path& p) {
  if (IsNullDevice(p)) return {};
  TFileStream s(p);
  std::string bytes;
  if (s.Size() > 0) bytes.reserve(static_cast<std::size_t>(s.Size()) + static_cast<std::size_t>(s.Size()) / 32 + 64);
  std::int64_t offset = 0;
  char chunk[65536];
  for (;;) {
    const std::size_t n = s.ReadAt(offset, chunk, sizeof chunk);
    if (n == 0) break;
    bytes.append(chunk, n);
    offset += static_cast<std::int64_t>(n);
  }
  return bytes;
}

void WriteFileBytes(const fs::path& p, const std::string& bytes) {
  // Whole or not at all: the bytes go to a new file beside the target, which is flushed to the disk
  // and then replaces the target in one step. The target's attributes (hidden, archive) are kept.
  const std::wstring target = win::ApiPath(p);
  const DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
    throw TFileError("Cannot create file \"" + PathText(p) + "\". Is a directory");
  // A read-only file is not replaced, as it would not be written (MoveFileExW alone lets some
  // systems replace it).
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
    throw TFileError("Cannot create file \"" + PathText(p) + "\". Permission denied");
  std::wstring temp;
  HANDLE h = INVALID_HANDLE_VALUE;
  for (unsigned n = GetCurrentProcessId() * 7919u + GetTickCount(), tries = 0; tries < 100; ++n, ++tries) {
    temp = target + L"." + std::to_wstring(n % 1000000) + L".tmp";
    h = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) break;
  }
  if (h == INVALID_HANDLE_VALUE) throw TFileError("Cannot create file \"" + PathText(p) + "\". " + win::Reason(GetLastError()));
  auto fail = [&](DWORD err) {
    CloseHandle(h);
    DeleteFileW(temp.c_str());
    throw TFileError("Write error in \"" + PathText(p) + "\". " + win::Reason(err));
  };
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD wrote = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
    if (!WriteFile(h, bytes.data() + done, want, &wrote, nullptr)) fail(GetLastError());
    done += wrote;
  }
  if (!FlushFileBuffers(h)) fail(GetLastError());
  CloseHandle(h);
  if (!MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const DWORD err = GetLastError();
    DeleteFileW(temp.c_str());
    throw TFileError("Cannot create file \"" + PathText(p) + "\". " + win::Reason(err));
  }
  if (attributes != INVALID_FILE_ATTRIBUTES) SetFileAttributesW(target.c_str(), attributes);
}

std::string PathText(const fs::path& p) {
  std::string text = PathToUtf8(p);
  std::replace(text.begin(), text.end(), '/', '\\');
  return text;
}

}  // namespace platform
