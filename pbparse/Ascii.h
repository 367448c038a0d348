// Small ASCII helpers of the parsers. PowerBuilder keywords and names compare without regard to
// ASCII case; bytes of multi-byte characters (0x80 and up) are never folded.
#pragma once

#include <string>
#include <string_view>

namespace pbparse {

inline bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\f' || c == '\v'; }
inline bool IsSpace(char c) { return IsBlank(c) || c == '\n' || c == '\r'; }

inline char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

inline std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = LowerAscii(c);
  return out;
}

inline bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  return true;
}

inline bool StartsNoCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && EqualNoCase(s.substr(0, prefix.size()), prefix);
}

inline bool EndsNoCase(std::string_view s, std::string_view suffix) {
  return s.size() >= suffix.size() && EqualNoCase(s.substr(s.size() - suffix.size()), suffix);
}

inline std::string_view Trim(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && IsSpace(s[b])) ++b;
  while (e > b && IsSpace(s[e - 1])) --e;
  return s.substr(b, e - b);
}

// A line that holds nothing to parse between sections: blank, or a // comment.
inline bool IsFillerLine(std::string_view line) {
  std::string_view t = Trim(line);
  return t.empty() || t.substr(0, 2) == "//";
}

// The export header's lines: "$PBExportHeader$name", its HEXASCII form "HA$PBExportHeader$name",
// "$PBExportComments$text".
inline bool IsExportHeaderLine(std::string_view line) {
  if (line.substr(0, 3) == "\xEF\xBB\xBF") line.remove_prefix(3);
  return StartsNoCase(line, "$PBExportHeader$") || StartsNoCase(line, "HA$PBExportHeader$") ||
         StartsNoCase(line, "$PBExportComments$");
}

}  // namespace pbparse
