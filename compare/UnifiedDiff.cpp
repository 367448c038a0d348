#include "compare/UnifiedDiff.h"

#include <algorithm>

using diff::ChangeRecord;
using diff::KindAdded;
using diff::KindDeleted;

namespace compare {
namespace {

using platform::TTextEncoding;

std::size_t UnitSize(TTextEncoding encoding) {
  return encoding == TTextEncoding::Utf16LE || encoding == TTextEncoding::Utf16BE ? 2 : 1;
}

bool IsLineFeed(std::string_view bytes, std::size_t at, TTextEncoding encoding) {
  const auto b = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
  switch (encoding) {
    case TTextEncoding::Utf16LE: return b(at) == 0x0A && b(at + 1) == 0;
    case TTextEncoding::Utf16BE: return b(at) == 0 && b(at + 1) == 0x0A;
    default: return b(at) == 0x0A;
  }
}

// A run of changed lines: n1 lines of file 1 from a1 stand for n2 lines of file 2 from a2.
struct TGroup {
  std::int32_t A1, N1, A2, N2;
};

std::vector<TGroup> Groups(const std::vector<ChangeRecord>& changes) {
  std::vector<TGroup> groups;
  groups.reserve(changes.size());
  std::int32_t at1 = 0, at2 = 0;
  for (const ChangeRecord& c : changes) {
    at2 += c.Pos1 - at1;
    at1 = c.Pos1;
    const std::int32_t n1 = c.Kind == KindAdded ? 0 : c.Count, n2 = c.Kind == KindDeleted ? 0 : c.Count;
    groups.push_back({at1, n1, at2, n2});
    at1 += n1;
    at2 += n2;
  }
  return groups;
}

// GNU diff's range: "start,count", the start alone for one line, and for no lines the line
// before them with a count of 0.
std::string Range(std::int32_t start, std::int32_t count) {
  if (count == 0) return std::to_string(start) + ",0";
  if (count == 1) return std::to_string(start + 1);
  return std::to_string(start + 1) + "," + std::to_string(count);
}

// A file name for a header line, quoted the way GNU diff and git quote it ("a\tb", "new\nline",
// octal for other control bytes) when it holds a control character, a quote or a backslash, so
// that patch and git apply read the name back; any other name stands as it is.
std::string QuotedName(std::string_view name) {
  auto special = [](unsigned char c) { return c < 0x20 || c == 0x7F || c == '"' || c == '\\'; };
  if (std::none_of(name.begin(), name.end(), [&](char c) { return special(static_cast<unsigned char>(c)); }))
    return std::string(name);
  std::string out = "\"";
  for (char ch : name) {
    const auto c = static_cast<unsigned char>(ch);
    const char* named = c == '\a' ? "\\a" : c == '\b' ? "\\b" : c == '\t' ? "\\t" : c == '\n' ? "\\n" : c == '\v' ? "\\v"
                      : c == '\f' ? "\\f" : c == '\r' ? "\\r" : c == '"' ? "\\\"" : c == '\\' ? "\\\\" : nullptr;
    if (named) {
      out += named;
    } else if (special(c)) {
      out += '\\';
      out += static_cast<char>('0' + (c >> 6));
      out += static_cast<char>('0' + ((c >> 3) & 7));
      out += static_cast<char>('0' + (c & 7));
    } else {
      out += ch;
    }
  }
  return out + "\"";
}

}  // namespace

std::vector<std::string_view> RawLines(std::string_view bytes, TTextEncoding encoding) {
  std::vector<std::string_view> lines;
  const std::size_t unit = UnitSize(encoding);
  std::size_t start = 0, at = 0;
  while (at + unit <= bytes.size()) {
    at += unit;
    if (IsLineFeed(bytes, at - unit, encoding)) {
      lines.push_back(bytes.substr(start, at - start));
      start = at;
    }
  }
  if (start < bytes.size()) lines.push_back(bytes.substr(start));
  return lines;
}

bool HasLineBreak(std::string_view rawLine, TTextEncoding encoding) {
  const std::size_t unit = UnitSize(encoding);
  return rawLine.size() >= unit && IsLineFeed(rawLine, rawLine.size() - unit, encoding);
}

std::string UnifiedDiff(const TUnifiedFile& file1, const TUnifiedFile& file2, const std::vector<ChangeRecord>& changes,
                        std::int32_t context) {
  if (changes.empty()) return {};
  context = std::max(context, 0);
  std::string out;
  auto header = [&out](const char* mark, const TUnifiedFile& f) {
    out += mark + QuotedName(f.Name) + (f.Time.empty() ? "" : "\t" + f.Time) + "\n";
  };
  header("--- ", file1);
  header("+++ ", file2);
  auto line = [&out](char prefix, const TUnifiedFile& f, std::int32_t i) {
    const std::string_view raw = f.Lines[static_cast<std::size_t>(i)];
    out += prefix;
    out += raw;
    if (!HasLineBreak(raw, f.Encoding)) out += "\n\\ No newline at end of file\n";
  };
  const std::vector<TGroup> groups = Groups(changes);
  const auto count1 = static_cast<std::int32_t>(file1.Lines.size());
  std::size_t g = 0;
  while (g < groups.size()) {
    // A hunk takes the following groups while the equal lines between them are no more than
    // twice the context.
    std::size_t last = g;
    while (last + 1 < groups.size() &&
           groups[last + 1].A1 - (groups[last].A1 + groups[last].N1) <= 2 * context)
      ++last;
    const TGroup &first = groups[g], &end = groups[last];
    const std::int32_t start1 = std::max(0, first.A1 - context), start2 = first.A2 - (first.A1 - start1);
    const std::int32_t stop1 = std::min(count1, end.A1 + end.N1 + context);
    const std::int32_t stop2 = end.A2 + end.N2 + (stop1 - (end.A1 + end.N1));
    out += "@@ -" + Range(start1, stop1 - start1) + " +" + Range(start2, stop2 - start2) + " @@\n";
    std::int32_t at1 = start1;
    for (std::size_t i = g; i <= last; ++i) {
      const TGroup& c = groups[i];
      for (; at1 < c.A1; ++at1) line(' ', file1, at1);
      for (std::int32_t k = 0; k < c.N1; ++k) line('-', file1, c.A1 + k);
      for (std::int32_t k = 0; k < c.N2; ++k) line('+', file2, c.A2 + k);
      at1 = c.A1 + c.N1;
    }
    for (; at1 < stop1; ++at1) line(' ', file1, at1);
    g = last + 1;
  }
  return out;
}

}  // namespace compare
