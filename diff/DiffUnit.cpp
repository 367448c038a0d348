#include "DiffUnit.h"

#include <algorithm>
#include <cassert>
#include <limits>
#include <stdexcept>

namespace {

// Frontier marks of a diagonal that the current search has not reached. Half the range keeps
// "value - 1" and "value + 1" clear of overflow.
constexpr std::int32_t kUnreachedForward = std::numeric_limits<std::int32_t>::min() / 2;
constexpr std::int32_t kUnreachedReverse = std::numeric_limits<std::int32_t>::max() / 2;

constexpr auto kProgressInterval = std::chrono::milliseconds(1000);

// The first of from, from + 2, from + 4, ... that is >= floor.
std::int32_t FirstAtLeast(std::int32_t from, std::int32_t floor) {
  if (from >= floor) return from;
  return floor + ((floor - from) & 1);
}

// Releases the frontier arrays and ends the run however Execute is left.
struct TRunGuard {
  std::vector<std::int32_t>& Forward;
  std::vector<std::int32_t>& Reverse;
  bool& Running;
  ~TRunGuard() {
    std::vector<std::int32_t>().swap(Forward);
    std::vector<std::int32_t>().swap(Reverse);
    Running = false;
  }
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

  running_ = true;
  TRunGuard guard{forward_, reverse_, running_};
  pendingAdd_.reset();
  pendingDelete_.reset();
  pendingModify_.reset();
  a_ = seq1;
  b_ = seq2;
  maxD_ = std::max(len1, len2);
  changes_.reserve(static_cast<std::size_t>(std::max(maxD_, 1024) / 32) * 4);
  length1_ = len1;
  forwardFront_ = 0;
  reverseFront_ = len1;
  startTime_ = lastProgress_ = TClock::now();
  meetTime_.reset();

  const std::size_t slots = 2 * static_cast<std::size_t>(maxD_) + 3;
  forward_.assign(slots, 0);
  reverse_.assign(slots, 0);
  cancelled_ = false;

  std::int32_t i = 0;
  while (i < len1 && i < len2 && a_[i] == b_[i]) ++i;
  std::int32_t e1 = len1, e2 = len2;
  while (e1 > i && e2 > i && a_[e1 - 1] == b_[e2 - 1]) --e1, --e2;

