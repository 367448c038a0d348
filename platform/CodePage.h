// Conversions between Unicode and the program's code page.
//
// Everything the program compares, searches and edits is held as bytes in one 8-bit code page,
// GB18030: the superset of code page 936 that covers all of Unicode, so GBK bytes stay exactly as
// they are and nothing converted from UTF-16 or UTF-8 is lost. Conversion happens only at the
// edges: 16-bit library content when it is read, and Unicode for painting, the clipboard and
// UTF-8 output.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

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

// Length in bytes of the code-page character that starts with lead byte `lead` at the front of
// `rest` (1, 2 or 4); 1 for an ASCII byte or a sequence that is cut short or malformed.
std::size_t CharLength(std::string_view rest);

}  // namespace platform
