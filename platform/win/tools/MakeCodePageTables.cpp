// Writes the code-page tables of the Windows build (platform/win/IconvWin.cpp) as C++ source:
// what glibc's iconv reads each GB18030 two-byte code and four-byte code of the basic plane as,
// and for each other supported Windows code page what it reads every byte and byte pair as and
// what it writes every character of the basic plane as; so that the Windows program converts
// exactly as the Linux one does (Windows' own tables differ from glibc's in places). Run on the
// build machine.
#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// The code point `bytes` read as GB18030, or 0 where iconv refuses them.
std::uint32_t Read(iconv_t cd, const unsigned char* bytes, std::size_t n) {
  char in[4], out[8];
  for (std::size_t i = 0; i < n; ++i) in[i] = static_cast<char>(bytes[i]);
  char* src = in;
  char* dst = out;
  std::size_t srcLeft = n, dstLeft = sizeof out;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<std::size_t>(-1) || srcLeft != 0 || dstLeft != 4) return 0;
  std::uint32_t c = 0;
  for (int i = 3; i >= 0; --i) c = c << 8 | static_cast<unsigned char>(out[i]);
  return c;
}

}  // namespace

// The bytes iconv writes for character `c` in code page `cd`'s target: 1 or 2 bytes packed as
// (length << 16 | bytes), or 0 where it has none.
std::uint32_t Write(iconv_t cd, char32_t c) {
  char in[2] = {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8 & 0xFF)}, out[8];
  char* src = in;
  char* dst = out;
  std::size_t srcLeft = 2, dstLeft = sizeof out;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<std::size_t>(-1)) return 0;
  const std::size_t n = sizeof out - dstLeft;
  if (n == 1) return 1u << 16 | static_cast<unsigned char>(out[0]);
  if (n == 2) return 2u << 16 | static_cast<unsigned char>(out[0]) << 8 | static_cast<unsigned char>(out[1]);
  return 0;
}

// Reading byte `b` alone: its character, 0 where it is none, kLead where it starts a longer one.
constexpr std::uint32_t kLead = 0xFFFFFFFF;
std::uint32_t ReadByte(iconv_t cd, unsigned char b) {
  char in[1] = {static_cast<char>(b)}, out[8];
  char* src = in;
  char* dst = out;
  std::size_t srcLeft = 1, dstLeft = sizeof out;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<std::size_t>(-1)) return errno == EINVAL ? kLead : 0;
  iconv(cd, nullptr, nullptr, &dst, &dstLeft);
  if (sizeof out - dstLeft != 4) return 0;
  std::uint32_t c = 0;
  for (int i = 3; i >= 0; --i) c = c << 8 | static_cast<unsigned char>(out[i]);
  return c;
}

void CodePage(int number) {
  const std::string name = "CP" + std::to_string(number);
  iconv_t in = iconv_open("UTF-32LE", name.c_str());
  iconv_t out = iconv_open(name.c_str(), "UTF-16LE");
  if (in == reinterpret_cast<iconv_t>(-1) || out == reinterpret_cast<iconv_t>(-1)) std::exit(1);
  std::printf("const std::uint32_t kSingle%d[128] = {\n", number);
  bool lead[128] = {};
  for (int b = 0x80; b <= 0xFF; ++b) {
    const std::uint32_t c = ReadByte(in, static_cast<unsigned char>(b));
    lead[b - 0x80] = c == kLead;
    std::printf("%uu,%s", c, b % 16 == 15 ? "\n" : "");
  }
  std::printf("};\n");
  bool anyLead = false;
  for (bool l : lead) anyLead = anyLead || l;
  if (anyLead) {
    std::printf("const std::uint32_t kDouble%d[128 * 256] = {\n", number);
    for (int b = 0x80; b <= 0xFF; ++b)
      for (int t = 0; t <= 0xFF; ++t) {
        const unsigned char bytes[2] = {static_cast<unsigned char>(b), static_cast<unsigned char>(t)};
        std::printf("%u,%s", lead[b - 0x80] ? Read(in, bytes, 2) : 0u, t % 16 == 15 ? "\n" : "");
      }
    std::printf("};\n");
  } else {
    std::printf("const std::uint32_t* const kDouble%d = nullptr;\n", number);
  }
  std::printf("const std::uint32_t kWrite%d[] = {\n", number);
  int column = 0;
  for (char32_t c = 0x80; c < 0x10000; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    if (const std::uint32_t code = Write(out, c)) std::printf("%u,%u,%s", static_cast<unsigned>(c), code, ++column % 8 == 0 ? "\n" : "");
  }
  std::printf("0};\n");
  iconv_close(in);
  iconv_close(out);
}

int main() {
  iconv_t cd = iconv_open("UTF-32LE", "GB18030");
  if (cd == reinterpret_cast<iconv_t>(-1)) return 1;
  std::printf("// Made by platform/win/tools/MakeCodePageTables.cpp from this system's iconv; do not edit.\n");
  std::printf("// Two-byte codes, lead 0x81..0xFE by trail 0x40..0xFE (0x7F included, never a character).\n");
  std::printf("const char32_t kGbTwoByte[126 * 191] = {\n");
  int column = 0;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      const unsigned char b[2] = {static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)};
      std::printf("%u,%s", trail == 0x7F ? 0u : Read(cd, b, 2), ++column % 16 == 0 ? "\n" : "");
    }
  }
  std::printf("};\n// Four-byte codes of the basic plane by their index from 81 30 81 30 on.\n");
  std::printf("const char16_t kGbFourByte[39420] = {\n");
  column = 0;
  for (int index = 0; index < 39420; ++index) {
    int n = index;
    const unsigned char b[4] = {static_cast<unsigned char>(0x81 + n / 12600), static_cast<unsigned char>(0x30 + n / 1260 % 10),
                                static_cast<unsigned char>(0x81 + n / 10 % 126), static_cast<unsigned char>(0x30 + n % 10)};
    const std::uint32_t c = Read(cd, b, 4);
    std::printf("%u,%s", c < 0x10000 ? c : 0u, ++column % 16 == 0 ? "\n" : "");
  }
  std::printf("};\n");
  iconv_close(cd);
  const int pages[] = {950, 932, 949, 874, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258};
  for (int number : pages) CodePage(number);
  std::printf("struct TCodePageTable {\n  int Number;\n  const std::uint32_t* Single;\n  const std::uint32_t* Double;\n"
              "  const std::uint32_t* Write;\n};\nconst TCodePageTable kCodePageTables[] = {\n");
  for (int number : pages) std::printf("    {%d, kSingle%d, kDouble%d, kWrite%d},\n", number, number, number, number);
  std::printf("};\n");
  return 0;
}
