// Text files as lists of lines in the program's code page.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace platform {

// How a text file's bytes were written. A file with a UTF-8 or UTF-16 byte-order mark is that
// encoding; a file without one that is valid UTF-8 and holds non-ASCII characters is UTF-8 (where
// that is guessed, see TUnmarked); any other file is 8-bit text in a code page (see
// AnsiCodePage: 936, the default, is GB18030 itself, which holds GBK and ASCII byte for byte).
enum class TTextEncoding { CodePage, Utf8Bom, Utf16LE, Utf16BE, Utf8 };

// How text without a byte-order mark is read.
enum class TUnmarked {
  Guess,     // UTF-8 when it is valid UTF-8 holding non-ASCII characters, else the 8-bit code page
  CodePage,  // always the 8-bit code page (targets, workspaces: GBK text can be valid UTF-8)
  Gb18030,   // always GB18030, whatever the code page set (files the program itself wrote)
};

// The line break a text file uses.
enum class TLineBreak : unsigned char { CrLf, Lf, Cr };

// How a text file was written, so that saving it writes back what was read: its encoding (for
// 8-bit text also the code page, 0 standing for the one set when saving), its line-break style
// (that of its first break; CR LF for a file without any) and whether its last line ends with a
// break.
struct TTextFormat {
  TTextEncoding Encoding = TTextEncoding::CodePage;
  TLineBreak Break = TLineBreak::CrLf;
  bool FinalBreak = true;
  int CodePage = 0;
  // A PowerBuilder export in the HEXASCII format (its first line starts "HA$PBExportHeader$"):
  // ASCII bytes, with every run of other characters written as $$HEX<n>$$<hex>$$ENDHEX$$ (n
  // UTF-16 units, each as its two bytes little-endian in hex). Saved the same way, the "HA"
  // prefix kept.
  bool HexAscii = false;

  friend bool operator==(const TTextFormat&, const TTextFormat&) = default;
};

// Whether the bytes are well-formed UTF-8 (shortest forms, no surrogates, at most U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

// Cuts text into lines at CR LF, a lone CR and a lone LF. A break at the very end does not start
// an empty last line; an empty text has no lines. When `stopAtNul` is set the text ends at its
// first NUL byte.
void SplitLines(std::string_view text, std::vector<std::string>& lines, bool stopAtNul = false);
// The same lines as views of `text`.
void SplitLines(std::string_view text, std::vector<std::string_view>& lines, bool stopAtNul = false);

// Converts a file's bytes to code-page text, recognising the encodings of TTextEncoding.
std::string DecodeText(std::string_view bytes, TTextEncoding* encoding = nullptr,
                       TUnmarked unmarked = TUnmarked::Guess);
// The same for bytes the caller gives up: a text that needs no conversion is returned as it is,
// without a copy.
std::string DecodeOwnedText(std::string&& bytes, TTextEncoding* encoding = nullptr,
                            TUnmarked unmarked = TUnmarked::Guess);

// The format of a file's bytes: the encoding as DecodeText finds it (with the code page set now
// for 8-bit text, 936 for TUnmarked::Gb18030), the first line break and whether the text ends
// with one. An empty text (or a byte-order mark alone) has the default break and a final break.
TTextFormat DetectTextFormat(std::string_view bytes, TUnmarked unmarked = TUnmarked::Guess);

// Loads the lines of a text file; throws platform::TFileError.
std::vector<std::string> LoadTextLines(const std::filesystem::path& p, TTextEncoding* encoding = nullptr,
                                       TUnmarked unmarked = TUnmarked::Guess);

// The lines of a HEXASCII text as read, by their decoded text: a line the user did not change is
// written back in its own bytes, whatever way of cutting runs the program that wrote it had.
using THexAsciiLines = std::unordered_map<std::string, std::string>;

// One line of code-page text in the HEXASCII form: ASCII as it is, each run of other characters
// as one $$HEX<n>$$...$$ENDHEX$$ group; none when the line holds a byte that is no character
// (`badOffset` then says where).
std::optional<std::string> EncodeHexAsciiLine(std::string_view line, std::size_t* badOffset = nullptr);

// Writes lines in the given format: its encoding (with a byte-order mark where it has one), each
// line followed by its break, the last one only when FinalBreak is set; a HEXASCII text with its
// prefix and runs, lines found in `asRead` in their bytes as read. A character the encoding
// cannot hold is reported before anything is written, as a platform::TFileError naming the file,
// the line and the character; so is a write error.
void SaveTextLines(const std::filesystem::path& p, const std::vector<std::string>& lines,
                   const TTextFormat& format = {}, const THexAsciiLines* asRead = nullptr);
// The bytes SaveTextLines writes to `p` (named only in the error), without writing them.
std::string EncodeTextLines(const std::filesystem::path& p, const std::vector<std::string>& lines,
                            const TTextFormat& format = {}, const THexAsciiLines* asRead = nullptr);

}  // namespace platform
