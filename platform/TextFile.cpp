#include "TextFile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>

#include "CodePage.h"
#include "FileSys.h"

namespace platform {

namespace {

// The encoding of a file's bytes, as DecodeText takes them.
TTextEncoding EncodingOf(std::string_view bytes, TUnmarked unmarked) {
  auto starts = [&](std::string_view bom) { return bytes.substr(0, bom.size()) == bom; };
  if (starts("\xEF\xBB\xBF")) return TTextEncoding::Utf8Bom;
  if (starts("\xFF\xFE")) return TTextEncoding::Utf16LE;
  if (starts("\xFE\xFF")) return TTextEncoding::Utf16BE;
  if (unmarked == TUnmarked::Guess) {
    const std::size_t first = FindNonAscii(bytes);
    if (first != std::string_view::npos && IsValidUtf8(bytes.substr(first))) return TTextEncoding::Utf8;
  }
  return TTextEncoding::CodePage;
}

}  // namespace

namespace {

template <class TLine>
void SplitInto(std::string_view text, std::vector<TLine>& lines, bool stopAtNul) {
  if (stopAtNul) {
    std::size_t nul = text.find('\0');
    if (nul != std::string_view::npos) text = text.substr(0, nul);
  }
  std::size_t start = 0;
  const std::size_t n = text.size();
  while (start < n) {
    std::size_t i = start;
    while (i < n && text[i] != '\r' && text[i] != '\n') ++i;
    lines.emplace_back(text.substr(start, i - start));
    if (i < n) i += (text[i] == '\r' && i + 1 < n && text[i + 1] == '\n') ? 2 : 1;
    start = i;
  }
}

}  // namespace

void SplitLines(std::string_view text, std::vector<std::string>& lines, bool stopAtNul) { SplitInto(text, lines, stopAtNul); }

void SplitLines(std::string_view text, std::vector<std::string_view>& lines, bool stopAtNul) {
  SplitInto(text, lines, stopAtNul);
}

bool IsValidUtf8(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  std::size_t i = 0;
  while (i < n) {
    const unsigned char c = p[i];
    if (c < 0x80) {
      i = std::min(FindNonAscii(bytes, i + 1), n);
      continue;
    }
    std::size_t len;
    unsigned char lo = 0x80, hi = 0xBF;  // bounds of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
      len = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
      len = 3;
      if (c == 0xE0) lo = 0xA0;  // no overlong forms
      if (c == 0xED) hi = 0x9F;  // no surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
      len = 4;
      if (c == 0xF0) lo = 0x90;
      if (c == 0xF4) hi = 0x8F;  // nothing above U+10FFFF
    } else {
      return false;
    }
    if (n - i < len || p[i + 1] < lo || p[i + 1] > hi) return false;
    for (std::size_t k = 2; k < len; ++k)
      if ((p[i + k] & 0xC0) != 0x80) return false;
    i += len;
  }
  return true;
}

std::string DecodeText(std::string_view bytes, TTextEncoding* encoding, TUnmarked unmarked) {
  const TTextEncoding enc = EncodingOf(bytes, unmarked);
  if (encoding) *encoding = enc;
  switch (enc) {
    case TTextEncoding::Utf8Bom: return Utf8ToCodePage(bytes.substr(3));
    case TTextEncoding::Utf8: return Utf8ToCodePage(bytes);
    case TTextEncoding::Utf16LE: return Utf16LEBytesToCodePage(bytes.data() + 2, bytes.size() - 2);
    case TTextEncoding::Utf16BE: {
      std::string le(bytes.substr(2));
      for (std::size_t i = 0; i + 1 < le.size(); i += 2) std::swap(le[i], le[i + 1]);
      return Utf16LEBytesToCodePage(le.data(), le.size());
    }
    case TTextEncoding::CodePage: break;
  }
  return unmarked == TUnmarked::Gb18030 ? std::string(bytes) : AnsiToCodePage(bytes);
}

