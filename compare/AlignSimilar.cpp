#include "AlignSimilar.h"

#include <algorithm>
#include <optional>

using diff::ChangeKind;
using diff::ChangeRecord;
using diff::KindAdded;
using diff::KindDeleted;
using diff::KindModified;

namespace compare {
namespace {

std::vector<TLinePair> ByPosition(std::int32_t count1, std::int32_t count2) {
  std::vector<TLinePair> rows;
  for (std::int32_t k = 0; k < std::max(count1, count2); ++k)
    rows.push_back({k < count1 ? k : kNoLine, k < count2 ? k : kNoLine});
  return rows;
}

// The best order-keeping set of similar pairs, by dynamic programming over the block's grid:
// best[i][j] is the largest sum of likeness over the first i lines of block 1 and j of block 2.
// None when the comparisons of the lines go over kMaxAlignWork.
std::optional<std::vector<TLinePair>> SimilarPairs(std::span<const TLineView> block1, std::span<const TLineView> block2,
                                    const TCompareOptions& options) {
  const std::size_t m = block1.size(), n = block2.size();
  TLineMatcher matcher(options);
  for (const TLineView& line : block1) matcher.Add(line);
  for (const TLineView& line : block2) matcher.Add(line);
  enum TStep : std::uint8_t { SkipLine1, SkipLine2, Pair };
  std::vector<double> best((m + 1) * (n + 1), 0.0);
  std::vector<TStep> step((m + 1) * (n + 1), SkipLine1);
  auto at = [n](std::size_t i, std::size_t j) { return i * (n + 1) + j; };
  for (std::size_t j = 1; j <= n; ++j) step[at(0, j)] = SkipLine2;
  for (std::size_t i = 1; i <= m; ++i) {
    for (std::size_t j = 1; j <= n; ++j) {
      double value = best[at(i - 1, j)];
      TStep s = SkipLine1;
      if (best[at(i, j - 1)] > value) {
        value = best[at(i, j - 1)];
        s = SkipLine2;
      }
      const double likeness = matcher.Likeness(i - 1, m + j - 1);
      if (likeness >= kSimilarEnough && best[at(i - 1, j - 1)] + likeness >= value) {
        value = best[at(i - 1, j - 1)] + likeness;
        s = Pair;
      }
      best[at(i, j)] = value;
      step[at(i, j)] = s;
    }
    if (matcher.Work() > kMaxAlignWork) return std::nullopt;
  }
  std::vector<TLinePair> pairs;
  for (std::size_t i = m, j = n; i > 0 || j > 0;) {
    switch (step[at(i, j)]) {
      case Pair:
        --i, --j;
        pairs.push_back({static_cast<std::int32_t>(i), static_cast<std::int32_t>(j)});
        break;
      case SkipLine1: --i; break;
      case SkipLine2: --j; break;
    }
  }
  return std::vector<TLinePair>(pairs.rbegin(), pairs.rend());
}

}  // namespace

std::vector<TLinePair> AlignSimilar(std::span<const TLineView> block1, std::span<const TLineView> block2,
                                    const TCompareOptions& options) {
  const auto m = static_cast<std::int32_t>(block1.size()), n = static_cast<std::int32_t>(block2.size());
  if (std::int64_t{m} * n > kMaxAlignedPairs) return ByPosition(m, n);
  const auto pairs = SimilarPairs(block1, block2, options);
  if (!pairs) return ByPosition(m, n);
  std::vector<TLinePair> rows;
  std::int32_t next1 = 0, next2 = 0;
  auto leftOver = [&](std::int32_t to1, std::int32_t to2) {
    for (; next1 < to1; ++next1) rows.push_back({next1, kNoLine});
    for (; next2 < to2; ++next2) rows.push_back({kNoLine, next2});
  };
  for (const TLinePair& pair : *pairs) {
    leftOver(pair.Line1, pair.Line2);
    rows.push_back(pair);
    ++next1, ++next2;
  }
  leftOver(m, n);
  return rows;
}

std::vector<ChangeRecord> AlignChanges(const std::vector<ChangeRecord>& changes, const TLineAt& text1,
                                       const TLineAt& text2, const TCompareOptions& options) {
  std::vector<ChangeRecord> out;
  out.reserve(changes.size());
  std::int32_t next1 = 0, next2 = 0;
  for (std::size_t k = 0; k < changes.size();) {
    // One block: the records that follow each other with no equal line between them.
    const std::int32_t pos1 = changes[k].Pos1, pos2 = next2 + (pos1 - next1);
    std::int32_t count1 = 0, count2 = 0;
    std::size_t end = k;
    for (; end < changes.size() && changes[end].Pos1 == pos1 + count1; ++end) {
      if (changes[end].Kind != KindAdded) count1 += changes[end].Count;
      if (changes[end].Kind != KindDeleted) count2 += changes[end].Count;
    }
    next1 = pos1 + count1;
    next2 = pos2 + count2;
    if (count1 == count2 || count1 == 0 || count2 == 0 || std::int64_t{count1} * count2 > kMaxAlignedPairs) {
      out.insert(out.end(), changes.begin() + static_cast<std::ptrdiff_t>(k),
                 changes.begin() + static_cast<std::ptrdiff_t>(end));
      k = end;
      continue;
    }
    k = end;
    std::vector<TLineView> block1, block2;
    for (std::int32_t i = 0; i < count1; ++i) block1.push_back(text1(pos1 + i));
    for (std::int32_t j = 0; j < count2; ++j) block2.push_back(text2(pos2 + j));
    const std::size_t first = out.size();
    // A row continues the record before it when it is of its kind and follows it on side 1.
    auto append = [&](ChangeKind kind, std::int32_t line1, std::int32_t line2) {
      if (out.size() > first) {
        ChangeRecord& last = out.back();
        if (last.Kind == kind && last.Pos1 + (kind == KindAdded ? 0 : last.Count) == line1) {
          ++last.Count;
          return;
        }
      }
      out.push_back({kind, line1, kind == KindDeleted ? 0 : line2, 1});
    };
    std::int32_t seen1 = 0;  // lines of block 1 placed so far
    for (const TLinePair& row : AlignSimilar(block1, block2, options)) {
      if (row.Line1 == kNoLine) {
        append(KindAdded, pos1 + seen1, pos2 + row.Line2);
        continue;
      }
      append(row.Line2 == kNoLine ? KindDeleted : KindModified, pos1 + row.Line1, pos2 + row.Line2);
      seen1 = row.Line1 + 1;
    }
  }
  return out;
}

}  // namespace compare
