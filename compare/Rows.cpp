#include "compare/Rows.h"

#include <algorithm>
#include <stdexcept>

#include "platform/FileSys.h"
#include "platform/TextFile.h"

using diff::ChangeKind;
using diff::ChangeRecord;
using diff::KindAdded;
using diff::KindDeleted;
using diff::KindModified;

namespace compare {

namespace {

TRowKind KindOf(ChangeKind kind) {
  switch (kind) {
    case KindAdded: return TRowKind::Added;
    case KindDeleted: return TRowKind::Deleted;
    case KindModified: return TRowKind::Modified;
    default: throw std::out_of_range("AlignRows() - change record of no kind.");
  }
}

// Places the rows of one change record; next1 and next2 are the next unplaced lines.
void PlaceChange(const ChangeRecord& c, TRows& out, std::int32_t& next1, std::int32_t& next2) {
  const TRowKind kind = KindOf(c.Kind);
  const auto [count1, count2] = std::pair{out.Counts.Count1, out.Counts.Count2};
  // Side 2's lines follow on from the equal lines placed before (a deleted record's Pos2 is 0).
  const std::int32_t at1 = c.Pos1, at2 = next2;
  const bool has1 = kind != TRowKind::Added, has2 = kind != TRowKind::Deleted;
  if (c.Count < 1 || at1 < 0 || at2 < 0 || (has1 && at1 + c.Count > count1) || (has2 && at2 + c.Count > count2) ||
      (!has1 && at1 > count1) || (!has2 && at2 > count2))
    throw std::out_of_range("AlignRows() - change record outside the texts.");
  for (std::int32_t i = 0; i < c.Count; ++i) {
    TRow row;
    row.Kind = kind;
    row.Cells[Side1] = has1 ? TCell{at1 + i, -1} : TCell::Filler(at1);
    row.Cells[Side2] = has2 ? TCell{at2 + i, -1} : TCell::Filler(at2);
    out.Rows.push_back(row);
  }
  switch (kind) {
    case TRowKind::Added: out.Counts.Added += c.Count; break;
    case TRowKind::Deleted: out.Counts.Deleted += c.Count; break;
    default: out.Counts.Changed += c.Count; break;
  }
  next1 = has1 ? at1 + c.Count : at1;
  next2 = has2 ? at2 + c.Count : at2;
}

}  // namespace

std::int32_t TRows::BlockOf(std::int32_t row) const {
  if (row < 0 || row >= Count()) return -1;
  auto it = std::upper_bound(Blocks.begin(), Blocks.end(), row,
                             [](std::int32_t r, const TBlock& b) { return r < b.First; });
  return static_cast<std::int32_t>(it - Blocks.begin()) - 1;
}

TRows AlignRows(const std::array<std::int32_t, SideCount>& lineCounts, const std::vector<ChangeRecord>& changes,
                bool leaveOutEqual) {
  TRows out;
  out.Counts.Count1 = lineCounts[Side1];
  out.Counts.Count2 = lineCounts[Side2];
  out.EqualRowsLeftOut = leaveOutEqual;
  std::size_t rows = leaveOutEqual ? 0 : static_cast<std::size_t>(std::max(lineCounts[Side1], 0));
  for (const ChangeRecord& c : changes)
    rows += leaveOutEqual || c.Kind == KindAdded ? static_cast<std::size_t>(std::max(c.Count, 0)) : 0;
  out.Rows.reserve(rows);
  auto equalRow = [&](std::int32_t i1, std::int32_t i2) {
    if (i1 >= out.Counts.Count1 || i2 >= out.Counts.Count2)
      throw std::out_of_range("AlignRows() - change record outside the texts.");
    TRow row;
    row.Cells[Side1] = TCell{i1, -1};
    row.Cells[Side2] = TCell{i2, -1};
    out.Rows.push_back(row);
  };
  std::int32_t next1 = 0, next2 = 0;
  for (const ChangeRecord& c : changes) {
    if (c.Pos1 < next1) throw std::out_of_range("AlignRows() - change records out of order.");
    if (leaveOutEqual) {
      next2 += c.Pos1 - next1;
      next1 = c.Pos1;
    } else {
      for (; next1 < c.Pos1; ++next1, ++next2) equalRow(next1, next2);
    }
    PlaceChange(c, out, next1, next2);
  }
  if (!leaveOutEqual)
    for (; next1 < out.Counts.Count1; ++next1, ++next2) equalRow(next1, next2);
  out.Blocks = FindBlocks(out.Count(), [&out](std::int32_t i) { return out.Rows[static_cast<std::size_t>(i)].Kind; });
  return out;
}

std::vector<TBlock> FindBlocks(std::int32_t count, const std::function<TRowKind(std::int32_t)>& kindAt) {
  std::vector<TBlock> blocks;
  for (std::int32_t i = 0; i < count;) {
    const TRowKind kind = kindAt(i);
    std::int32_t end = i + 1;
    while (end < count && kindAt(end) == kind) ++end;
    blocks.push_back({kind, i, end - i});
    i = end;
  }
  return blocks;
}

std::optional<std::int32_t> NextDifference(std::int32_t count, const std::function<TRowKind(std::int32_t)>& kindAt,
                                           std::int32_t row) {
  std::int32_t i = std::max(row, 0);
  if (i < count) {
    const TRowKind kind = kindAt(i);
    while (i < count && kindAt(i) == kind) ++i;
  }
  while (i < count && kindAt(i) == TRowKind::Equal) ++i;
  if (i >= count) return std::nullopt;
  return i;
}

std::optional<std::int32_t> PrevDifference(std::int32_t count, const std::function<TRowKind(std::int32_t)>& kindAt,
                                           std::int32_t row) {
  if (row < 0 || row >= count) return std::nullopt;
  std::int32_t i = row;
  const TRowKind kind = kindAt(i);
  while (i >= 0 && kindAt(i) == kind) --i;
  while (i >= 0 && kindAt(i) == TRowKind::Equal) --i;
  if (i < 0) return std::nullopt;
  const TRowKind found = kindAt(i);
  while (i > 0 && kindAt(i - 1) == found) --i;
  return i;
}

std::optional<std::pair<std::int32_t, std::int32_t>> DifferenceAt(
    std::int32_t count, const std::function<TRowKind(std::int32_t)>& kindAt, std::int32_t row) {
  if (row < 0 || row >= count) return std::nullopt;
  const TRowKind kind = kindAt(row);
  if (kind == TRowKind::Equal) return std::nullopt;
  std::int32_t first = row, last = row;
  while (first > 0 && kindAt(first - 1) == kind) --first;
  while (last + 1 < count && kindAt(last + 1) == kind) ++last;
  return std::pair{first, last};
}

std::vector<std::string> SavedLines(const std::vector<TPaneRow>& rows, const TSideText& source,
                                    const std::vector<ChangeRecord>& changes, TSide side, bool equalRowsLeftOut) {
  std::vector<std::string> out;
  out.reserve(equalRowsLeftOut ? static_cast<std::size_t>(source.Count()) + rows.size() : rows.size());
  auto emit = [&out](const TPaneRow& r) {
    if (r.Tag != 0 || r.Modified) out.emplace_back(r.Text);
  };
  if (!equalRowsLeftOut) {
    for (const TPaneRow& r : rows) emit(r);
    return out;
  }
  // The side's equal lines [From, To) and the filled row they stood before.
  struct TGap {
    std::size_t Row;
    std::int32_t From, To;
  };
  std::vector<TGap> gaps;
  std::size_t filledRows = 0;
  std::int32_t next1 = 0, next2 = 0, own = 0;
  const bool side1 = side == Side1;
  for (const ChangeRecord& c : changes) {
    next2 += c.Pos1 - next1;  // the equal lines skipped on both sides
    const std::int32_t start = side1 ? c.Pos1 : next2;
    bool covers = side1 ? c.Kind != KindAdded : c.Kind != KindDeleted;
    if (start > own) gaps.push_back({filledRows, own, start});
    own = std::max(own, covers ? start + c.Count : start);
    filledRows += static_cast<std::size_t>(std::max(c.Count, 0));
    next1 = c.Kind == KindAdded ? c.Pos1 : c.Pos1 + c.Count;
    if (c.Kind != KindDeleted) next2 = c.Pos2 + c.Count;
  }
  const std::int32_t size = source.Count();
  if (size > own) gaps.push_back({filledRows, own, size});

  std::size_t g = 0;
  auto flush = [&](const TGap& gap) {
    for (std::int32_t i = gap.From; i < gap.To && i < size; ++i) out.emplace_back(source.Line(i));
  };
  const bool sameRows = rows.size() == filledRows;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const TPaneRow& r = rows[i];
    if (sameRows) {
      for (; g < gaps.size() && gaps[g].Row <= i; ++g) flush(gaps[g]);
    } else if (r.Tag > 0) {
      for (; g < gaps.size() && gaps[g].To <= r.Tag - 1; ++g) flush(gaps[g]);
    }
    emit(r);
  }
  for (; g < gaps.size(); ++g) flush(gaps[g]);
  return out;
}

}  // namespace compare

std::vector<std::string> LoadSourceLines(const std::filesystem::path& path, platform::TTextEncoding* encoding) {
  const std::string bytes = platform::DecodeText(platform::ReadFileBytes(path), encoding);
  std::vector<std::string> lines;
  // At most one line per break, plus the last: room up front spares long texts the regrowth.
  lines.reserve(static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n')) + 1);
  platform::SplitLines(bytes, lines);
  return lines;
}
