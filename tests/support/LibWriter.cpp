#include "LibWriter.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include "platform/CodePage.h"

namespace testsupport {

void PutI32(std::string& bytes, std::size_t at, std::int32_t v) {
  auto u = static_cast<std::uint32_t>(v);
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((u >> (8 * i)) & 0xFF);
}

void PutU16(std::string& bytes, std::size_t at, std::uint16_t v) {
  bytes[at] = static_cast<char>(v & 0xFF);
  bytes[at + 1] = static_cast<char>(v >> 8);
}

namespace {

std::string Utf16LE(const std::string& utf8) {
  std::u16string u = platform::CodePageToUtf16(platform::Utf8ToCodePage(utf8));
  std::string out;
  for (char16_t c : u) {
    out += static_cast<char>(c & 0xFF);
    out += static_cast<char>(c >> 8);
  }
  return out;
}

void PadTo(std::string& bytes, std::size_t size) {
  if (bytes.size() < size) bytes.resize(size, '\0');
}

}  // namespace

int TLibWriter::AddNode(std::vector<TFakeEntry> entries) {
  nodes_.push_back({std::move(entries), -1, -1});
  return static_cast<int>(nodes_.size()) - 1;
}

void TLibWriter::SetChildren(int node, int first, int second) {
  nodes_.at(node).First = first;
  nodes_.at(node).Second = second;
}

std::string TLibWriter::EncodeText(const std::string& utf8) const {
  if (!unicode_) {
    // Keep NUL bytes where the test put them: convert the pieces between them.
    std::string out;
    std::size_t start = 0;
    while (true) {
      std::size_t nul = utf8.find('\0', start);
      out += platform::Utf8ToCodePage(utf8.substr(start, nul == std::string::npos ? std::string::npos : nul - start));
      if (nul == std::string::npos) break;
      out += '\0';
      start = nul + 1;
    }
    return out;
  }
  return Utf16LE(utf8);
}

std::string TLibWriter::EncodeName(const std::string& utf8) const {
  return unicode_ ? Utf16LE(utf8) + std::string(2, '\0') : platform::Utf8ToCodePage(utf8) + '\0';
}

std::string TLibWriter::Build() {
  std::string bytes;
  if (unicode_) {
    bytes = "HDR*" + Utf16LE("PowerBuilder");
  } else {
    bytes = "HDR*PowerBuilder";
  }
  const std::size_t root = unicode_ ? 1536 : 1024;
  const std::size_t fixed = unicode_ ? 28 : 24;

  // Lay out the nodes, each as long as its entries need, rounded up to 512 bytes.
  NodeOffsets.assign(nodes_.size(), 0);
  EntryOffsets.assign(nodes_.size(), {});
  DataOffsets.assign(nodes_.size(), {});
  std::size_t pos = root;
  for (std::size_t n = 0; n < nodes_.size(); ++n) {
    NodeOffsets[n] = static_cast<std::int64_t>(pos);
    std::size_t len = 32;
    for (const auto& e : nodes_[n].Entries) len += fixed + EncodeName(e.Name).size();
    pos += (len + 511) / 512 * 512;
  }
  PadTo(bytes, pos);

  // Data chains after the nodes.
  for (std::size_t n = 0; n < nodes_.size(); ++n) {
    for (const auto& e : nodes_[n].Entries) {
      std::string data = EncodeText(e.Text);
      if (e.TrailingNul) data += std::string(unicode_ ? 2 : 1, '\0');
      DataOffsets[n].push_back(static_cast<std::int64_t>(bytes.size()));
      std::size_t done = 0;
      do {
        std::size_t take = std::min(BlockData, data.size() - done);
        std::size_t at = bytes.size();
        bytes.resize(at + 512, '\0');
        if (take + 10 > 512) bytes.resize(at + 10 + take, '\0');
        bytes.replace(at, 4, "DAT*");
        bool last = done + take >= data.size();
        PutI32(bytes, at + 4, last ? 0 : static_cast<std::int32_t>(bytes.size()));
        PutU16(bytes, at + 8, static_cast<std::uint16_t>(take));
        bytes.replace(at + 10, take, data, done, take);
        done += take;
      } while (done < data.size());
    }
  }

  // Now the nodes and their entry records.
  for (std::size_t n = 0; n < nodes_.size(); ++n) {
    std::size_t at = static_cast<std::size_t>(NodeOffsets[n]);
    const TNode& node = nodes_[n];
    bytes.replace(at, 4, "NOD*");
    PutI32(bytes, at + 4, node.First >= 0 ? static_cast<std::int32_t>(NodeOffsets[node.First]) : 0);
    PutI32(bytes, at + 12, node.Second >= 0 ? static_cast<std::int32_t>(NodeOffsets[node.Second]) : 0);
    PutU16(bytes, at + 20, static_cast<std::uint16_t>(node.Entries.size()));
    std::size_t e = at + 32;
    for (std::size_t i = 0; i < node.Entries.size(); ++i) {
      const TFakeEntry& entry = node.Entries[i];
      std::string name = EncodeName(entry.Name);
      std::string data = EncodeText(entry.Text);
      std::int32_t size = entry.SizeOverride >= 0
                              ? entry.SizeOverride
                              : static_cast<std::int32_t>(data.size() + (entry.TrailingNul ? (unicode_ ? 2 : 1) : 0));
      EntryOffsets[n].push_back(static_cast<std::int64_t>(e));
      bytes.replace(e, 4, "ENT*");
      std::size_t f = e;
      if (unicode_) {
        bytes.replace(e + 4, 8, Utf16LE("0600"));
        f += 4;
      } else {
        bytes.replace(e + 4, 4, "0600");
      }
      PutI32(bytes, f + 8, static_cast<std::int32_t>(DataOffsets[n][i]));
      PutI32(bytes, f + 12, size);
      PutI32(bytes, f + 16, entry.Time);
      PutU16(bytes, f + 20, entry.CommentLen);
      PutU16(bytes, f + 22, static_cast<std::uint16_t>(name.size()));
      bytes.replace(e + fixed, name.size(), name);
      e += fixed + name.size();
    }
  }
  return bytes;
}

TTempDir::TTempDir() {
#ifdef _WIN32
  // No mkdtemp: a name of the process and a counter, made with create_directory, which fails for
  // a folder that is there already.
  static int counter = 0;
  for (;;) {
    path_ = std::filesystem::temp_directory_path() /
            ("quorvex-test-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter));
    if (std::filesystem::create_directory(path_)) break;
  }
#else
  std::string pattern = (std::filesystem::temp_directory_path() / "quorvex-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
#endif
}

TTempDir::~TTempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::filesystem::path TTempDir::Write(const std::string& name, const std::string& bytes) const {
  std::filesystem::path p = path_ / name;
  std::filesystem::create_directories(p.parent_path());
  std::ofstream out(p, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return p;
}

TCodePageScope::TCodePageScope(int number) : saved_(platform::AnsiCodePage()) { platform::SetAnsiCodePage(number); }

TCodePageScope::~TCodePageScope() { platform::SetAnsiCodePage(saved_); }

std::filesystem::path TestDataDir() {
  std::filesystem::path dir = QUORVEX_TESTDATA;
  std::error_code ec;
  return std::filesystem::is_directory(dir, ec) ? dir : std::filesystem::path();
}

}  // namespace testsupport
