#include "DiffUnit.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <bit>
#include <cstring>
#include <limits>
#include <mutex>
#include <stdexcept>
#include <thread>

#if defined(__x86_64__)
#include <immintrin.h>

namespace diff {

#endif

namespace {

// Frontier marks of a diagonal that the current search has not reached. Half the range keeps
// "value - 1" and "value + 1" clear of overflow.
constexpr std::int32_t kUnreachedForward = std::numeric_limits<std::int32_t>::min() / 2;
constexpr std::int32_t kUnreachedReverse = std::numeric_limits<std::int32_t>::max() / 2;

constexpr auto kProgressInterval = std::chrono::milliseconds(1000);

// Words of row work between two search steps of the bit-parallel method.
constexpr std::int64_t kWordsPerStep = 16384;
// Without a step handler the clock is looked at every this many Myers steps only.
constexpr std::uint32_t kQuietSteps = 64;
// The cost of one word of a bit-parallel row against one diagonal visited (or one line followed
// along a snake) by the Myers search, in eighths (measured on the reversed and shuffled texts of
// bench/diff-vs-gnu.sh): a word is an addition and a few logical operations without branches, a
// diagonal a handful of branches and scattered loads.
constexpr std::int64_t kWordCostEighths = 3;
// The cost of setting up one row (finding its class's columns, setting and clearing their bits).
constexpr std::int64_t kRowCost = 32;
// A Myers search of unknown length gives up after this share of the cost of a bit-parallel split
// (in halves): when it gives up, its work is lost, and the split with its halves costs about twice
// the first split.
constexpr std::int64_t kMyersShareHalves = 1;

// The first of from, from + 2, from + 4, ... that is >= floor.
std::int32_t FirstAtLeast(std::int32_t from, std::int32_t floor) {
  if (from >= floor) return from;
  return floor + ((floor - from) & 1);
}

std::int32_t Words(std::int32_t bits) { return (bits + 63) / 64; }

// The expected cost of one bit-parallel split of an M by N box, in diagonal visits.
std::int64_t RowsCost(std::int64_t m, std::int64_t n) {
  return m * Words(static_cast<std::int32_t>(n)) * kWordCostEighths / 8 + m * kRowCost + n;
}

// The expected cost of one Myers split of a box with d changed lines: the two searches each go d/2
// steps over up to d/2 diagonals, and follow the snakes across the box.
std::int64_t MyersCost(std::int64_t m, std::int64_t n, std::int64_t d) { return d * d / 4 + m + n; }

// One word of a row of the bit-parallel table: V = (V + (V & match)) | (V & ~match), the addition
// carried across the words. The carry is a value of its own (never a reference that could alias
// the rows), so that it stays in a register.
struct TWordSum {
  std::uint64_t Value;
  unsigned char Carry;
};

inline TWordSum AddWord(std::uint64_t x, std::uint64_t m, unsigned char carry) {
#if defined(__x86_64__)
  // One add-with-carry: the carry chain across the words costs a cycle a word.
  unsigned long long total;
  const unsigned char out = _addcarry_u64(carry, x, x & m, &total);
  return {total | (x & ~m), out};
#else
  const std::uint64_t u = x & m, sum = x + u, total = sum + carry;
  return {total | (x & ~m), static_cast<unsigned char>((sum < x) | (total < sum))};
#endif
}

inline void AddRow(std::uint64_t* V, const std::uint64_t* match, std::int32_t words) {
  unsigned char carry = 0;
  for (std::int32_t w = 0; w < words; ++w) {
    const TWordSum s = AddWord(V[w], match[w], carry);
    V[w] = s.Value;
    carry = s.Carry;
  }
}

// Two independent rows at once.
inline void AddRows(std::uint64_t* V1, const std::uint64_t* match1, std::uint64_t* V2, const std::uint64_t* match2,
                    std::int32_t words) {
  unsigned char carry1 = 0, carry2 = 0;
  for (std::int32_t w = 0; w < words; ++w) {
    const TWordSum s1 = AddWord(V1[w], match1[w], carry1);
    const TWordSum s2 = AddWord(V2[w], match2[w], carry2);
    V1[w] = s1.Value;
    V2[w] = s2.Value;
    carry1 = s1.Carry;
    carry2 = s2.Carry;
  }
}

template <class T, class A>
void Release(std::vector<T, A>& v) {
  // Small arrays are kept for the next run (many short comparisons in a row); large ones freed.
  if (v.capacity() > (1u << 16))
    std::vector<T, A>().swap(v);
  else
    v.clear();
}

// Dense numbers for arbitrary 32-bit values: an open-addressing table.
class TRenumber {
 public:
  explicit TRenumber(std::size_t atMost) {
    std::size_t size = 16;
    while (size < 2 * atMost) size *= 2;
    keys_.resize(size);
    ids_.assign(size, -1);
    mask_ = size - 1;
    shift_ = 64 - std::countr_zero(size);
  }
  std::uint32_t Of(std::uint32_t value) {
    std::size_t at = static_cast<std::size_t>((value * 0x9E3779B97F4A7C15ull) >> shift_) & mask_;
    while (ids_[at] >= 0) {
      if (keys_[at] == value) return static_cast<std::uint32_t>(ids_[at]);
      at = (at + 1) & mask_;
    }
    keys_[at] = value;
    ids_[at] = static_cast<std::int32_t>(next_);
    return next_++;
  }
  std::uint32_t Count() const { return next_; }

