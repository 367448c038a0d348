#include "ExportFile.h"

#include "platform/CodePage.h"
#include "platform/TextFile.h"

namespace sides {
namespace {

constexpr std::string_view kHexAsciiHeader = "HA$PBExportHeader$";
constexpr std::string_view kHexStart = "$$HEX";
constexpr std::string_view kHexEnd = "$$ENDHEX$$";

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The bytes of a run's hex digits, or false when they are no whole number of UTF-16 units.
bool HexBytes(std::string_view hex, std::string& bytes) {
  if (hex.size() % 4 != 0) return false;
  bytes.clear();
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    int hi = HexDigit(hex[i]), lo = HexDigit(hex[i + 1]);
    if (hi < 0 || lo < 0) return false;
    bytes += static_cast<char>(hi << 4 | lo);
  }
  return true;
}

// Replaces every well-formed $$HEX<n>$$<hex>$$ENDHEX$$ run by its characters. A run that is not
// well formed stays as it is written. The count n is not trusted: the digits decide.
std::string DecodeHexRuns(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::string bytes;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t start = text.find(kHexStart, pos);
    if (start == std::string_view::npos) break;
    std::size_t digits = start + kHexStart.size();
    std::size_t count = digits;
    while (count < text.size() && text[count] >= '0' && text[count] <= '9') ++count;
    std::size_t hex = count + 2;
    std::size_t end = count > digits && text.substr(count, 2) == "$$" ? text.find(kHexEnd, hex) : std::string_view::npos;
    if (end == std::string_view::npos || !HexBytes(text.substr(hex, end - hex), bytes)) {
      out.append(text.substr(pos, digits - pos));
      pos = digits;
      continue;
    }
    out.append(text.substr(pos, start - pos));
    out += platform::Utf16LEBytesToCodePage(bytes.data(), bytes.size());
    pos = end + kHexEnd.size();
  }
  out.append(text.substr(pos));
  return out;
}

}  // namespace

std::string DecodeExportText(std::string_view bytes) {
  std::string text = platform::DecodeText(bytes);
  if (std::string_view(text).substr(0, kHexAsciiHeader.size()) != kHexAsciiHeader) return text;
  return DecodeHexRuns(std::string_view(text).substr(2));
}

std::vector<std::string> DecodeExportFile(std::string_view bytes) {
  std::vector<std::string> lines;
  platform::SplitLines(DecodeExportText(bytes), lines);
  return lines;
}

bool IsExportFileName(std::string_view name) {
  if (name.size() < 5) return false;
  std::string_view ext = name.substr(name.size() - 4);
  return ext[0] == '.' && (ext[1] == 's' || ext[1] == 'S') && (ext[2] == 'r' || ext[2] == 'R') &&
         static_cast<unsigned char>(ext[3]) > ' ' && ext[3] != '.' && ext[3] != '/';
}

std::string ExportComment(const std::vector<std::string>& lines) {
  constexpr std::string_view kComments = "$PBExportComments$";
  if (lines.size() < 2 || std::string_view(lines[1]).substr(0, kComments.size()) != kComments) return {};
  return lines[1].substr(kComments.size());
}

}  // namespace sides
