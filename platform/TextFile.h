// Text files as lists of lines in the program's code page.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// How a text file's bytes were written. A file with a UTF-8 or UTF-16 byte-order mark is that
// encoding; a file without one that is valid UTF-8 and holds non-ASCII characters is UTF-8; any
// other file is taken as the code page itself (GB18030, which holds GBK and ASCII files byte for
// byte).
enum class TTextEncoding { CodePage, Utf8Bom, Utf16LE, Utf16BE, Utf8 };

// The line break a text file uses.
enum class TLineBreak : unsigned char { CrLf, Lf, Cr };

// How a text file was written, so that saving it writes back what was read: its encoding, its
// line-break style (that of its first break; CR LF for a file without any) and whether its last
// line ends with a break.
struct TTextFormat {
  TTextEncoding Encoding = TTextEncoding::CodePage;
  TLineBreak Break = TLineBreak::CrLf;
  bool FinalBreak = true;

  friend bool operator==(const TTextFormat&, const TTextFormat&) = default;
};

// Whether the bytes are well-formed UTF-8 (shortest forms, no surrogates, at most U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

// Cuts text into lines at CR LF, a lone CR and a lone LF. A break at the very end does not start
// an empty last line; an empty text has no lines. When `stopAtNul` is set the text ends at its
// first NUL byte.
void SplitLines(std::string_view text, std::vector<std::string>& lines, bool stopAtNul = false);

// Converts a file's bytes to code-page text, recognising the encodings of TTextEncoding.
std::string DecodeText(std::string_view bytes, TTextEncoding* encoding = nullptr);
// The same for bytes the caller gives up: a text that needs no conversion is returned as it is,
// without a copy.
std::string DecodeOwnedText(std::string&& bytes, TTextEncoding* encoding = nullptr);

// Loads the lines of a text file; throws platform::TFileError.
std::vector<std::string> LoadTextLines(const std::filesystem::path& p, TTextEncoding* encoding = nullptr);

// Writes lines, each followed by CR LF, in the given encoding; throws platform::TFileError.
void SaveTextLines(const std::filesystem::path& p, const std::vector<std::string>& lines,
                   TTextEncoding encoding = TTextEncoding::CodePage);

}  // namespace platform
