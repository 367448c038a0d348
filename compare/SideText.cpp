#include "compare/SideText.h"

#include <cstring>
#include <limits>
#include <string>

#include "platform/FileSys.h"
#include "sides/ExportFile.h"
#include <stdexcept>

namespace compare {

namespace {

void CheckSize(std::size_t bytes) {
  if (bytes > std::numeric_limits<std::uint32_t>::max())
    throw std::length_error("The text is too long to compare (4 GB at most).");
}

}  // namespace

TSideText::TSideText(const std::vector<std::string>& lines) {
  std::size_t total = 0;
  for (const std::string& l : lines) total += l.size();
  CheckSize(total);
  buffer_.reserve(total);
  starts_.reserve(lines.size() + 1);
  for (const std::string& l : lines) {
    buffer_ += l;
    starts_.push_back(static_cast<std::uint32_t>(buffer_.size()));
  }
}

TSideText TSideText::FromText(std::string text) {
  CheckSize(text.size());
  TSideText t;
  // One offset per line: a line feed ends most lines (a text broken by lone CRs grows the array).
  std::size_t feeds = 0;
  for (const char* p = text.data(); (p = static_cast<const char*>(std::memchr(p, '\n', text.data() + text.size() - p)));
       ++p)
    ++feeds;
  t.starts_.reserve(feeds + 2);
  // The bytes move left over the breaks they lose; nothing is copied elsewhere.
  std::size_t read = 0, write = 0;
  const std::size_t n = text.size();
  char* const data = text.data();
  while (read < n) {
    const std::size_t start = read;
    // The line feed that ends the line, unless a lone CR comes first.
    const void* lf = std::memchr(data + read, '\n', n - read);
    read = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - data) : n;
    if (const void* cr = std::memchr(data + start, '\r', read - start))
      read = static_cast<std::size_t>(static_cast<const char*>(cr) - data);
    if (write != start) std::char_traits<char>::move(data + write, data + start, read - start);
    write += read - start;
    t.starts_.push_back(static_cast<std::uint32_t>(write));
    if (read < n) read += (data[read] == '\r' && read + 1 < n && data[read + 1] == '\n') ? 2 : 1;
  }
  // The breaks' bytes stay unused at the end: giving them back would copy the whole text.
  text.resize(write);
  t.starts_.shrink_to_fit();
  t.buffer_ = std::move(text);
  return t;
}

std::vector<std::string_view> TSideText::Views() const {
  std::vector<std::string_view> v;
  v.reserve(static_cast<std::size_t>(Count()));
  for (std::int32_t i = 0; i < Count(); ++i) v.push_back(Line(i));
  return v;
}

std::vector<std::string> TSideText::ToVector() const {
  std::vector<std::string> v;
  v.reserve(static_cast<std::size_t>(Count()));
  for (std::int32_t i = 0; i < Count(); ++i) v.emplace_back(Line(i));
  return v;
}

TSideFile ReadSideFile(const std::filesystem::path& path) { return {path, platform::ReadFileBytes(path)}; }

TSideText SideTextOf(TSideFile file, bool utf8) {
  std::string& bytes = file.Bytes;
  const platform::TTextFormat format = platform::DetectTextFormat(bytes);
  std::shared_ptr<const platform::THexAsciiLines> hexLines;
  if (format.HexAscii && !utf8) hexLines = std::make_shared<const platform::THexAsciiLines>(sides::HexAsciiLines(bytes));
  // An export in the HEXASCII format (older releases) is compared as the text it stands for.
  TSideText text = TSideText::FromText(utf8                       ? sides::DecodeExportTextUtf8(std::move(bytes))
                                       : sides::IsHexAscii(bytes) ? sides::DecodeExportText(std::move(bytes))
                                                                  : platform::DecodeOwnedText(std::move(bytes)));
  text.Title = file.Path.string();
  text.Format = format;
  text.HexLines = std::move(hexLines);
  if (auto info = platform::FindFirst(file.Path)) text.FileTime = info->Time;
  return text;
}

TSideText LoadSideText(const std::filesystem::path& path) { return SideTextOf(ReadSideFile(path)); }

}  // namespace compare
