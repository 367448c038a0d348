// Writes the GB18030 table of the Windows build (platform/win/IconvWin.cpp) as C++ source: what
// glibc's iconv reads each two-byte code and each four-byte code of the basic plane as, so that
// the Windows program converts GB18030 exactly as the Linux one does. Run on the build machine.
#include <iconv.h>

#include <cstdint>
#include <cstdio>

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

int main() {
  iconv_t cd = iconv_open("UTF-32LE", "GB18030");
  if (cd == reinterpret_cast<iconv_t>(-1)) return 1;
  std::printf("// Made by platform/win/tools/MakeGb18030Table.cpp from this system's iconv; do not edit.\n");
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
  return 0;
}
