// A PowerScript line cut into tokens (by pbparse's scanner, pbparse/Lexer.h), for comparing two
// versions of a line token by token.
//
// Tokens cover the line without gaps. On code-page text (GB18030) a token never ends inside a
// multi-byte character, and such characters belong to words (Chinese names are identifiers).
#pragma once

#include <span>
#include <string_view>
#include <vector>

#include "compare/Comments.h"

namespace compare {

// Tokens as pbparse's scanner gives them (pbparse/Lexer.h); Comment marks those of a comment.
using pbparse::TToken;
using pbparse::TTokenKind;

// The tokens of `line`. Inside `comments` (ranges of the comment scanner) the text is prose:
// quotes and "!" are punctuation there, so that "// don't" opens no string literal.
std::vector<TToken> TokenizeLine(std::string_view line, std::span<const TByteRange> comments = {});

}  // namespace compare
