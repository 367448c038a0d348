// Fuzz input as a file: the readers take paths and streams, so each input is written to an
// anonymous in-memory file and handed over by its /proc path.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <string>

class TFuzzFile {
 public:
  TFuzzFile(const std::uint8_t* data, std::size_t size) : fd_(memfd_create("fuzz", 0)) {
    std::size_t done = 0;
    while (fd_ >= 0 && done < size) {
      ssize_t n = ::write(fd_, data + done, size - done);
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
  }
  ~TFuzzFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  bool Ok() const { return fd_ >= 0; }
  std::filesystem::path Path() const { return "/proc/self/fd/" + std::to_string(fd_); }

 private:
  int fd_;
};