  bool result = true;
  if (i < e1 || i < e2) result = Solve({i, i, e1, e2});
  CloseAddRun();
  CloseDeleteRun();
  if (!result) Clear();
  a_ = b_ = nullptr;
  return result;
}

// Solves the boxes depth first, the first half of a split before the second, exactly as a
// recursive Bisect would; the explicit stack keeps a text that differs everywhere (a split depth
// that grows with the number of differences) from exhausting the call stack.
bool TDiff::Solve(TBox box) {
  std::vector<TBox> todo{box};
  while (!todo.empty()) {
    TBox next = todo.back();
    todo.pop_back();
    TSplit split = Bisect(next);
    if (!split.Ok) return false;
    if (split.Solved) continue;
    todo.push_back(split.Second);
    todo.push_back(split.First);
  }
  return true;
}

TDiff::TSplit TDiff::Bisect(const TBox& box) {
  const auto [x1, y1, x2, y2] = box;
  TSplit out;
  if (x1 == x2) {
    for (std::int32_t y = y1; y < y2; ++y) RecordInsert(x1, y);
    out.Solved = true;
    return out;
  }
  if (y1 == y2) {
    for (std::int32_t x = x1; x < x2; ++x) RecordDelete(x);
    out.Solved = true;
    return out;
  }

  const std::int32_t M = x2 - x1, N = y2 - y1, delta = M - N;
  const bool odd = (delta & 1) != 0;
  // Diagonal k lives at index k + maxD_ + 1. The search only ever writes diagonals -N .. M, so
  // the two just outside keep the "unreached" marks for the whole of this box's search; every
  // other diagonal is written by this search before it is read (the arrays are reused between
  // boxes, and nothing stale is looked at).
  std::int32_t* F = forward_.data() + maxD_ + 1;
  std::int32_t* R = reverse_.data() + maxD_ + 1;
  F[-N - 1] = F[M + 1] = kUnreachedForward;
  R[-N - 1] = R[M + 1] = kUnreachedReverse;
  F[0] = x1;
  R[delta] = x2;
  const std::uint32_t* A = a_;
  const std::uint32_t* B = b_;

  for (std::int32_t D = 1; D <= maxD_; ++D) {
    if (!SearchStep()) {
      out.Solved = true;
      out.Ok = false;
      return out;
    }

    // Forward pass; on a tie the step along sequence 1 (a deletion) is taken.
    for (std::int32_t k = FirstAtLeast(-D, -N), kEnd = std::min(D, M); k <= kEnd; k += 2) {
      std::int32_t x = (k == -D || (k < D && F[k - 1] < F[k + 1])) ? F[k + 1] : F[k - 1] + 1;
      std::int32_t y = x - x1 + y1 - k;
      while (x < x2 && y < y2 && A[x] == B[y]) ++x, ++y;
      F[k] = x;
      forwardFront_ = std::max(forwardFront_, x);
      if (odd && delta - D < k && k < delta + D && F[k] >= R[k]) {
        std::int32_t xs = x, ys = y;
        while (xs > x1 && ys > y1 && A[xs - 1] == B[ys - 1]) --xs, --ys;
        out.First = {x1, y1, xs, ys};
        out.Second = {x, y, x2, y2};
        return out;
      }
    }

    // Reverse pass; on a tie the step along sequence 1 is taken here as well.
    for (std::int32_t k = FirstAtLeast(delta - D, -N), kEnd = std::min(delta + D, M); k <= kEnd; k += 2) {
      std::int32_t x;
      if (k == delta + D)
        x = R[k - 1];
      else if (k <= delta - D)
        x = R[k + 1] - 1;
      else
        x = R[k + 1] <= R[k - 1] ? R[k + 1] - 1 : R[k - 1];
      std::int32_t y = x - x1 + y1 - k;
      while (x > x1 && y > y1 && A[x - 1] == B[y - 1]) --x, --y;
      R[k] = x;
      reverseFront_ = std::min(reverseFront_, x);
      if (!odd && -D <= k && k <= D && F[k] >= R[k]) {
        if (M == 1 && N == 1) {
          // One line replaced by one: the leaves would split it forever.
          RecordInsert(x1, y1);
          RecordDelete(x1);
          out.Solved = true;
          return out;
        }
        out.First = {x1, y1, x, y};
        while (x < x2 && y < y2 && A[x] == B[y]) ++x, ++y;
        out.Second = {x, y, x2, y2};
        return out;
      }
    }
  }
  // Only possible beyond the length limit: with these bounds the fronts meet by D = (M+N+1)/2.
  out.Solved = true;
  out.Ok = false;
  return out;
}

bool TDiff::SearchStep() {
  if (OnStep) OnStep(*this);
  ReportProgress();
  return !cancelled_;
}

void TDiff::ReportProgress() {
  if (!OnProgress) return;
  TClock::time_point now = TClock::now();
  if (now - lastProgress_ < kProgressInterval) return;
  lastProgress_ = now;
  OnProgress(*this, ProgressPercent(now));
}

// Until the outermost fronts meet, the share of sequence 1 that lies between them says how far
// the search is; the meeting is taken as 46 % of the work, and after it the elapsed time is
// scaled by the time the meeting took (so the value can pass 100).
std::int32_t TDiff::ProgressPercent(TClock::time_point now) {
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

// --- Recording: single-line events arrive in position order and are merged into runs. ---

void TDiff::Emit(std::optional<ChangeRecord>& run) {
  if (!run) return;
  changes_.push_back(*run);
  run.reset();
}

void TDiff::CloseAddRun() {
  Emit(pendingModify_);
  Emit(pendingAdd_);
}

void TDiff::CloseDeleteRun() {
  Emit(pendingModify_);
  Emit(pendingDelete_);
}

void TDiff::RecordInsert(std::int32_t x, std::int32_t y) {
  if (pendingAdd_) {
    if (x == pendingAdd_->Pos1 && y == pendingAdd_->Pos2 + pendingAdd_->Count) {
      ++pendingAdd_->Count;
      return;
    }
    CloseAddRun();
  } else if (pendingDelete_) {
    CloseDeleteRun();
  }
  pendingAdd_ = ChangeRecord{KindAdded, x, y, 1};
}

void TDiff::RecordDelete(std::int32_t x) {
  if (pendingDelete_) {
    if (x == pendingDelete_->Pos1 + pendingDelete_->Count) {
      ++pendingDelete_->Count;
      return;
    }
    CloseDeleteRun();
  } else if (pendingAdd_ && x == pendingAdd_->Pos1) {
    // The deleted line and the first added line become one modified line.
    if (pendingModify_ && x == pendingModify_->Pos1 + pendingModify_->Count) {
      ++pendingModify_->Count;
    } else {
      Emit(pendingModify_);
      pendingModify_ = ChangeRecord{KindModified, x, pendingAdd_->Pos2, 1};
    }
    if (pendingAdd_->Count == 1) {
      pendingAdd_.reset();
    } else {
      --pendingAdd_->Count;
      ++pendingAdd_->Pos1;
      ++pendingAdd_->Pos2;
    }
    return;
  } else if (pendingAdd_) {
    CloseAddRun();
  }
  pendingDelete_ = ChangeRecord{KindDeleted, x, 0, 1};
}
