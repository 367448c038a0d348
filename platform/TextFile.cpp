#include "TextFile.h"

#include "CodePage.h"
#include "FileSys.h"

namespace platform {

namespace {

bool HasNonAscii(std::string_view bytes) {
  for (char c : bytes)
    if (static_cast<unsigned char>(c) >= 0x80) return true;
  return false;
}

}  // namespace

void SplitLines(std::string_view text, std::vector<std::string>& lines, bool stopAtNul) {
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

bool IsValidUtf8(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  std::size_t i = 0;
  while (i < n) {
    const unsigned char c = p[i];
    if (c < 0x80) {
      ++i;
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

std::string DecodeText(std::string_view bytes, TTextEncoding* encoding) {
  auto starts = [&](std::string_view bom) { return bytes.substr(0, bom.size()) == bom; };
  TTextEncoding enc = TTextEncoding::CodePage;
  std::string text;
  if (starts("\xEF\xBB\xBF")) {
    enc = TTextEncoding::Utf8Bom;
    text = Utf8ToCodePage(bytes.substr(3));
  } else if (starts("\xFF\xFE")) {
    enc = TTextEncoding::Utf16LE;
    text = Utf16LEBytesToCodePage(bytes.data() + 2, bytes.size() - 2);
  } else if (starts("\xFE\xFF")) {
    enc = TTextEncoding::Utf16BE;
    std::string le(bytes.substr(2));
    for (std::size_t i = 0; i + 1 < le.size(); i += 2) std::swap(le[i], le[i + 1]);
    text = Utf16LEBytesToCodePage(le.data(), le.size());
  } else if (HasNonAscii(bytes) && IsValidUtf8(bytes)) {
    enc = TTextEncoding::Utf8;
    text = Utf8ToCodePage(bytes);
  } else {
    text = std::string(bytes);
  }
  if (encoding) *encoding = enc;
  return text;
}

std::string DecodeOwnedText(std::string&& bytes, TTextEncoding* encoding) {
  const std::string_view view(bytes);
  const bool marked = view.substr(0, 3) == "\xEF\xBB\xBF" || view.substr(0, 2) == "\xFF\xFE" || view.substr(0, 2) == "\xFE\xFF";
  if (marked || (HasNonAscii(view) && IsValidUtf8(view))) return DecodeText(view, encoding);
  if (encoding) *encoding = TTextEncoding::CodePage;
  return std::move(bytes);
}

std::vector<std::string> LoadTextLines(const std::filesystem::path& p, TTextEncoding* encoding) {
  std::vector<std::string> lines;
  SplitLines(DecodeText(ReadFileBytes(p), encoding), lines);
  return lines;
}

void SaveTextLines(const std::filesystem::path& p, const std::vector<std::string>& lines,
                   TTextEncoding encoding) {
  std::string text;
  for (const std::string& line : lines) {
    text += line;
    text += "\r\n";
  }
  std::string bytes;
  switch (encoding) {
    case TTextEncoding::CodePage:
      bytes = std::move(text);
      break;
    case TTextEncoding::Utf8Bom:
      bytes = "\xEF\xBB\xBF" + CodePageToUtf8(text);
      break;
    case TTextEncoding::Utf8:
      bytes = CodePageToUtf8(text);
      break;
    case TTextEncoding::Utf16LE:
    case TTextEncoding::Utf16BE: {
      std::u16string u = CodePageToUtf16(text);
      bytes = encoding == TTextEncoding::Utf16LE ? "\xFF\xFE" : "\xFE\xFF";
      for (char16_t c : u) {
        char lo = static_cast<char>(c & 0xFF), hi = static_cast<char>(c >> 8);
        if (encoding == TTextEncoding::Utf16LE) {
          bytes += lo;
          bytes += hi;
        } else {
          bytes += hi;
          bytes += lo;
        }
      }
      break;
    }
  }
  WriteFileBytes(p, bytes);
}

}  // namespace platform
