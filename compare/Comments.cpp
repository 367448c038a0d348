#include "Comments.h"

namespace compare {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Widens the comment ranges of one line by the blanks they leave behind (see the header) and
// joins ranges that only blanks separate.
void TakeBlanks(std::string_view line, std::vector<TByteRange>& ranges, std::size_t first) {
  std::size_t kept = first;
  for (std::size_t r = first; r < ranges.size(); ++r) {
    TByteRange cur = ranges[r];
    if (kept > first) {
      TByteRange& prev = ranges[kept - 1];
      std::uint32_t i = prev.End;
      while (i < cur.Start && IsBlank(line[i])) ++i;
      if (i == cur.Start) {
        prev.End = cur.End;
        continue;
      }
    }
    ranges[kept++] = cur;
  }
  ranges.resize(kept);
  const auto n = static_cast<std::uint32_t>(line.size());
  for (std::size_t r = first; r < ranges.size(); ++r) {
    TByteRange& cur = ranges[r];
    const std::uint32_t floor = r > first ? ranges[r - 1].End : 0;
    std::uint32_t after = cur.End;
    while (after < n && IsBlank(line[after])) ++after;
    if (after == n) {
      cur.End = n;
      while (cur.Start > floor && IsBlank(line[cur.Start - 1])) --cur.Start;
    } else if (cur.Start == 0 || IsBlank(line[cur.Start - 1])) {
      cur.End = after;
    }
  }
}

}  // namespace

void TCommentScanner::Scan(std::string_view line, std::vector<TByteRange>& out) {
  const std::size_t first = out.size();
  scanner_.Scan(line, out);
  TakeBlanks(line, out, first);
}

std::string_view CutRanges(std::string_view line, std::span<const TByteRange> ranges, std::string& storage) {
  if (ranges.empty()) return line;
  if (ranges.size() == 1 && ranges[0].End >= line.size()) return line.substr(0, ranges[0].Start);
  storage.clear();
  std::size_t from = 0;
  for (const TByteRange& r : ranges) {
    storage.append(line.substr(from, r.Start - from));
    from = r.End;
  }
  storage.append(line.substr(std::min(from, line.size())));
  return storage;
}

TCommentMap::TCommentMap(std::size_t lineCount, const TLineAt& line) {
  first_.reserve(lineCount + 1);
  TCommentScanner scanner;
  for (std::size_t i = 0; i < lineCount; ++i) {
    first_.push_back(static_cast<std::uint32_t>(ranges_.size()));
    scanner.Scan(line(i), ranges_);
  }
  first_.push_back(static_cast<std::uint32_t>(ranges_.size()));
}

TCommentMap::TCommentMap(const std::vector<std::string>& lines)
    : TCommentMap(lines.size(), [&lines](std::size_t i) { return std::string_view(lines[i]); }) {}

std::span<const TByteRange> TCommentMap::Line(std::size_t index) const {
  if (index + 1 >= first_.size()) return {};
  return {ranges_.data() + first_[index], first_[index + 1] - first_[index]};
}

TComparedText ComparedLines(const std::vector<std::string>& lines, const TCompareOptions& options) {
  TComparedText out;
  if (options.IgnoreComments || options.AlignSimilar) out.Comments = TCommentMap(lines);
  out.Lines.reserve(lines.size());
  if (!options.IgnoreComments) {
    out.Lines.assign(lines.begin(), lines.end());
    return out;
  }
  std::string storage;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string_view cut = CutRanges(lines[i], out.Comments.Line(i), storage);
    if (cut.data() == storage.data() && !cut.empty()) {
      out.Cut.push_back(storage);
      cut = out.Cut.back();
    }
    out.Lines.push_back(cut);
  }
  return out;
}

}  // namespace compare