 private:
  std::vector<std::uint32_t> keys_;
  std::vector<std::int32_t> ids_;
  std::size_t mask_ = 0;
  int shift_ = 0;
  std::uint32_t next_ = 0;
};

}  // namespace

TDiff::TDiff() = default;

ChangeRecord TDiff::GetChange(std::int32_t index) const {
  if (index < 0 || index >= ChangeCount()) throw std::out_of_range("TDiff.GetChange() - index out of bounds.");
  return changes_[static_cast<std::size_t>(index)];
}

bool TDiff::Execute(const std::vector<std::uint32_t>& seq1, const std::vector<std::uint32_t>& seq2) {
  if (seq1.size() > static_cast<std::size_t>(MaxLength) || seq2.size() > static_cast<std::size_t>(MaxLength)) {
    Clear();
    return false;
  }
  // An empty vector may have no storage at all; it is still a sequence, not a missing one.
  static const std::uint32_t kNone = 0;
  return Execute(seq1.empty() ? &kNone : seq1.data(), seq2.empty() ? &kNone : seq2.data(),
                 static_cast<std::int32_t>(seq1.size()), static_cast<std::int32_t>(seq2.size()));
}

bool TDiff::Execute(const std::uint32_t* seq1, const std::uint32_t* seq2, std::int32_t len1, std::int32_t len2) {
  if (running_) throw std::logic_error("TDiff.Execute() - already running.");
  Clear();
  if (!seq1 || !seq2 || len1 < 0 || len2 < 0 || len1 > MaxLength || len2 > MaxLength) return false;
  if (len1 == len2 && std::memcmp(seq1, seq2, sizeof(std::uint32_t) * static_cast<std::size_t>(len1)) == 0)
    return true;

  running_ = true;
  // Frees the working arrays and ends the run however Execute is left.
  struct TRunGuard {
    TDiff& Diff;
    ~TRunGuard() {
      Release(Diff.a_), Release(Diff.b_), Release(Diff.map1_), Release(Diff.map2_);
      Release(Diff.changed1_), Release(Diff.changed2_), Release(Diff.forward_), Release(Diff.reverse_);
      Release(Diff.classStart_), Release(Diff.positions_), Release(Diff.match_);
      Release(Diff.rowForward_), Release(Diff.rowReverse_);
      Diff.running_ = false;
    }
  } guard{*this};

  std::int32_t i = 0;
  while (i < len1 && i < len2 && seq1[i] == seq2[i]) ++i;
  std::int32_t e1 = len1, e2 = len2;
  while (e1 > i && e2 > i && seq1[e1 - 1] == seq2[e2 - 1]) --e1, --e2;

  changed1_.assign(static_cast<std::size_t>(len1), 0);
  changed2_.assign(static_cast<std::size_t>(len2), 0);
  Reduce(seq1, seq2, i, e1, e2);

  const auto n1 = static_cast<std::int32_t>(a_.size()), n2 = static_cast<std::int32_t>(b_.size());
  maxD_ = std::max(n1, n2);
  length1_ = n1;
  forwardFront_ = 0;
  reverseFront_ = n1;
  startTime_ = lastProgress_ = TClock::now();
  meetTime_.reset();
  quietSteps_ = 0;
  rowsProgress_ = false;
  rowWork_ = stepWork_ = 0;
  rowWorkTotal_ = 1;
  cancelled_ = false;

  // Every run on sequences that differ takes a first step, search or not: the desktop program
  // relies on it to keep its window alive and to let a Cancel through.
  if (!SearchStep() || !Solve({0, 0, n1, n2})) return false;
  WriteRecords(len1, len2);
  return true;
}

// The lines from..end1-1 and from..end2-1 become the reduced sequences: their values renumbered
// densely, and without the lines whose value the other side lacks (marked changed at once).
void TDiff::Reduce(const std::uint32_t* seq1, const std::uint32_t* seq2, std::int32_t from, std::int32_t end1,
                   std::int32_t end2) {
  const std::size_t n1 = static_cast<std::size_t>(end1 - from), n2 = static_cast<std::size_t>(end2 - from);
  a_.resize(n1);
  b_.resize(n2);
  std::uint32_t top = 0;
  for (std::size_t i = 0; i < n1; ++i) top = std::max(top, seq1[from + i]);
  for (std::size_t i = 0; i < n2; ++i) top = std::max(top, seq2[from + i]);
  // Values that are already small numbers (the class numbers of TLineClasses) are used as they
  // are; others are renumbered.
  if (std::uint64_t{top} < 2 * (n1 + n2) + 1024) {
    std::copy(seq1 + from, seq1 + end1, a_.begin());
    std::copy(seq2 + from, seq2 + end2, b_.begin());
    classes_ = top + 1;
  } else {
    TRenumber renumber(n1 + n2);
    for (std::size_t i = 0; i < n1; ++i) a_[i] = renumber.Of(seq1[from + i]);
    for (std::size_t i = 0; i < n2; ++i) b_[i] = renumber.Of(seq2[from + i]);
    classes_ = renumber.Count();
  }

  std::vector<std::uint8_t> in(classes_, 0);  // bit 0: occurs in sequence 1, bit 1: in sequence 2
  for (std::uint32_t c : a_) in[c] |= 1;
  for (std::uint32_t c : b_) in[c] |= 2;
  const bool setAside = Tuning.SetAsideUnmatched;
  auto keep = [&](TUnsetVector<std::uint32_t>& seq, TUnsetVector<std::int32_t>& map, std::vector<std::uint8_t>& changed,
                  std::uint8_t other) {
    map.resize(seq.size());
    std::size_t kept = 0;
    for (std::size_t i = 0; i < seq.size(); ++i) {
      const auto line = static_cast<std::int32_t>(from + i);
      if (setAside && !(in[seq[i]] & other)) {
        changed[static_cast<std::size_t>(line)] = 1;
        continue;
      }
      seq[kept] = seq[i];
      map[kept++] = line;
    }
    seq.resize(kept);
    map.resize(kept);
  };
  keep(a_, map1_, changed1_, 2);
  keep(b_, map2_, changed2_, 1);
}

// Solves the boxes depth first, the first half of a split before the second; the explicit stack
// keeps a text that differs everywhere (a split depth that grows with the number of differences)
// from exhausting the call stack.
bool TDiff::Solve(TBox box) {
  const std::uint32_t* A = a_.data();
  const std::uint32_t* B = b_.data();
  std::vector<TBox> todo{box};
  bool first = true;
  while (!todo.empty()) {
    TBox next = todo.back();
    todo.pop_back();
    auto& [x1, y1, x2, y2, d] = next;
    while (x1 < x2 && y1 < y2 && A[x1] == B[y1]) ++x1, ++y1;
    while (x1 < x2 && y1 < y2 && A[x2 - 1] == B[y2 - 1]) --x2, --y2;
    const std::int64_t m = x2 - x1, n = y2 - y1;
    if (m <= 1 || n <= 1) {
      if (!SolveSmall(next)) return false;
      first = false;
      continue;
    }

    TSplit split;
    const TMethod method = Tuning.Method;
    const bool rows = method == TMethod::BitParallel ||
                      (method == TMethod::Automatic && d >= 0 && MyersCost(m, n, d) > RowsCost(m, n));
    if (!rows) {
      const std::int64_t bound = method == TMethod::Automatic && d < 0 ? RowsCost(m, n) * kMyersShareHalves / 2
                                                                         : std::numeric_limits<std::int64_t>::max();
      split = Bisect(next, bound);
    }
    if (rows || split.OverBound) {
      if (first) {
        // The whole comparison is done by rows: progress is the share of their words done
        // (the halves of all splits together cost about as much as the first split again).
        rowsProgress_ = true;
        rowWorkTotal_ = std::max<std::int64_t>(1, 2 * m * Words(static_cast<std::int32_t>(n)));
      }
      split = SplitByRows(next);
    }
    first = false;
    if (!split.Ok) return false;
    if (split.Solved) continue;
    todo.push_back(split.Second);
    todo.push_back(split.First);
  }
  return true;
}

// A box with an empty side, or with one line on a side: that line is kept when the other side has
// it (its first occurrence), and all else is changed.
bool TDiff::SolveSmall(const TBox& box) {
  const auto [x1, y1, x2, y2, d] = box;
  std::int32_t keep1 = -1, keep2 = -1;
  if (x2 - x1 == 1) {
    for (std::int32_t y = y1; y < y2; ++y)
      if (b_[static_cast<std::size_t>(y)] == a_[static_cast<std::size_t>(x1)]) {
        keep1 = x1, keep2 = y;
        break;
      }
  } else if (y2 - y1 == 1) {
    for (std::int32_t x = x1; x < x2; ++x)
      if (a_[static_cast<std::size_t>(x)] == b_[static_cast<std::size_t>(y1)]) {
        keep1 = x, keep2 = y1;
        break;
      }
  }
  for (std::int32_t x = x1; x < x2; ++x)
    if (x != keep1) changed1_[static_cast<std::size_t>(map1_[static_cast<std::size_t>(x)])] = 1;
  for (std::int32_t y = y1; y < y2; ++y)
    if (y != keep2) changed2_[static_cast<std::size_t>(map2_[static_cast<std::size_t>(y)])] = 1;
  return true;
}

// One Myers search over a box whose sides hold at least two lines each and whose ends differ.
// Gives up (OverBound) once it has visited more than `bound` diagonals and snake lines.
TDiff::TSplit TDiff::Bisect(const TBox& box, std::int64_t bound) {
  const auto [x1, y1, x2, y2, known] = box;
  TSplit out;
  const std::size_t slots = 2 * static_cast<std::size_t>(maxD_) + 3;
  if (forward_.size() < slots) {
    forward_.resize(slots);
    reverse_.resize(slots);
  }

  const std::int32_t M = x2 - x1, N = y2 - y1, delta = M - N;
  const bool odd = (delta & 1) != 0;
  // Diagonal k lives at index k + maxD_ + 1. The search only ever writes diagonals -N .. M, so
  // the two just outside keep the "unreached" marks for the whole of this box's search; every
  // other diagonal is written by this search before it is read (the arrays are reused between
  // boxes, and nothing stale is looked at).
  std::int32_t* const F = forward_.data() + maxD_ + 1;
  std::int32_t* const R = reverse_.data() + maxD_ + 1;
  F[-N - 1] = F[M + 1] = kUnreachedForward;
  R[-N - 1] = R[M + 1] = kUnreachedReverse;
  F[0] = x1;
  R[delta] = x2;
  const std::uint32_t* const A = a_.data();
  const std::uint32_t* const B = b_.data();
  std::int64_t work = 0;
  std::int32_t forwardFront = forwardFront_, reverseFront = reverseFront_;

  for (std::int32_t D = 1; D <= maxD_; ++D) {
    forwardFront_ = forwardFront;
    reverseFront_ = reverseFront;
    if (!SearchStep()) {
      out.Solved = true;
      out.Ok = false;
      return out;
    }
    if (work > bound) {
      out.OverBound = true;
      return out;
    }

    // Forward pass; on a tie the step along sequence 1 (a deletion) is taken.
    const std::int32_t kForward = FirstAtLeast(-D, -N), kForwardEnd = std::min(D, M);
    for (std::int32_t k = kForward; k <= kForwardEnd; k += 2) {
      std::int32_t x = (k == -D || (k < D && F[k - 1] < F[k + 1])) ? F[k + 1] : F[k - 1] + 1;
      std::int32_t y = x - x1 + y1 - k;
      const std::int32_t x0 = x;
      while (x < x2 && y < y2 && A[x] == B[y]) ++x, ++y;
      work += x - x0;
      F[k] = x;
      forwardFront = std::max(forwardFront, x);
      if (odd && delta - D < k && k < delta + D && x >= R[k]) {
        std::int32_t xs = x, ys = y;
        while (xs > x1 && ys > y1 && A[xs - 1] == B[ys - 1]) --xs, --ys;
        out.First = {x1, y1, xs, ys, D};
        out.Second = {x, y, x2, y2, D - 1};
        forwardFront_ = forwardFront;
        return out;
      }
    }

    // Reverse pass; on a tie the step along sequence 1 is taken here as well.
    const std::int32_t kReverse = FirstAtLeast(delta - D, -N), kReverseEnd = std::min(delta + D, M);
    for (std::int32_t k = kReverse; k <= kReverseEnd; k += 2) {
      std::int32_t x;
      if (k == delta + D)
        x = R[k - 1];
      else if (k <= delta - D)
        x = R[k + 1] - 1;
      else
        x = R[k + 1] <= R[k - 1] ? R[k + 1] - 1 : R[k - 1];
      std::int32_t y = x - x1 + y1 - k;
      const std::int32_t x0 = x;
      while (x > x1 && y > y1 && A[x - 1] == B[y - 1]) --x, --y;
      work += x0 - x;
      R[k] = x;
      reverseFront = std::min(reverseFront, x);
      if (!odd && -D <= k && k <= D && F[k] >= x) {
        out.First = {x1, y1, x, y, D};
        while (x < x2 && y < y2 && A[x] == B[y]) ++x, ++y;
        out.Second = {x, y, x2, y2, D};
        reverseFront_ = reverseFront;
        return out;
      }
    }
    work += (kForwardEnd - kForward) / 2 + (kReverseEnd - kReverse) / 2 + 2;
  }
  // Only possible beyond the length limit: with these bounds the fronts meet by D = (M+N+1)/2.
  out.Solved = true;
  out.Ok = false;
  return out;
}

// The positions of every class in sequence 2, and the scratch match row; built on first use.
void TDiff::PrepareRows() {
  if (!classStart_.empty()) return;
  classStart_.assign(static_cast<std::size_t>(classes_) + 1, 0);
  for (std::uint32_t c : b_) ++classStart_[c + 1];
  for (std::size_t c = 0; c < classes_; ++c) classStart_[c + 1] += classStart_[c];
  positions_.resize(b_.size());
  std::vector<std::int32_t> fill(classStart_.begin(), classStart_.end() - 1);
  for (std::size_t y = 0; y < b_.size(); ++y) positions_[static_cast<std::size_t>(fill[b_[y]]++)] = static_cast<std::int32_t>(y);
  match_.assign(2 * (static_cast<std::size_t>(Words(static_cast<std::int32_t>(b_.size()))) + 1), 0);
}

// The match row of the pass's next row over columns y1..y2-1 (or, reversed, y2-1 down to y1).
const std::uint64_t* TDiff::LoadRow(TRowPass& pass, std::int32_t y1, std::int32_t y2, std::int32_t words) {
  const std::uint32_t c = a_[static_cast<std::size_t>(pass.Next)];
  const std::int32_t* const pos = positions_.data();
  pass.Lo = std::lower_bound(pos + classStart_[c], pos + classStart_[c + 1], y1);
  pass.Hi = std::lower_bound(pass.Lo, pos + classStart_[c + 1], y2);
  // A class that fills more than one column in 64 (blank lines, "end if") would cost more to set
  // and clear than the row itself: its row is built once per pass and kept.
  pass.Kept = pass.Hi - pass.Lo > words;
  std::uint64_t* row = pass.Scratch;
  if (pass.Kept) {
    auto found = std::find_if(pass.Frequent.begin(), pass.Frequent.end(), [c](const auto& f) { return f.first == c; });
    if (found != pass.Frequent.end()) return found->second.data();
    pass.Frequent.emplace_back(c, std::vector<std::uint64_t>(static_cast<std::size_t>(words), 0));
    row = pass.Frequent.back().second.data();
  }
  for (const std::int32_t* p = pass.Lo; p != pass.Hi; ++p) {
    const std::int32_t bit = pass.Reversed ? y2 - 1 - *p : *p - y1;
    row[bit >> 6] |= std::uint64_t{1} << (bit & 63);
  }
  return row;
}

void TDiff::UnloadRow(TRowPass& pass, std::int32_t y1, std::int32_t y2) {
  if (!pass.Kept)
    for (const std::int32_t* p = pass.Lo; p != pass.Hi; ++p) pass.Scratch[(pass.Reversed ? y2 - 1 - *p : *p - y1) >> 6] = 0;
  pass.Next += pass.Step;
}

// Splits a box (at least two lines a side) where a longest common subsequence crosses from the
// first half of its sequence-1 lines into the second: the forward rows give, for every column, the
// longest common subsequence of the first half with the columns before it, the reverse rows that
// of the second half with the columns from it on.
TDiff::TSplit TDiff::SplitByRows(const TBox& box) {
  const auto [x1, y1, x2, y2, known] = box;
  TSplit out;
  PrepareRows();
  const std::int32_t M = x2 - x1, N = y2 - y1, mid = M / 2, words = Words(N);
  rowForward_.assign(static_cast<std::size_t>(words), ~std::uint64_t{0});
  rowReverse_.assign(static_cast<std::size_t>(words), ~std::uint64_t{0});
  const std::size_t stride = match_.size() / 2;
  TRowPass forward{x1, x1 + mid, 1, false, rowForward_.data(), match_.data(), {}};
  TRowPass reverse{x2 - 1, x1 + mid - 1, -1, true, rowReverse_.data(), match_.data() + stride, {}};
  static const bool severalCores = std::thread::hardware_concurrency() > 1;
  if (severalCores && std::int64_t{M} * words >= Tuning.SecondThreadFrom) {
    if (!RunPassesApart(forward, reverse, y1, y2, words)) {
      out.Solved = true;
      out.Ok = false;
      return out;
    }
  }
  // On one thread the two passes run side by side: their additions are independent, so the
  // processor overlaps the two carry chains.
  while (forward.Next != forward.End || reverse.Next != reverse.End) {
    if (forward.Next != forward.End && reverse.Next != reverse.End) {
      const std::uint64_t* m1 = LoadRow(forward, y1, y2, words);
      const std::uint64_t* m2 = LoadRow(reverse, y1, y2, words);
      AddRows(forward.V, m1, reverse.V, m2, words);
      UnloadRow(forward, y1, y2);
      UnloadRow(reverse, y1, y2);
      rowWork_ += 2 * words;
      stepWork_ += 2 * words;
    } else {
      TRowPass& pass = forward.Next != forward.End ? forward : reverse;
      AddRow(pass.V, LoadRow(pass, y1, y2, words), words);
      UnloadRow(pass, y1, y2);
      rowWork_ += words;
      stepWork_ += words;
    }
    if (stepWork_ >= kWordsPerStep) {
      stepWork_ = 0;
      if (!SearchStep()) {
        out.Solved = true;
        out.Ok = false;
        return out;
      }
    }
  }

  auto zero = [](const std::vector<std::uint64_t>& v, std::int32_t bit) {
    return static_cast<std::int64_t>(~v[static_cast<std::size_t>(bit >> 6)] >> (bit & 63) & 1);
  };
  std::int64_t after = 0;  // the longest common subsequence of the second half with columns j..
  for (std::int32_t w = 0; w < words; ++w) {
    std::uint64_t zeros = ~rowReverse_[static_cast<std::size_t>(w)];
    if (w == words - 1 && N % 64) zeros &= (std::uint64_t{1} << (N % 64)) - 1;
    after += std::popcount(zeros);
  }
  std::int64_t before = 0, best = -1, bestBefore = 0;
  std::int32_t bestJ = 0;
  for (std::int32_t j = 0;; ++j) {
    if (before + after > best) best = before + after, bestBefore = before, bestJ = j;
    if (j == N) break;
    before += zero(rowForward_, j);
    after -= zero(rowReverse_, N - 1 - j);
  }
  out.First = {x1, y1, x1 + mid, y1 + bestJ, mid + bestJ - 2 * bestBefore};
  out.Second = {x1 + mid, y1 + bestJ, x2, y2, (M - mid) + (N - bestJ) - 2 * (best - bestBefore)};
  return out;
}

// The reverse pass on a second thread, the forward pass on this one with the search steps (the
// desktop program takes its events and a Cancel on this thread only). False when cancelled, with
// both passes stopped.
bool TDiff::RunPassesApart(TRowPass& forward, TRowPass& reverse, std::int32_t y1, std::int32_t y2,
                           std::int32_t words) {
  std::atomic<bool> stop{false};
  std::mutex mutex;
  std::condition_variable finished;
  bool done = false;
  std::exception_ptr failure;
  std::thread second([&] {
    try {
      while (reverse.Next != reverse.End && !stop.load(std::memory_order_relaxed)) {
        AddRow(reverse.V, LoadRow(reverse, y1, y2, words), words);
        UnloadRow(reverse, y1, y2);
      }
    } catch (...) {
      failure = std::current_exception();
    }
    std::lock_guard lock(mutex);
    done = true;
    finished.notify_one();
  });
  // However this is left (a step handler may throw), the second thread is stopped and joined.
  struct TJoin {
    std::atomic<bool>& Stop;
    std::thread& Thread;
    ~TJoin() {
      Stop.store(true, std::memory_order_relaxed);
      Thread.join();
    }
  } join{stop, second};

  while (forward.Next != forward.End) {
    AddRow(forward.V, LoadRow(forward, y1, y2, words), words);
    UnloadRow(forward, y1, y2);
    // Both passes' share, as the two go at about one speed.
    rowWork_ += 2 * words;
    stepWork_ += 2 * words;
    if (stepWork_ >= kWordsPerStep) {
      stepWork_ = 0;
      if (!SearchStep()) return false;
    }
  }
  // The other pass may still be going (a busy machine): the steps go on while it does.
  for (;;) {
    {
      std::unique_lock lock(mutex);
      if (finished.wait_for(lock, std::chrono::milliseconds(2), [&] { return done; })) break;
    }
    if (!SearchStep()) return false;
  }
  if (failure) std::rethrow_exception(failure);
  return true;
}

bool TDiff::SearchStep() {
  if (OnStep) {
    OnStep(*this);
    ReportProgress();
  } else if (OnProgress && ++quietSteps_ % kQuietSteps == 0) {
    ReportProgress();
  }
  return !cancelled_;
}

void TDiff::ReportProgress() {
  if (!OnProgress) return;
  TClock::time_point now = TClock::now();
  if (now - lastProgress_ < kProgressInterval) return;
  lastProgress_ = now;
  OnProgress(*this, ProgressPercent(now));
}

// Rows: the share of the estimated words done. Myers: until the outermost fronts meet, the share
// of sequence 1 that lies between them says how far the search is; the meeting is taken as 46 %
// of the work, and after it the elapsed time is scaled by the time the meeting took (so the value
// can pass 100).
std::int32_t TDiff::ProgressPercent(TClock::time_point now) {
  if (rowsProgress_)
    return static_cast<std::int32_t>(std::min<std::int64_t>(rowWork_ * 100 / rowWorkTotal_, 1000));
  if (forwardFront_ < reverseFront_) {
    if (length1_ <= 0) return 0;
    std::int64_t covered = std::int64_t{length1_} - (std::int64_t{reverseFront_} - forwardFront_);
    return static_cast<std::int32_t>(covered * 46 / length1_);
  }
  if (!meetTime_) meetTime_ = now;
  std::int64_t toMeet = (*meetTime_ - startTime_).count();
  std::int64_t elapsed = (now - startTime_).count();
  if (toMeet <= 0) toMeet = 1;
  std::int64_t percent = elapsed / toMeet * 46 + elapsed % toMeet * 46 / toMeet;
  return static_cast<std::int32_t>(std::min<std::int64_t>(percent, std::numeric_limits<std::int32_t>::max()));
}

// The records from the changed-line marks: between two equal lines, the lines changed on both
// sides pair up as modified lines, and the surplus of the longer side is added or deleted after
// them.
void TDiff::WriteRecords(std::int32_t len1, std::int32_t len2) {
  const std::uint8_t* c1 = changed1_.data();
  const std::uint8_t* c2 = changed2_.data();
  std::int32_t i = 0, j = 0;
  while (i < len1 || j < len2) {
    if (i < len1 && j < len2 && !c1[i] && !c2[j]) {
      ++i, ++j;
      continue;
    }
    const std::int32_t i0 = i, j0 = j;
    while (i < len1 && c1[i]) ++i;
    while (j < len2 && c2[j]) ++j;
    if (i == i0 && j == j0) throw std::logic_error("TDiff - unequal lines left unchanged.");
    const std::int32_t n = std::min(i - i0, j - j0);
    if (n > 0) changes_.push_back({KindModified, i0, j0, n});
    if (j - j0 > n) changes_.push_back({KindAdded, i0 + n, j0 + n, j - j0 - n});
    if (i - i0 > n) changes_.push_back({KindDeleted, i0 + n, 0, i - i0 - n});
  }
}

}  // namespace diff
