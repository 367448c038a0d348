#include "Tokens.h"

#include <algorithm>

#include "platform/CodePage.h"

namespace compare {
namespace {

bool IsBlank(unsigned char c) { return c == ' ' || c == '\t'; }
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool IsLetter(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsWordStart(unsigned char c) { return IsLetter(c) || c == '_' || c >= 0x80; }
bool IsWordPart(unsigned char c) {
  return IsWordStart(c) || IsDigit(c) || c == '$' || c == '#' || c == '%';
}

class TLineCutter {
 public:
  TLineCutter(std::string_view line, std::vector<TToken>& out) : line_(line), out_(out) {}

  // Cuts [from, to) into tokens; `prose` inside a comment.
  void Cut(std::size_t from, std::size_t to, bool prose) {
    std::string_view part = line_.substr(0, to);
    for (std::size_t i = from; i < to;) {
      const std::size_t start = i;
      const auto c = static_cast<unsigned char>(part[i]);
      TTokenKind kind = TTokenKind::Punct;
      if (IsBlank(c)) {
        kind = TTokenKind::Blank;
        while (i < to && IsBlank(static_cast<unsigned char>(part[i]))) ++i;
      } else if ((c == '"' || c == '\'') && !prose) {
        kind = TTokenKind::String;
        i = SkipStringLiteral(part, i);
      } else if (IsDigit(c)) {
        kind = TTokenKind::Number;
        i = NumberEnd(part, i);
      } else if (IsWordStart(c)) {
        kind = TTokenKind::Word;
        i = WordEnd(part, i);
        if (!prose && i < to && part[i] == '!') {
          kind = TTokenKind::Enum;
          ++i;
        }
      } else {
        i += platform::CharLength(part.substr(i));
      }
      out_.push_back({kind, static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(std::min(i, to)), prose});
    }
  }

 private:
  static std::size_t Digits(std::string_view s, std::size_t i) {
    while (i < s.size() && IsDigit(static_cast<unsigned char>(s[i]))) ++i;
    return i;
  }

  static std::size_t NumberEnd(std::string_view s, std::size_t i) {
    i = Digits(s, i);
    if (i + 1 < s.size() && s[i] == '.' && IsDigit(static_cast<unsigned char>(s[i + 1]))) i = Digits(s, i + 1);
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
      std::size_t j = i + 1;
      if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
      if (j < s.size() && IsDigit(static_cast<unsigned char>(s[j]))) i = Digits(s, j);
    }
    return i;
  }

  static std::size_t WordEnd(std::string_view s, std::size_t i) {
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

  std::string_view line_;
  std::vector<TToken>& out_;
};

}  // namespace

std::vector<TToken> TokenizeLine(std::string_view line, std::span<const TByteRange> comments) {
  std::vector<TToken> out;
  TLineCutter cutter(line, out);
  std::size_t i = 0;
  for (const TByteRange& r : comments) {
    const std::size_t start = std::clamp<std::size_t>(r.Start, i, line.size());
    const std::size_t end = std::clamp<std::size_t>(r.End, start, line.size());
    cutter.Cut(i, start, false);
    cutter.Cut(start, end, true);
    i = end;
  }
  cutter.Cut(i, line.size(), false);
  return out;
}

}  // namespace compare