std::string DecodeOwnedText(std::string&& bytes, TTextEncoding* encoding, TUnmarked unmarked) {
  const TTextEncoding enc = EncodingOf(bytes, unmarked);
  if (enc == TTextEncoding::Utf8Bom || enc == TTextEncoding::Utf8) {
    // Converted in the file's own room: no second copy of a large text.
    if (encoding) *encoding = enc;
    Utf8ToCodePageInPlace(bytes, enc == TTextEncoding::Utf8Bom ? 3 : 0);
    return std::move(bytes);
  }
  if (enc != TTextEncoding::CodePage || (unmarked != TUnmarked::Gb18030 && AnsiCodePage() != 936))
    return DecodeText(bytes, encoding, unmarked);
  if (encoding) *encoding = enc;
  return std::move(bytes);
}

TTextFormat DetectTextFormat(std::string_view bytes, TUnmarked unmarked) {
  TTextFormat format;
  format.Encoding = EncodingOf(bytes, unmarked);
  if (format.Encoding == TTextEncoding::CodePage) format.CodePage = unmarked == TUnmarked::Gb18030 ? 936 : AnsiCodePage();
  format.HexAscii = bytes.substr(0, 18) == "HA$PBExportHeader$";
  // The text as code units: bytes, or UTF-16 units after the mark.
  const bool wide = format.Encoding == TTextEncoding::Utf16LE || format.Encoding == TTextEncoding::Utf16BE;
  const std::size_t skip = format.Encoding == TTextEncoding::Utf8Bom ? 3 : (wide ? 2 : 0);
  const std::size_t width = wide ? 2 : 1;
  const std::size_t units = (bytes.size() - skip) / width;
  auto unit = [&](std::size_t i) -> unsigned {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + skip + i * width);
    if (!wide) return p[0];
    return format.Encoding == TTextEncoding::Utf16LE ? p[0] | p[1] << 8 : p[0] << 8 | p[1];
  };
  if (units == 0) return format;
  for (std::size_t i = 0; i < units; ++i) {
    const unsigned u = unit(i);
    if (u == '\n') {
      format.Break = TLineBreak::Lf;
      break;
    }
    if (u == '\r') {
      format.Break = i + 1 < units && unit(i + 1) == '\n' ? TLineBreak::CrLf : TLineBreak::Cr;
      break;
    }
  }
  const unsigned last = unit(units - 1);
  format.FinalBreak = last == '\n' || last == '\r';
  return format;
}

std::vector<std::string> LoadTextLines(const std::filesystem::path& p, TTextEncoding* encoding, TUnmarked unmarked) {
  std::vector<std::string> lines;
  SplitLines(DecodeText(ReadFileBytes(p), encoding, unmarked), lines);
  return lines;
}

namespace {

// The message for a character at `offset` of `text` that cannot be saved in `encoding`.
std::string CannotHold(const std::filesystem::path& p, std::string_view text, std::size_t offset, const TTextFormat& f) {
  std::size_t line = 1;
  for (std::size_t i = 0; i < offset; ++i)
    if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))) ++line;
  const std::string_view ch = text.substr(offset, CharLength(text.substr(offset)));
  std::string what;
  std::optional<std::string> le = CodePageToUtf16LEStrict(ch);
  if (!le) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "0x%02X", static_cast<unsigned char>(ch[0]));
    what = std::string("the byte ") + buf + ", which is no character,";
  } else {
    unsigned cp = static_cast<unsigned char>((*le)[0]) | static_cast<unsigned char>((*le)[1]) << 8;
    if (le->size() == 4) {
      unsigned low = static_cast<unsigned char>((*le)[2]) | static_cast<unsigned char>((*le)[3]) << 8;
      cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
    }
    char buf[16];
    std::snprintf(buf, sizeof buf, "U+%04X", cp);
    what = "the character \"" + CodePageToUtf8(ch) + "\" (" + buf + "), which";
  }
  std::string target;
  switch (f.Encoding) {
    case TTextEncoding::CodePage: target = "code page " + std::to_string(f.CodePage ? f.CodePage : AnsiCodePage()); break;
    case TTextEncoding::Utf8:
    case TTextEncoding::Utf8Bom: target = "UTF-8"; break;
    case TTextEncoding::Utf16LE:
    case TTextEncoding::Utf16BE: target = "UTF-16"; break;
  }
  return "Cannot save file \"" + PathText(p) + "\". Line " + std::to_string(line) + " holds " + what +
         " cannot be written in " + target + ".";
}

}  // namespace

