#include "pbparse/Lexer.h"

#include <algorithm>
#include <array>

#include "platform/CodePage.h"

namespace pbparse {
namespace {

bool At(std::string_view line, std::size_t i, char a, char b) {
  return i + 1 < line.size() && line[i] == a && line[i + 1] == b;
}

// The end of the character at `i`.
std::size_t Next(std::string_view text, std::size_t i) {
  return static_cast<unsigned char>(text[i]) < 0x80 ? i + 1 : i + platform::CharLength(text.substr(i));
}

bool IsQuote(char c) { return c == '"' || c == '\''; }

bool IsBlank(unsigned char c) { return c == ' ' || c == '\t'; }
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool IsLetter(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsWordStart(unsigned char c) { return IsLetter(c) || c == '_' || c >= 0x80; }
bool IsWordPart(unsigned char c) { return IsWordStart(c) || IsDigit(c) || c == '$' || c == '#' || c == '%'; }

std::size_t Digits(std::string_view s, std::size_t i) {
  while (i < s.size() && IsDigit(static_cast<unsigned char>(s[i]))) ++i;
  return i;
}

std::size_t NumberEnd(std::string_view s, std::size_t i) {
  i = Digits(s, i);
  if (i + 1 < s.size() && s[i] == '.' && IsDigit(static_cast<unsigned char>(s[i + 1]))) i = Digits(s, i + 1);
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
    if (j < s.size() && IsDigit(static_cast<unsigned char>(s[j]))) i = Digits(s, j);
  }
  return i;
}

std::size_t WordEnd(std::string_view s, std::size_t i) {
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c >= 0x80) {
      i += platform::CharLength(s.substr(i));
    } else if (IsWordPart(c)) {
      ++i;
    } else if (c == '-' && i + 1 < s.size() && IsWordPart(static_cast<unsigned char>(s[i + 1]))) {
      i += 2;
    } else {
      break;
    }
  }
  return i;
}

// The token that starts at `i` of `line`: its kind, with `i` moved to its end.
TTokenKind NextToken(std::string_view line, std::size_t& i, bool prose) {
  const auto c = static_cast<unsigned char>(line[i]);
  if (IsBlank(c)) {
    while (i < line.size() && IsBlank(static_cast<unsigned char>(line[i]))) ++i;
    return TTokenKind::Blank;
  }
  if (IsQuote(static_cast<char>(c)) && !prose) {
    i = SkipStringLiteral(line, i);
    return TTokenKind::String;
  }
  if (IsDigit(c)) {
    i = NumberEnd(line, i);
    return TTokenKind::Number;
  }
  if (IsWordStart(c)) {
    i = WordEnd(line, i);
    if (prose || i >= line.size() || line[i] != '!') return TTokenKind::Word;
    ++i;
    return TTokenKind::Enum;
  }
  i += platform::CharLength(line.substr(i));
  return TTokenKind::Punct;
}

}  // namespace

std::size_t LiteralCharEnd(std::string_view text, std::size_t i) {
  if (text[i] != '~') return Next(text, i);
  return i + 1 < text.size() ? Next(text, i + 1) : i + 1;
}

std::size_t FindStringEnd(std::string_view text, std::size_t quote) {
  const char q = text[quote];
  for (std::size_t j = quote + 1; j < text.size(); j = LiteralCharEnd(text, j))
    if (text[j] == q) return j + 1;
  return std::string_view::npos;
}

std::size_t SkipStringLiteral(std::string_view line, std::size_t quote) {
  return std::min(FindStringEnd(line, quote), line.size());
}

std::size_t FindOutside(std::string_view text, std::size_t from, std::string_view targets, std::string_view brackets) {
  // What each ASCII byte is to this search; bytes from 0x80 up start multi-byte characters.
  enum : std::uint8_t { Other, Target, Open, Close, Quote };
  std::array<std::uint8_t, 128> role{};
  role['"'] = role['\''] = Quote;
  for (std::size_t b = 0; b + 1 < brackets.size(); b += 2) {
    role[static_cast<unsigned char>(brackets[b]) & 0x7F] = Open;
    role[static_cast<unsigned char>(brackets[b + 1]) & 0x7F] = Close;
  }
  for (char t : targets) role[static_cast<unsigned char>(t) & 0x7F] = Target;
  int depth = 0;
  for (std::size_t i = from; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x80) {
      i = Next(text, i);
      continue;
    }
    switch (role[c]) {
      case Quote:
        i = FindStringEnd(text, i);
        if (i == std::string_view::npos) return i;
        continue;
      case Target:
        if (depth == 0) return i;
        // A target that is a bracket as well still opens or closes one below the top.
        if (const std::size_t b = brackets.find(static_cast<char>(c)); b != std::string_view::npos)
          depth += b % 2 == 0 ? 1 : -1;
        break;
      case Open: ++depth; break;
      case Close:
        if (depth > 0) --depth;
        break;
      default: break;
    }
    ++i;
  }
  return std::string_view::npos;
}

bool IsExportHeader(std::string_view line) { return line.starts_with("$PBExport") || line.starts_with("HA$PBExport"); }

void TCommentScanner::Scan(std::string_view line, std::vector<TByteRange>& out) {
  if (depth_ == 0 && IsExportHeader(line)) return;
  const std::size_t n = line.size();
  auto add = [&](std::size_t from, std::size_t to) {
    if (to > from) out.push_back({static_cast<std::uint32_t>(from), static_cast<std::uint32_t>(to)});
  };
  std::size_t start = 0;  // where the open block comment began on this line
  for (std::size_t i = 0; i < n;) {
    if (depth_ > 0) {
      if (At(line, i, '/', '*')) {
        ++depth_;
        i += 2;
      } else if (At(line, i, '*', '/')) {
        i += 2;
        if (--depth_ == 0) add(start, i);
      } else {
        i = Next(line, i);
      }
    } else if (IsQuote(line[i])) {
      i = SkipStringLiteral(line, i);
    } else if (line[i] != '/' && static_cast<unsigned char>(line[i]) < 0x80) {
      ++i;
    } else if (At(line, i, '/', '/')) {
      add(i, n);
      i = n;
    } else if (At(line, i, '/', '*')) {
      start = i;
      depth_ = 1;
      i += 2;
    } else {
      i = Next(line, i);
    }
  }
  if (depth_ > 0) add(start, n);
}

void TCommentScanner::Skip(std::string_view line) {
  thread_local std::vector<TByteRange> ignored;
  ignored.clear();
  Scan(line, ignored);
}

void AppendTokens(std::string_view line, std::size_t from, std::size_t to, bool prose, std::vector<TToken>& out) {
  const std::string_view part = line.substr(0, to);
  for (std::size_t i = from; i < to;) {
    const std::size_t start = i;
    const TTokenKind kind = NextToken(part, i, prose);
    out.push_back({kind, static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(i), prose});
  }
}

}  // namespace pbparse
