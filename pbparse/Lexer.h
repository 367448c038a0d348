// The lexical rules of PowerScript that every reader of a script or a DataWindow shares: string
// literals, comments, brackets and tokens. Each rule is written here once.
//
// Text is in the GB18030 code page and is stepped through by whole characters: a trail byte of a
// double-byte character may be "~" (0x7E), "[" or "{", and is none of them.
//
// A string literal is "..." or '...'; inside it "~" escapes the next character, so "~"" is a
// quote that does not end it. A comment is "//" to the end of the line, or "/* ... */", which may
// span lines and nest. Comment marks inside string literals are text. In a script a string
// literal ends at the end of its line at the latest, so a stray quote cannot hide the comments
// of the lines after it; in a DataWindow it may span lines. The export header lines
// ($PBExportHeader$, $PBExportComments$, also in the HEXASCII form) are data, not code: they hold
// no comments.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace pbparse {

// Bytes [Start, End) of a code-page line.
struct TByteRange {
  std::uint32_t Start = 0, End = 0;
  friend bool operator==(const TByteRange&, const TByteRange&) = default;
};

// ---- String literals -----------------------------------------------------------------------

// The end of the character of a string literal that starts at `i`: "~" and the character it
// escapes are one.
std::size_t LiteralCharEnd(std::string_view text, std::size_t i);

// The end of the string literal whose opening quote stands at `quote`: just after its closing
// quote, or npos when `text` ends before it is closed.
std::size_t FindStringEnd(std::string_view text, std::size_t quote);

// The same for a script line: the end of `line` when the literal is not closed there.
std::size_t SkipStringLiteral(std::string_view line, std::size_t quote);

// ---- Brackets ------------------------------------------------------------------------------

// The first of `targets` in `text` from `from` that stands outside string literals and inside
// no bracket opened after `from`, or npos. `brackets` holds pairs of an opening and a closing
// bracket ("()", "()[]{}", or none). A closing bracket that closes nothing is passed over,
// unless it is a target: so "find ',' or ')'" inside a list stops at the list's own end.
// A string literal left open hides the rest of `text`. Targets and brackets are ASCII.
std::size_t FindOutside(std::string_view text, std::size_t from, std::string_view targets,
                        std::string_view brackets = "()");

// ---- Comments ------------------------------------------------------------------------------

// Whether a line is one of the export header's ($PBExport..., HA$PBExport...).
bool IsExportHeader(std::string_view line);

// Finds the comments of a text line by line; whether the scan stands inside "/* */" (and how
// deep) carries from one line to the next.
class TCommentScanner {
 public:
  // Appends the comments of `line`, in order and disjoint: each "//" or "/* */" comment, and the
  // part of a block comment that this line holds.
  void Scan(std::string_view line, std::vector<TByteRange>& out);
  // Scans a line only for whether the next one starts inside a block comment.
  void Skip(std::string_view line);
  // How deep inside "/* */" the scan stands: 0 outside any block comment.
  int Depth() const { return depth_; }

 private:
  int depth_ = 0;
};

// ---- Tokens --------------------------------------------------------------------------------

enum class TTokenKind : std::uint8_t {
  Blank,   // a run of spaces and tabs
  Word,    // an identifier: a letter, "_" or a multi-byte character, then those, digits, "$", "#",
           // "%", and "-" where a word character follows it (PowerScript names may hold them)
  Number,  // digits, a decimal part, an exponent
  String,  // "..." or '...' with "~" escaping the next character; unclosed: to the line's end
  Enum,    // an enumerated value: a word ending in "!" (exclamation!)
  Punct,   // any other single character: operators, brackets, control bytes
};

struct TToken {
  TTokenKind Kind = TTokenKind::Punct;
  std::uint32_t Start = 0, End = 0;  // bytes of the line
  bool Comment = false;              // read as the prose of a comment
  friend bool operator==(const TToken&, const TToken&) = default;
};

// Appends the tokens of bytes [from, to) of `line`, which cover them without gaps; a token ends
// at `to` at the latest and never inside a multi-byte character. In `prose` (the text of a
// comment) quotes and "!" are punctuation, so that "// don't" opens no string literal.
void AppendTokens(std::string_view line, std::size_t from, std::size_t to, bool prose, std::vector<TToken>& out);

}  // namespace pbparse
