#include "pbparse/Lexer.h"

#include "platform/CodePage.h"

namespace pbparse {
namespace {

bool At(std::string_view line, std::size_t i, char a, char b) {
  return i + 1 < line.size() && line[i] == a && line[i + 1] == b;
}

// Steps over whole characters: a trail byte of a double-byte character may be "~" (0x7E).
std::size_t Next(std::string_view line, std::size_t i) {
  return static_cast<unsigned char>(line[i]) < 0x80 ? i + 1 : i + platform::CharLength(line.substr(i));
}

}  // namespace

std::size_t SkipStringLiteral(std::string_view line, std::size_t quote) {
  const char q = line[quote];
  for (std::size_t j = quote + 1; j < line.size();) {
    if (line[j] == '~') {
      j = j + 1 < line.size() ? Next(line, j + 1) : j + 1;
    } else if (line[j] == q) {
      return j + 1;
    } else {
      j = Next(line, j);
    }
  }
  return line.size();
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
    } else if (line[i] == '"' || line[i] == '\'') {
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

}  // namespace pbparse
