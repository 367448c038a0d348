// Watching files while the program uses them: a file's bytes and modification time, and the
// kernel's events on the files of some folders (how each was opened and closed, and any change).
// Toolkit-free and test-framework-free, so that the GoogleTest and the Qt Test cases share it.
#pragma once

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/FileSys.h"

namespace testsupport {

// A file's bytes and modification time (to the nanosecond).
struct TSnapshot {
  std::string Bytes;
  std::int64_t Sec = -1, Nsec = -1;
  friend bool operator==(const TSnapshot&, const TSnapshot&) = default;
};

inline TSnapshot Snap(const std::filesystem::path& p) {
  struct stat st {};
  if (::stat(p.c_str(), &st) != 0) return {};
  return {platform::ReadFileBytes(p), st.st_mtim.tv_sec, st.st_mtim.tv_nsec};
}

// What happened to the watched files since the last look.
struct TFileEvents {
  std::set<std::filesystem::path> Opened;  // opened (a file kept open has no close event yet)
  std::set<std::filesystem::path> Read;    // closed after being opened for reading only
  std::vector<std::string> Changes;      // anything else: written, created, removed, attributes
};

class TWatch {
 public:
  explicit TWatch(const std::vector<std::filesystem::path>& dirs) : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    for (const auto& d : dirs) {
      int wd = inotify_add_watch(fd_, d.c_str(), IN_ALL_EVENTS);
      if (wd < 0) failed_.push_back("cannot watch " + d.string());
      dirs_[wd] = d;
    }
  }
  ~TWatch() { ::close(fd_); }
  TWatch(const TWatch&) = delete;
  TWatch& operator=(const TWatch&) = delete;

  TFileEvents Take() {
    TFileEvents out;
    out.Changes = std::move(failed_);
    failed_.clear();
    alignas(inotify_event) char buf[65536];
    for (;;) {
      ssize_t n = ::read(fd_, buf, sizeof buf);
      if (n <= 0) break;
      for (char* p = buf; p < buf + n;) {
        auto* e = reinterpret_cast<inotify_event*>(p);
        p += sizeof(inotify_event) + e->len;
        std::filesystem::path file = dirs_[e->wd] / (e->len ? e->name : "");
        if (e->mask & IN_OPEN) out.Opened.insert(file);
        if (e->mask & IN_CLOSE_NOWRITE) out.Read.insert(file);
        const std::uint32_t bad = IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_CREATE | IN_DELETE | IN_MOVED_FROM |
                                  IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF;
        if (e->mask & bad) {
          std::ostringstream what;
          what << "event 0x" << std::hex << (e->mask & bad) << " on " << file.string();
          out.Changes.push_back(what.str());
        }
      }
    }
    return out;
  }

 private:
  int fd_;
  std::map<int, std::filesystem::path> dirs_;
  std::vector<std::string> failed_;
};

// The files among `files` that this process holds open with any right other than reading.
inline std::vector<std::filesystem::path> OpenForWriting(const std::vector<std::filesystem::path>& files) {
  std::vector<std::filesystem::path> out;
  for (const auto& e : std::filesystem::directory_iterator("/proc/self/fd")) {
    std::error_code ec;
    std::filesystem::path target = std::filesystem::read_symlink(e.path(), ec);
    if (ec || std::find(files.begin(), files.end(), target) == files.end()) continue;
    std::string info = platform::ReadFileBytes("/proc/self/fdinfo/" + e.path().filename().string());
    std::size_t at = info.find("flags:");
    if (at == std::string::npos || (std::stoi(info.substr(at + 6), nullptr, 8) & O_ACCMODE) != O_RDONLY)
      out.push_back(target);
  }
  return out;
}

}  // namespace testsupport
