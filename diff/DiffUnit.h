// The line difference engine: the changes between two sequences of line hashes as an ordered list
// of added, deleted and modified runs.
//
// The search is Eugene W. Myers, "An O(ND) Difference Algorithm and Its Variations" (Algorithmica
// 1, 1986), in its linear-space form: a forward and a reverse search meet on a middle snake and
// the problem is split there. The common head and tail are stripped first, and an added run and
// a deleted run at the same place are merged into a modified run afterwards.
//
// The engine knows no toolkit. A long search calls `OnStep` once per search step (the desktop
// program processes its pending events there, which is also where `Cancel` arrives) and, about
// once a second, `OnProgress`.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

enum ChangeKind : std::uint8_t { KindNone = 0, KindAdded = 1, KindDeleted = 2, KindModified = 3 };

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

  // Called once per search step while Execute runs.
  TStepEvent OnStep;
  // Called from a search step once at least 1000 ms have passed since Execute began or since the
  // last call, with the estimated percentage done (it can pass 100).
  TProgressEvent OnProgress;

 private:
  using TClock = std::chrono::steady_clock;
  struct TBox {
    std::int32_t X1, Y1, X2, Y2;
  };
  // What one search over a box found: either the box is solved (leaves recorded, or the search
  // stopped) or it is split into two boxes that are solved in order.
  struct TSplit {
    bool Solved = false;
    bool Ok = true;
    TBox First{}, Second{};
  };

  bool Solve(TBox box);
  TSplit Bisect(const TBox& box);
  bool SearchStep();
  void ReportProgress();
  std::int32_t ProgressPercent(TClock::time_point now);

  void RecordInsert(std::int32_t x, std::int32_t y);
  void RecordDelete(std::int32_t x);
  void Emit(std::optional<ChangeRecord>& run);
  void CloseAddRun();
  void CloseDeleteRun();

  std::vector<ChangeRecord> changes_;
  std::optional<ChangeRecord> pendingAdd_, pendingDelete_, pendingModify_;

  const std::uint32_t* a_ = nullptr;
  const std::uint32_t* b_ = nullptr;
  std::int32_t maxD_ = 0;
  // Frontier values by diagonal; index 0 stands for diagonal -(maxD_ + 1), so that the two
  // diagonals just outside any box can hold the "unreachable" marks.
  std::vector<std::int32_t> forward_, reverse_;
  bool cancelled_ = false;
  bool running_ = false;

  TClock::time_point startTime_, lastProgress_;
  std::optional<TClock::time_point> meetTime_;
  std::int32_t forwardFront_ = 0, reverseFront_ = 0, length1_ = 0;
};
