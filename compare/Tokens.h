// A PowerScript line cut into tokens, for comparing two versions of a line token by token.
//
// Tokens cover the line without gaps. On code-page text (GB18030) a token never ends inside a
// multi-byte character, and such characters belong to words (Chinese names are identifiers).
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "compare/Comments.h"

namespace compare {

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
  bool Comment = false;              // inside one of the comment ranges given
  friend bool operator==(const TToken&, const TToken&) = default;
};

// The tokens of `line`. Inside `comments` (ranges of the comment scanner) the text is prose:
// quotes and "!" are punctuation there, so that "// don't" opens no string literal.
std::vector<TToken> TokenizeLine(std::string_view line, std::span<const TByteRange> comments = {});

}  // namespace compare
