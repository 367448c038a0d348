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

// Little-endian UTF-16 bytes as UTF-8; an unpaired surrogate becomes "?", as it does in the
// code page.
std::string Utf16LEBytesToUtf8(std::string_view bytes) {
  std::string out;
  auto unit = [&](std::size_t i) {
    return static_cast<unsigned>(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
  };
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    unsigned cp = unit(i);
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 && unit(i + 2) <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
      i += 2;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = '?';
    }
    platform::AppendUtf8(cp, out);
  }
  return out;
}

// The next $$HEX<n>$$<hex>$$ENDHEX$$ run of `view` at or after `pos`: where it starts (npos: none),
// and, when it is well formed, its UTF-16LE bytes and where the text goes on after it (Next);
// for one that is not, Next is past its "$$HEX", where the search goes on. The count n is not
// trusted: the digits decide.
struct THexRun {
  std::size_t Start = std::string_view::npos, Next = 0;
  bool WellFormed = false;
};

THexRun FindHexRun(std::string_view view, std::size_t pos, std::string& bytes) {
  THexRun run;
  run.Start = view.find(kHexStart, pos);
  if (run.Start == std::string_view::npos) return run;
  const std::size_t digits = run.Start + kHexStart.size();
  std::size_t count = digits;
  while (count < view.size() && view[count] >= '0' && view[count] <= '9') ++count;
  const std::size_t hex = count + 2;
  const std::size_t end =
      count > digits && view.substr(count, 2) == "$$" ? view.find(kHexEnd, hex) : std::string_view::npos;
  run.WellFormed = end != std::string_view::npos && HexBytes(view.substr(hex, end - hex), bytes);
  run.Next = run.WellFormed ? end + kHexEnd.size() : digits;
  return run;
}

// Replaces every well-formed run of `text` from byte `from` on by its characters, in the text's
// own room (a run is always longer than the characters it stands for); the bytes before `from` are
// dropped. A run that is not well formed stays as it is written.
void DecodeHexRuns(std::string& text, std::size_t from, bool utf8) {
  char* data = text.data();
  std::string bytes;
  std::size_t write = 0, pos = from;
  const auto keep = [&](std::size_t upTo) {
    std::char_traits<char>::move(data + write, data + pos, upTo - pos);
    write += upTo - pos;
    pos = upTo;
  };
  const std::string_view view(text);
  while (pos < view.size()) {
    const THexRun run = FindHexRun(view, pos, bytes);
    if (run.Start == std::string_view::npos) break;
    if (!run.WellFormed) {
      keep(run.Next);
      continue;
    }
    keep(run.Start);
    const std::string decoded =
        utf8 ? Utf16LEBytesToUtf8(bytes) : platform::Utf16LEBytesToCodePage(bytes.data(), bytes.size());
    std::char_traits<char>::copy(data + write, decoded.data(), decoded.size());
    write += decoded.size();
    pos = run.Next;
  }
  keep(view.size());
  text.resize(write);
}

}  // namespace

std::string DecodeExportText(std::string_view bytes) { return DecodeExportText(std::string(bytes)); }

std::string DecodeExportText(std::string&& bytes) {
  std::string text = platform::DecodeOwnedText(std::move(bytes));
  if (IsHexAscii(text)) DecodeHexRuns(text, 2, false);
  return text;
}

bool IsHexAscii(std::string_view bytes) { return bytes.substr(0, kHexAsciiHeader.size()) == kHexAsciiHeader; }

platform::THexAsciiLines HexAsciiLines(std::string_view bytes) {
  platform::THexAsciiLines lines;
  if (!IsHexAscii(bytes)) return lines;
  std::vector<std::string> raw, decoded;
  platform::SplitLines(bytes.substr(2), raw);
  platform::SplitLines(DecodeExportText(bytes), decoded);
  // A run standing for a line break would shift the lines: then nothing is kept as read.
  if (raw.size() != decoded.size()) return lines;
  for (std::size_t i = 0; i < raw.size(); ++i)
    if (raw[i].find(kHexStart) != std::string::npos) lines.emplace(std::move(decoded[i]), std::move(raw[i]));
  return lines;
}

bool HoldsUtf8Text(std::string_view bytes) {
  if (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF") return false;
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  return platform::IsValidUtf8(bytes);
}

std::string DecodeExportTextUtf8(std::string&& bytes) {
  if (IsHexAscii(bytes))
    DecodeHexRuns(bytes, 2, true);
  else if (std::string_view(bytes).substr(0, 3) == "\xEF\xBB\xBF")
    bytes.erase(0, 3);
  return std::move(bytes);
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
