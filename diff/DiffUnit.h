// The line difference engine: the changes between two sequences of line values as an ordered list
// of added, deleted and modified runs, with the fewest changed lines.
//
// Before any search, identical sequences are answered by comparing them, the common head and tail
// are stripped, and lines whose value does not occur on the other side are set aside as changed:
// no common subsequence can use them. What is left is solved box by box, each box by one of two
// exact methods:
// - Eugene W. Myers, "An O(ND) Difference Algorithm and Its Variations" (Algorithmica 1, 1986), in
//   its linear-space form: a forward and a reverse search meet on a middle snake and the box is
//   split there. Cheap when the box has few differences.
// - The bit-parallel longest common subsequence of Allison and Dix, in Hyyrö's form (one row of
//   the table in N/64 machine words, one addition per word), run forward over the first half of
//   the box and backward over the second half; the best column where the two halves meet splits
//   the box (Hirschberg). Its cost does not depend on the differences, so it takes over where a
//   Myers search would cost more, e.g. on unrelated or reordered texts. A large split runs its
//   backward pass on a second thread.
// The changed lines found are then written as records: in each stretch between two equal lines,
// the lines changed on both sides are modified lines, the surplus added or deleted lines.
//
// The engine knows no toolkit. A long search calls `OnStep` once per search step (the desktop
// program processes its pending events there, which is also where `Cancel` arrives) and, about
// once a second, `OnProgress`.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace diff {

enum ChangeKind : std::uint8_t { KindNone = 0, KindAdded = 1, KindDeleted = 2, KindModified = 3 };

// Two-way by nature: a record relates sequence 1 to sequence 2. A merge of three texts keeps
// records of its own beside these (merge/).
struct ChangeRecord {
  ChangeKind Kind = KindNone;
  // First affected line of sequence 1; for KindAdded the line before which the lines are
  // inserted (the length of sequence 1 when they are appended).
  std::int32_t Pos1 = 0;
  // First affected line of sequence 2; 0 in a KindDeleted record.
  std::int32_t Pos2 = 0;
  std::int32_t Count = 0;  // at least 1; a KindModified record covers Count lines on each side

  friend bool operator==(const ChangeRecord&, const ChangeRecord&) = default;
};

class TDiff {
 public:
  // Sequences longer than this are outside the engine's range; Execute refuses them.
  static constexpr std::int32_t MaxLength = 16777215;

  using TStepEvent = std::function<void(TDiff& sender)>;
  using TProgressEvent = std::function<void(TDiff& sender, std::int32_t percent)>;

  TDiff();

  // Computes the changes that turn seq1 into seq2. True when the result is complete (no records:
  // the sequences are equal). False, with no records, when a sequence is missing (null), a length
  // is negative or beyond MaxLength, or the run was cancelled. Frontier memory that cannot be had
  // throws std::bad_alloc. Calling it again while it runs (from OnStep) throws std::logic_error.
  bool Execute(const std::uint32_t* seq1, const std::uint32_t* seq2, std::int32_t len1, std::int32_t len2);
  bool Execute(const std::vector<std::uint32_t>& seq1, const std::vector<std::uint32_t>& seq2);

  // Stops a running Execute at its next search step.
  void Cancel() { cancelled_ = true; }

  std::int32_t ChangeCount() const { return static_cast<std::int32_t>(changes_.size()); }
  ChangeRecord GetChange(std::int32_t index) const;  // throws std::out_of_range
  const std::vector<ChangeRecord>& Changes() const { return changes_; }
  void Clear() { changes_.clear(); }

  // Called once per search step while Execute runs: a step of the Myers search, or about 16,000
  // words' worth of rows of the bit-parallel method (well under a millisecond). A run on
  // sequences that differ always takes one first step before any search; equal sequences take
  // none.
  TStepEvent OnStep;
  // Called from a search step once at least 1000 ms have passed since Execute began or since the
  // last call, with the estimated percentage done (it can pass 100).
  TProgressEvent OnProgress;

  // For tests and benchmarks: which method solves the boxes (Automatic picks the cheaper one by
  // its expected cost), and whether lines without a counterpart are set aside before the search.
  enum class TMethod : std::uint8_t { Automatic, Myers, BitParallel };
  struct TTuning {
    TMethod Method = TMethod::Automatic;
    bool SetAsideUnmatched = true;
    // A bit-parallel split of at least this many row words runs its reverse pass on a second
    // thread, where the machine has more than one core (0: every split).
    std::int64_t SecondThreadFrom = std::int64_t{1} << 21;
  };
  TTuning Tuning;

