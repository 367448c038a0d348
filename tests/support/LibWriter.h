// A writer of synthetic PowerBuilder libraries, for tests, benchmarks and fuzz seeds only: the
// program itself never writes a library.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace testsupport {

struct TFakeEntry {
  std::string Name;      // UTF-8, with extension
  std::string Text;      // UTF-8 (8-bit variant: converted to the code page; may hold NUL bytes)
  std::int32_t Time = 0;
  std::uint16_t CommentLen = 0;  // as stored: bytes (8-bit) or UTF-16 units (16-bit)
  bool TrailingNul = false;      // store one NUL after the text and count it in the size
  std::int32_t SizeOverride = -1;
};

// Builds a library in memory. Nodes are added in order; node 0 is the root. Blocks carry at most
// `BlockData` bytes each (502 in real files; smaller values make long chains from short texts).
class TLibWriter {
 public:
  explicit TLibWriter(bool unicode) : unicode_(unicode) {}

  int AddNode(std::vector<TFakeEntry> entries);
  void SetChildren(int node, int first, int second);  // -1 for none

  std::size_t BlockData = 502;

  std::string Build();

  // Offsets in the last Build(), for tests that damage a file on purpose.
  std::vector<std::int64_t> NodeOffsets;
  std::vector<std::vector<std::int64_t>> EntryOffsets;  // per node, per entry: the record
  std::vector<std::vector<std::int64_t>> DataOffsets;   // per node, per entry: the first block

 private:
  struct TNode {
    std::vector<TFakeEntry> Entries;
    int First = -1, Second = -1;
  };
  std::string EncodeText(const std::string& utf8) const;
  std::string EncodeName(const std::string& utf8) const;
  bool unicode_;
  std::vector<TNode> nodes_;
};

void PutI32(std::string& bytes, std::size_t at, std::int32_t v);
void PutU16(std::string& bytes, std::size_t at, std::uint16_t v);

// A temporary folder removed with its contents when the object goes.
class TTempDir {
 public:
  TTempDir();
  ~TTempDir();
  const std::filesystem::path& Path() const { return path_; }
  std::filesystem::path Write(const std::string& name, const std::string& bytes) const;

 private:
  std::filesystem::path path_;
};

// Sets the 8-bit code page of the input for the life of the object, then sets back the one before.
class TCodePageScope {
 public:
  explicit TCodePageScope(int number);
  ~TCodePageScope();
  TCodePageScope(const TCodePageScope&) = delete;
  TCodePageScope& operator=(const TCodePageScope&) = delete;

 private:
  int saved_;
};

// The folder of the real library files, or empty when it is not there.
std::filesystem::path TestDataDir();

}  // namespace testsupport
