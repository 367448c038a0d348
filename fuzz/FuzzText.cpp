// Any bytes as a text file: encoding detection, conversion and the line rule; and as an exported
// object's file (HEXASCII runs included), through the code page or kept in UTF-8.
#include <cstdint>
#include <string_view>

#include "platform/CodePage.h"
#include "platform/TextFile.h"
#include "sides/ExportFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  platform::TTextEncoding enc;
  std::string text = platform::DecodeText(bytes, &enc);
  // Decoding in the bytes' own room gives what decoding into a new string gives.
  if (platform::DecodeOwnedText(std::string(bytes)) != text) __builtin_trap();
  std::vector<std::string> lines;
  platform::SplitLines(text, lines);
  std::size_t total = 0;
  for (const auto& l : lines) {
    if (l.find_first_of("\r\n") != std::string::npos) __builtin_trap();
    total += l.size();
  }
  if (total > text.size()) __builtin_trap();
  // Code page text survives the trip through Unicode wherever it is valid GB18030.
  std::u16string u = platform::CodePageToUtf16(text);
  std::string back = platform::Utf16ToCodePage(u);
  if (u.find(u'\uFFFD') == std::u16string::npos && back != text) __builtin_trap();
  for (std::size_t i = 0; i < text.size();) i += platform::CharLength(std::string_view(text).substr(i));
  // 8-bit text in a code page of one byte per character comes back byte for byte, whatever it
  // holds; the first byte picks the code page.
  if (size > 0) {
    static const int kSingleByte[] = {874, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258};
    const int page = kSingleByte[data[0] % 10];
    if (platform::CodePageToAnsi(platform::AnsiToCodePage(bytes, page), page) != std::string(bytes)) __builtin_trap();
  }
  platform::DetectTextFormat(bytes);
  // Text that is UTF-8 throughout reads as the same text kept in UTF-8 as through the code page
  // (quorvex-cli diff compares two such texts without converting them).
  if (sides::HoldsUtf8Text(bytes)) {
    const std::string viaCodePage = sides::IsHexAscii(bytes) ? sides::DecodeExportText(std::string(bytes))
                                                             : platform::DecodeOwnedText(std::string(bytes));
    if (platform::CodePageToUtf8(viaCodePage) != sides::DecodeExportTextUtf8(std::string(bytes))) __builtin_trap();
  }
  for (const auto& l : sides::DecodeExportFile(bytes))
    if (l.find_first_of("\r\n") != std::string::npos) __builtin_trap();
  return 0;
}
