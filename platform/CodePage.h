// Conversions between Unicode, the 8-bit code page of the input and the program's code page.
//
// Everything the program compares, searches and edits is held as bytes in one code page,
// GB18030: the superset of code page 936 that covers all of Unicode, so GBK bytes stay exactly as
// they are and nothing converted from UTF-16, UTF-8 or another code page is lost (the few
// private-use characters the system's GB18030 has no code for are held in four-byte codes of the
// program's own, past those of the basic plane, which a GB18030 file refuses on saving). Conversion
// happens only at the edges: 16-bit library content and 8-bit input in another code page when
// they are read, and Unicode for painting, the clipboard and UTF-8 output.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// UTF-16 to the code page. An unpaired surrogate becomes "?".
std::string Utf16ToCodePage(std::u16string_view text);

// Little-endian UTF-16 bytes to the code page; an odd last byte is ignored.
std::string Utf16LEBytesToCodePage(const char* bytes, std::size_t byteCount);

// The code page to UTF-16 and UTF-8. A byte sequence that is not valid GB18030 becomes U+FFFD.
std::u16string CodePageToUtf16(std::string_view text);
std::string CodePageToUtf8(std::string_view text);

// UTF-8 and UTF-16 input (clipboard, dialogs, UTF-8 files) to the code page. Invalid UTF-8
// sequences become "?".
std::string Utf8ToCodePage(std::string_view text);
// The same over `text` from byte `from` on, in its own room where the converted text fits in
// what has been read (it mostly does: ASCII stays, a Chinese character shrinks from three bytes
// to two); the bytes before `from` are dropped.
void Utf8ToCodePageInPlace(std::string& text, std::size_t from = 0);

// Appends code point `c` (below 0x110000, no surrogate) in UTF-8.
inline void AppendUtf8(char32_t c, std::string& out) {
  if (c < 0x80) {
    out += static_cast<char>(c);
    return;
  }
  if (c < 0x800) {
    out += static_cast<char>(0xC0 | c >> 6);
  } else {
    if (c < 0x10000) {
      out += static_cast<char>(0xE0 | c >> 12);
    } else {
      out += static_cast<char>(0xF0 | c >> 18);
      out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
    }
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
  }
  out += static_cast<char>(0x80 | (c & 0x3F));
}

// The position of the first byte at or after `from` that is not ASCII (0x80 and above), or
// std::string_view::npos. Many bytes at a time: source text is mostly ASCII.
std::size_t FindNonAscii(std::string_view s, std::size_t from = 0);

// Length in bytes of the code-page character that starts with lead byte `lead` at the front of
// `rest` (1, 2 or 4); 1 for an ASCII byte or a sequence that is cut short or malformed.
std::size_t CharLength(std::string_view rest);

// UTF-8 text for display (lists, messages): its control characters (C0 and DEL) become the
// visible symbols of Unicode's Control Pictures, U+2400 + code (␛ for ESC) and U+2421 for DEL, so
// that a name holding ESC or a line break shows what it holds and stays on its row.
std::string ShowControls(std::string_view utf8);

// ---- The 8-bit code page of the input --------------------------------------------------------
//
// 8-bit libraries, targets, workspaces and text files without a byte-order mark are written in a
// Windows code page. Which one is a choice, made once for the process (the settings file, the
// command line); 936 by default. Code page 936 is read as GB18030, byte for byte. Any other is
// converted to GB18030 on reading, without loss: a byte that is no character of that code page
// becomes the private-use character U+F0000 + byte, which converts back to the same byte.

struct TAnsiCodePage {
  int Number;        // the Windows code page number
  const char* Name;  // for a menu, UTF-8
};

// The supported code pages, 936 first.
const std::vector<TAnsiCodePage>& AnsiCodePages();
bool IsSupportedCodePage(int number);

// The code page 8-bit input is read in. SetAnsiCodePage throws std::invalid_argument for a number
// IsSupportedCodePage refuses, and leaves the current one as it is.
int AnsiCodePage();
void SetAnsiCodePage(int number);

// 8-bit text in code page `number` (0: the current one) to the program's code page.
std::string AnsiToCodePage(std::string_view bytes, int number = 0);

// The program's code page to 8-bit text in code page `number` (0: the current one). Where a
// character cannot be written in it (or the text holds bytes that are no GB18030 character), the
// result is none and `badOffset` (if given) is the offset of that character in `text`.
std::optional<std::string> CodePageToAnsi(std::string_view text, int number = 0, std::size_t* badOffset = nullptr);

// The same for UTF-8 and UTF-16LE output: none, and the offset of the first byte sequence that is
// no GB18030 character, where the text holds one; never a replacement character.
std::optional<std::string> CodePageToUtf8Strict(std::string_view text, std::size_t* badOffset = nullptr);
std::optional<std::string> CodePageToUtf16LEStrict(std::string_view text, std::size_t* badOffset = nullptr);

}  // namespace platform
