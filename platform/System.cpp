#include "System.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <stdexcept>

#include "FileSys.h"

namespace platform {

std::optional<TPathStat> StatPath(const std::filesystem::path& p) {
  struct stat st {};
  if (::stat(p.c_str(), &st) != 0) return std::nullopt;
  TPathStat s;
  s.Kind = S_ISDIR(st.st_mode) ? TPathKind::Folder : S_ISREG(st.st_mode) ? TPathKind::File : TPathKind::Other;
  s.Size = static_cast<std::int64_t>(st.st_size);
  s.Time = static_cast<std::int64_t>(st.st_mtim.tv_sec);
  s.TimeNanos = static_cast<std::int64_t>(st.st_mtim.tv_nsec);
  s.Device = static_cast<std::uint64_t>(st.st_dev);
  s.Node = static_cast<std::uint64_t>(st.st_ino);
  return s;
}

std::optional<std::vector<std::string>> FolderNames(const std::filesystem::path& dir) {
  DIR* d = ::opendir(dir.c_str());
  if (!d) {
    if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;
    throw TFileError("Cannot open folder \"" + PathText(dir) + "\". " + std::strerror(errno));
  }
  std::vector<std::string> names;
  while (dirent* e = ::readdir(d)) {
    std::string name = e->d_name;
    if (name != "." && name != "..") names.push_back(std::move(name));
  }
  ::closedir(d);
  return names;
}

bool ToLocalTime(std::time_t t, std::tm& out) { return localtime_r(&t, &out) != nullptr; }

bool IsTerminal(int stream) { return ::isatty(stream == 2 ? STDERR_FILENO : STDOUT_FILENO) != 0; }

void WriteStandardOutput(std::string_view bytes) {
  std::cout.flush();
  while (!bytes.empty()) {
    const ssize_t n = ::write(STDOUT_FILENO, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      throw std::runtime_error("cannot write the output");
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
}

std::vector<std::string> ProgramArguments(int argc, char** argv) { return std::vector<std::string>(argv + 1, argv + argc); }

std::filesystem::path ProgramFile() {
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::filesystem::path() : exe;
}

std::filesystem::path PathFromUtf8(std::string_view utf8) { return std::filesystem::path(utf8); }

std::string PathToUtf8(const std::filesystem::path& p) { return p.string(); }

}  // namespace platform
