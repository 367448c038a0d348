// Aligning similar lines: in a changed block whose two sides have different line counts, the
// lines are paired by likeness (the measure of compare/InlineDiff.h) rather than by position, as
// WinMerge's "match similar lines" does. Pairs keep the order of both sides and together are as
// alike as possible (the sum of their likeness is the largest); only lines that count as an edit
// of one another (Similar) are paired, and the lines left over are deleted and added lines.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "compare/InlineDiff.h"
#include "compare/Options.h"
#include "diff/DiffUnit.h"

namespace compare {

constexpr std::int32_t kNoLine = -1;

// One row of an aligned block: a line of each side (indexes into the blocks), or kNoLine.
struct TLinePair {
  std::int32_t Line1 = kNoLine, Line2 = kNoLine;
  friend bool operator==(const TLinePair&, const TLinePair&) = default;
};

// A block of more line pairs than kMaxAlignedPairs, or whose lines cost more than kMaxAlignWork
// (TLineMatcher::Work) to compare, is paired by position: the likeness of every pair would take
// too long.
constexpr std::int64_t kMaxAlignedPairs = 250'000;
constexpr std::uint64_t kMaxAlignWork = 100'000'000;

// The rows of two blocks: the pairs in order; before each pair, and at the end, the lines of
// block 1 left over (deleted), then those of block 2 (added).
std::vector<TLinePair> AlignSimilar(std::span<const TLineView> block1, std::span<const TLineView> block2,
                                    const TCompareOptions& options);

using TLineAt = std::function<TLineView(std::int32_t index)>;

// The change records of two texts with every changed block of unequal line counts (consecutive
// records with no equal line between them) aligned by AlignSimilar: its pairs as modified
// records, its other lines as deleted and added records, in row order. Other blocks keep their
// records.
std::vector<diff::ChangeRecord> AlignChanges(const std::vector<diff::ChangeRecord>& changes, const TLineAt& text1,
                                       const TLineAt& text2, const TCompareOptions& options);

}  // namespace compare
