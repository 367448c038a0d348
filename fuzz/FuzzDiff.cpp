// Two sequences from the input, compared by the difference engine. Every result must turn
// sequence 1 into sequence 2 (records in order, within both sequences, equal lines between them)
// and, on inputs small enough for a quadratic table, change no more lines than a longest common
// subsequence leaves.
//
// Input: a flag byte, then the sequences. Flag bits 0-2 pick the alphabet that bytes are folded
// into (few symbols give many matches and long snakes); bit 3 reads the rest as two texts split
// at the first NUL byte, whose lines are hashed as the source comparison does (bits 4 and 5:
// ignore case, ignore blanks); otherwise the first 0xFF byte separates the two byte sequences.
// Bit 6 keeps the lines without a counterpart in the search; bit 7 runs every bit-parallel split
// on two threads. Each input goes through every method of the engine, and all must change the
// same number of lines.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "diff/DiffUnit.h"
#include "diff/HashUnit.h"

using diff::ChangeRecord;
using diff::KindAdded;
using diff::KindDeleted;
using diff::KindModified;
using diff::TDiff;
using diff::TLineClasses;

namespace {

using Seq = std::vector<std::uint32_t>;

// Two sequences that differ everywhere cost the search time proportional to the square of their
// length: at 4,096 symbols each that is seconds under the sanitizers, past the time a fuzz input
// may take. Long inputs are the benchmarks' business.
constexpr std::size_t MaxSymbols = 1024;
// The reference table is filled only up to this many cells, which keeps the runs fast.
constexpr std::size_t MaxCells = 1 << 18;

[[noreturn]] void Fail() { __builtin_trap(); }

std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < text.size() && lines.size() < MaxSymbols) {
    std::size_t nl = text.find('\n', pos);
    if (nl == std::string_view::npos) nl = text.size();
    lines.emplace_back(text.substr(pos, nl - pos));
    pos = nl + 1;
  }
  return lines;
}

// Changed lines of a valid result (a modified line counts on both sides), or a trap.
std::size_t CheckRecords(const Seq& a, const Seq& b, const std::vector<ChangeRecord>& records) {
  std::int64_t next1 = 0, next2 = 0;
  std::size_t changed = 0;
  const auto n1 = static_cast<std::int64_t>(a.size()), n2 = static_cast<std::int64_t>(b.size());
  auto equalRun = [&](std::int64_t count) {
    if (count < 0 || next1 + count > n1 || next2 + count > n2) Fail();
    for (std::int64_t i = 0; i < count; ++i)
      if (a[next1 + i] != b[next2 + i]) Fail();
    next1 += count;
    next2 += count;
  };
  for (const ChangeRecord& r : records) {
    if (r.Count < 1) Fail();
    equalRun(r.Pos1 - next1);
    switch (r.Kind) {
      case KindAdded:
        if (r.Pos2 != next2 || next2 + r.Count > n2) Fail();
        next2 += r.Count;
        changed += r.Count;
        break;
      case KindDeleted:
        if (r.Pos2 != 0 || next1 + r.Count > n1) Fail();
        next1 += r.Count;
        changed += r.Count;
        break;
      case KindModified:
        if (r.Pos2 != next2 || next1 + r.Count > n1 || next2 + r.Count > n2) Fail();
        next1 += r.Count;
        next2 += r.Count;
        changed += 2 * static_cast<std::size_t>(r.Count);
        break;
      default:
        Fail();
    }
  }
  if (n1 - next1 != n2 - next2) Fail();
  equalRun(n1 - next1);
  return changed;
}

// Length of a longest common subsequence, the plain dynamic program over two rows.
std::size_t Lcs(const Seq& a, const Seq& b) {
  std::vector<std::size_t> prev(b.size() + 1, 0), cur(b.size() + 1, 0);
  for (std::size_t i = 1; i <= a.size(); ++i) {
    for (std::size_t j = 1; j <= b.size(); ++j)
      cur[j] = a[i - 1] == b[j - 1] ? prev[j - 1] + 1 : std::max(prev[j], cur[j - 1]);
    std::swap(prev, cur);
  }
  return prev[b.size()];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  static constexpr std::uint32_t Alphabets[8] = {1, 2, 3, 4, 8, 16, 64, 256};
  const std::uint8_t flags = data[0];
  std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  Seq a, b;
  if (flags & 8) {
    std::size_t cut = rest.find('\0');
    std::string_view t1 = rest.substr(0, cut);
    std::string_view t2 = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
    TLineClasses classes(flags & 16, flags & 32);
    a = classes.OfLines(Lines(t1));
    b = classes.OfLines(Lines(t2));
  } else {
    const std::uint32_t alphabet = Alphabets[flags & 7];
    Seq* into = &a;
    for (unsigned char c : rest) {
      if (c == 0xFF && into == &a) {
        into = &b;
        continue;
      }
      if (into->size() < MaxSymbols) into->push_back(c % alphabet);
    }
  }

  const bool keepAll = flags & 64;
  // Every bit-parallel split on two threads, or only the large ones.
  const std::int64_t secondThreadFrom = flags & 128 ? 0 : TDiff::TTuning{}.SecondThreadFrom;
  std::size_t changedBefore = 0;
  for (TDiff::TMethod method : {TDiff::TMethod::Automatic, TDiff::TMethod::Myers, TDiff::TMethod::BitParallel}) {
    TDiff diff;
    diff.Tuning = {method, !keepAll, secondThreadFrom};
    std::size_t steps = 0;
    diff.OnStep = [&](TDiff&) { ++steps; };
    if (!diff.Execute(a, b)) Fail();
    if ((diff.ChangeCount() == 0) != (a == b)) Fail();
    const std::size_t changed = CheckRecords(a, b, diff.Changes());
    if (method != TDiff::TMethod::Automatic && changed != changedBefore) Fail();
    changedBefore = changed;
    if (a.size() * b.size() <= MaxCells && changed != a.size() + b.size() - 2 * Lcs(a, b)) Fail();

    // The same engine object gives the same answer again, and the swapped comparison changes as
    // many lines.
    std::vector<ChangeRecord> first = diff.Changes();
    if (!diff.Execute(a, b) || diff.Changes() != first) Fail();
    if (!diff.Execute(b, a) || CheckRecords(b, a, diff.Changes()) != changed) Fail();
  }
  return 0;
}