 private:
  using TClock = std::chrono::steady_clock;
  // An allocator whose resize leaves new elements unset: for arrays that are written before they
  // are read, so that a large one costs no zero fill and no memory for the parts never touched.
  template <class T>
  struct TUnset : std::allocator<T> {
    template <class U>
    struct rebind {
      using other = TUnset<U>;
    };
    TUnset() = default;
    template <class U>
    TUnset(const TUnset<U>&) noexcept {}
    template <class U>
    void construct(U* p) noexcept {
      ::new (static_cast<void*>(p)) U;
    }
    template <class U, class... Args>
    void construct(U* p, Args&&... args) {
      ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
  };
  template <class T>
  using TUnsetVector = std::vector<T, TUnset<T>>;

  // A part of the (reduced) sequences still to be solved: lines X1..X2-1 of sequence 1 against
  // Y1..Y2-1 of sequence 2. D is the number of changed lines when known, otherwise -1.
  struct TBox {
    std::int32_t X1, Y1, X2, Y2;
    std::int64_t D = -1;
  };
  // What one search over a box found: either the box is solved (its changed lines marked, or the
  // search stopped) or it is split into two boxes that are solved in order. A Myers search that
  // went over its work bound leaves the box untouched (OverBound).
  struct TSplit {
    bool Solved = false;
    bool Ok = true;
    bool OverBound = false;
    TBox First{}, Second{};
  };

  void Reduce(const std::uint32_t* seq1, const std::uint32_t* seq2, std::int32_t from, std::int32_t end1,
              std::int32_t end2);
  bool Solve(TBox box);
  bool SolveSmall(const TBox& box);
  TSplit Bisect(const TBox& box, std::int64_t bound);
  TSplit SplitByRows(const TBox& box);
  void PrepareRows();
  // One of the two passes of a bit-parallel split: its next row, the row after its last one and
  // its direction, its row vector, its scratch match row (all zeros between rows) and the match
  // rows of its frequent classes; for the row being done, its class's positions.
  struct TRowPass {
    std::int32_t Next, End, Step;
    bool Reversed;
    std::uint64_t* V;
    std::uint64_t* Scratch;
    std::vector<std::pair<std::uint32_t, std::vector<std::uint64_t>>> Frequent;
    const std::int32_t *Lo = nullptr, *Hi = nullptr;
    bool Kept = false;
  };
  const std::uint64_t* LoadRow(TRowPass& pass, std::int32_t y1, std::int32_t y2, std::int32_t words);
  static void UnloadRow(TRowPass& pass, std::int32_t y1, std::int32_t y2);
  bool RunPassesApart(TRowPass& forward, TRowPass& reverse, std::int32_t y1, std::int32_t y2, std::int32_t words);
  bool SearchStep();
  void ReportProgress();
  std::int32_t ProgressPercent(TClock::time_point now);
  void WriteRecords(std::int32_t len1, std::int32_t len2);

  std::vector<ChangeRecord> changes_;

  // The reduced sequences (dense class numbers), with the original line of each of their lines.
  TUnsetVector<std::uint32_t> a_, b_;
  TUnsetVector<std::int32_t> map1_, map2_;
  std::uint32_t classes_ = 0;
  // Changed-line marks of the original sequences.
  std::vector<std::uint8_t> changed1_, changed2_;
  std::int32_t maxD_ = 0;
  // Frontier values by diagonal; index 0 stands for diagonal -(maxD_ + 1), so that the two
  // diagonals just outside any box can hold the "unreachable" marks.
  TUnsetVector<std::int32_t> forward_, reverse_;
  // The bit-parallel method: the positions of each class in sequence 2 (positions_ from
  // classStart_[c] to classStart_[c + 1]), a match-vector scratch row that is all zeros between
  // rows, the two row vectors, and the match vectors of frequent classes for the current pass.
  std::vector<std::int32_t> classStart_;
  TUnsetVector<std::int32_t> positions_;
  std::vector<std::uint64_t> match_, rowForward_, rowReverse_;
  bool cancelled_ = false;
  bool running_ = false;

  TClock::time_point startTime_, lastProgress_;
  std::optional<TClock::time_point> meetTime_;
  std::int32_t forwardFront_ = 0, reverseFront_ = 0, length1_ = 0;
  std::uint32_t quietSteps_ = 0;
  // Progress of a run whose first box went to the bit-parallel method: words done of an estimate.
  bool rowsProgress_ = false;
  std::int64_t rowWork_ = 0, rowWorkTotal_ = 1, stepWork_ = 0;
};

}  // namespace diff
