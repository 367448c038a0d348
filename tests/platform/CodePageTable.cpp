// Writes what the program's code-page conversions make of every character and byte sequence of
// every supported code page, one line each: built for Linux and for Windows, the two outputs must
// be the same bytes (scripts/windows-test.sh compares them).
#include <cstdio>
#include <string>

#include "platform/CodePage.h"

namespace {

std::string Hex(const std::string& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char b : bytes) {
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: quorvex_codepage_table OUTPUT\n");
    return 2;
  }
  std::FILE* out = std::fopen(argv[1], "wb");
  if (!out) return 1;
  auto line = [&](const std::string& what, const std::string& in, const std::string& result) {
    std::fprintf(out, "%s %s %s\n", what.c_str(), Hex(in).c_str(), result.c_str());
  };
  // The program's code page from and to Unicode: every character of the basic plane (surrogates
  // alone are no characters) and the first and last of the others.
  for (char32_t c = 1; c < 0x10000; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    const std::string gb = platform::Utf16ToCodePage(std::u16string(1, static_cast<char16_t>(c)));
    const auto utf8 = platform::CodePageToUtf8Strict(gb);
    line("U", std::string(1, static_cast<char>(c >> 8)) + static_cast<char>(c & 0xFF), Hex(gb) + " " + (utf8 ? Hex(*utf8) : "-"));
  }
  for (const std::u16string& s : {std::u16string(u"\U00010000"), std::u16string(u"\U0010FFFD"), std::u16string(u"\U00020087")})
    line("U", platform::CodePageToUtf8(platform::Utf16ToCodePage(s)), Hex(platform::Utf16ToCodePage(s)));
  // Every two-byte sequence read as the program's code page.
  for (int lead = 0x80; lead <= 0xFF; ++lead)
    for (int trail = 0; trail <= 0xFF; ++trail) {
      const std::string in{static_cast<char>(lead), static_cast<char>(trail)};
      line("G", in, Hex(platform::CodePageToUtf8(in)));
    }
  // Each 8-bit code page: every byte and every two-byte sequence read, and every character of the
  // basic plane written back.
  for (const platform::TAnsiCodePage& page : platform::AnsiCodePages()) {
    const std::string n = std::to_string(page.Number);
    for (int b = 0x80; b <= 0xFF; ++b) {
      const std::string in(1, static_cast<char>(b));
      line("A" + n, in, Hex(platform::AnsiToCodePage(in, page.Number)));
      for (int t = 0x30; t <= 0xFF; ++t) {
        const std::string two{static_cast<char>(b), static_cast<char>(t)};
        line("A" + n, two, Hex(platform::AnsiToCodePage(two, page.Number)));
      }
    }
    for (char32_t c = 0x80; c < 0x10000; ++c) {
      if (c >= 0xD800 && c <= 0xDFFF) continue;
      const std::string gb = platform::Utf16ToCodePage(std::u16string(1, static_cast<char16_t>(c)));
      const auto ansi = platform::CodePageToAnsi(gb, page.Number);
      line("W" + n, gb, ansi ? Hex(*ansi) : "-");
    }
  }
  return std::fclose(out) == 0 ? 0 : 1;
}