std::optional<std::string> EncodeHexAsciiLine(std::string_view line, std::size_t* badOffset) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  out.reserve(line.size());
  std::size_t pos = 0;
  while (pos < line.size()) {
    const std::size_t start = FindNonAscii(line, pos);
    out.append(line.substr(pos, start - pos));
    if (start >= line.size()) break;
    std::size_t end = start;
    while (end < line.size() && static_cast<unsigned char>(line[end]) >= 0x80) end += CharLength(line.substr(end));
    std::size_t bad = 0;
    const std::optional<std::string> le = CodePageToUtf16LEStrict(line.substr(start, end - start), &bad);
    if (!le) {
      if (badOffset) *badOffset = start + bad;
      return std::nullopt;
    }
    out += "$$HEX" + std::to_string(le->size() / 2) + "$$";
    for (char c : *le) {
      out += kDigits[static_cast<unsigned char>(c) >> 4];
      out += kDigits[static_cast<unsigned char>(c) & 15];
    }
    out += "$$ENDHEX$$";
    pos = end;
  }
  return out;
}

std::string EncodeTextLines(const std::filesystem::path& p, const std::vector<std::string>& lines,
                            const TTextFormat& format, const THexAsciiLines* asRead) {
  const char* brk = format.Break == TLineBreak::CrLf ? "\r\n" : (format.Break == TLineBreak::Lf ? "\n" : "\r");
  std::string text;
  std::size_t total = 0;
  for (const std::string& line : lines) total += line.size() + 2;
  text.reserve(total);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    text += lines[i];
    if (i + 1 < lines.size() || format.FinalBreak) text += brk;
  }
  std::optional<std::string> bytes;
  std::size_t bad = 0;
  if (format.HexAscii) {
    std::string hex = "HA";
    hex.reserve(text.size() + 2);
    for (std::size_t i = 0, offset = 0; i < lines.size(); offset += lines[i].size() + std::strlen(brk), ++i) {
      const auto kept = asRead ? asRead->find(lines[i]) : THexAsciiLines::const_iterator{};
      std::optional<std::string> line = asRead && kept != asRead->end() ? kept->second : EncodeHexAsciiLine(lines[i], &bad);
      if (!line) throw TFileError(CannotHold(p, text, offset + bad, format));
      hex += *line;
      if (i + 1 < lines.size() || format.FinalBreak) hex += brk;
    }
    // The HEXASCII text is ASCII, the same bytes in every code page.
    bytes = std::move(hex);
  } else switch (format.Encoding) {
    case TTextEncoding::CodePage:
      bytes = CodePageToAnsi(text, format.CodePage, &bad);
      break;
    case TTextEncoding::Utf8Bom:
    case TTextEncoding::Utf8:
      bytes = CodePageToUtf8Strict(text, &bad);
      if (bytes && format.Encoding == TTextEncoding::Utf8Bom) bytes->insert(0, "\xEF\xBB\xBF");
      break;
    case TTextEncoding::Utf16LE:
    case TTextEncoding::Utf16BE:
      bytes = CodePageToUtf16LEStrict(text, &bad);
      if (!bytes) break;
      if (format.Encoding == TTextEncoding::Utf16BE)
        for (std::size_t i = 0; i + 1 < bytes->size(); i += 2) std::swap((*bytes)[i], (*bytes)[i + 1]);
      bytes->insert(0, format.Encoding == TTextEncoding::Utf16LE ? "\xFF\xFE" : "\xFE\xFF");
      break;
  }
  if (!bytes) throw TFileError(CannotHold(p, text, bad, format));
  return std::move(*bytes);
}

void SaveTextLines(const std::filesystem::path& p, const std::vector<std::string>& lines, const TTextFormat& format,
                   const THexAsciiLines* asRead) {
  WriteFileBytes(p, EncodeTextLines(p, lines, format, asRead));
}

}  // namespace platform
