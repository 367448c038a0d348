// The difference engine: named cases with their exact records, validity and minimality of every
// result of every method over random pairs, and the run controls (cancellation, progress, refused
// input) in each method.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <thread>

#include "diff/DiffUnit.h"
#include "diff/HashUnit.h"

using diff::ChangeRecord;
using diff::HashLine;
using diff::KindAdded;
using diff::KindDeleted;
using diff::KindModified;
using diff::TDiff;
using diff::TLineClasses;

namespace {

using Seq = std::vector<std::uint32_t>;
using Records = std::vector<ChangeRecord>;

Seq S(const std::string& letters) { return Seq(letters.begin(), letters.end()); }

ChangeRecord Add(int p1, int p2, int n) { return {KindAdded, p1, p2, n}; }
ChangeRecord Del(int p1, int n) { return {KindDeleted, p1, 0, n}; }
ChangeRecord Mod(int p1, int p2, int n) { return {KindModified, p1, p2, n}; }

std::string Show(const Records& rs) {
  std::string s;
  for (const auto& r : rs)
    s += "(" + std::to_string(r.Kind) + " " + std::to_string(r.Pos1) + " " + std::to_string(r.Pos2) + " " +
         std::to_string(r.Count) + ")";
  return s;
}

// Checks everything a result promises; returns the number of changed lines (2 per modified line,
// 1 per added or deleted line), or -1 with a failure recorded.
int CheckResult(const Seq& a, const Seq& b, const Records& rs) {
  Seq rebuilt;
  int next1 = 0, next2 = 0, changed = 0;
  auto fail = [&](const std::string& why) {
    ADD_FAILURE() << why << " in " << Show(rs);
    return -1;
  };
  for (const ChangeRecord& r : rs) {
    if (r.Count < 1) return fail("empty record");
    if (r.Pos1 < next1) return fail("records out of order or overlapping");
    int equal = r.Pos1 - next1;
    for (int i = 0; i < equal; ++i) {
      if (next2 + i >= static_cast<int>(b.size()) || a[next1 + i] != b[next2 + i])
        return fail("unequal lines between records");
      rebuilt.push_back(a[next1 + i]);
    }
    next1 += equal;
    next2 += equal;
    switch (r.Kind) {
      case KindAdded:
        if (r.Pos2 != next2) return fail("added record at the wrong place of sequence 2");
        for (int i = 0; i < r.Count; ++i) rebuilt.push_back(b.at(next2 + i));
        next2 += r.Count;
        changed += r.Count;
        break;
      case KindDeleted:
        if (r.Pos2 != 0) return fail("deleted record with Pos2");
        if (r.Pos1 + r.Count > static_cast<int>(a.size())) return fail("deletion past the end");
        next1 += r.Count;
        changed += r.Count;
        break;
      case KindModified:
        if (r.Pos2 != next2) return fail("modified record at the wrong place of sequence 2");
        for (int i = 0; i < r.Count; ++i) rebuilt.push_back(b.at(next2 + i));
        next1 += r.Count;
        next2 += r.Count;
        changed += 2 * r.Count;
        break;
      default:
        return fail("record of no kind");
    }
  }
  if (static_cast<int>(a.size()) - next1 != static_cast<int>(b.size()) - next2) return fail("unequal tails");
  for (int i = next1; i < static_cast<int>(a.size()); ++i) {
    if (a[i] != b[next2 + i - next1]) return fail("unequal lines at the end");
    rebuilt.push_back(a[i]);
  }
  if (rebuilt != b) return fail("the records do not turn sequence 1 into sequence 2");
  return changed;
}

// The fewest deleted plus inserted lines, by the plain O(NM) table of the longest common
// subsequence.
int EditDistance(const Seq& a, const Seq& b) {
  std::vector<std::vector<int>> lcs(a.size() + 1, std::vector<int>(b.size() + 1, 0));
  for (std::size_t i = a.size(); i-- > 0;)
    for (std::size_t j = b.size(); j-- > 0;)
      lcs[i][j] = a[i] == b[j] ? lcs[i + 1][j + 1] + 1 : std::max(lcs[i + 1][j], lcs[i][j + 1]);
  return static_cast<int>(a.size() + b.size()) - 2 * lcs[0][0];
}

Records DiffOf(const Seq& a, const Seq& b) {
  TDiff d;
  EXPECT_TRUE(d.Execute(a, b));
  return d.Changes();
}

struct NamedCase {
  const char* Name;
  std::string A, B;
  Records Expected;
};

const NamedCase kCases[] = {
    {"equal", "abc", "abc", {}},
    {"both empty", "", "", {}},
    {"all added", "", "xyz", {Add(0, 0, 3)}},
    {"all deleted", "xyz", "", {Del(0, 3)}},
    {"two replaced by one", "ab", "c", {Mod(0, 0, 1), Del(1, 1)}},
    {"two replaced by two", "ab", "cd", {Mod(0, 0, 2)}},
    {"one replaced by two inside", "paq", "pbcq", {Mod(1, 1, 1), Add(2, 2, 1)}},
    {"deleted between common ends", "apb", "ab", {Del(1, 1)}},
    {"appended", "ab", "abcd", {Add(2, 2, 2)}},
    {"prepended", "cd", "abcd", {Add(0, 0, 2)}},
    {"one replaced by three", "xay", "xbcdy", {Mod(1, 1, 1), Add(2, 2, 2)}},
    {"three replaced by one", "xabcy", "xdy", {Mod(1, 1, 1), Del(2, 2)}},
    {"two separate changes", "abcdefg", "abXdeYg", {Mod(2, 2, 1), Mod(5, 5, 1)}},
    {"insert and delete apart", "abcdef", "aXbcdf", {Add(1, 1, 1), Del(4, 1)}},
};

class NamedDiff : public ::testing::TestWithParam<NamedCase> {};

TEST_P(NamedDiff, GivesTheExpectedRecords) {
  const NamedCase& c = GetParam();
  Seq a = S(c.A), b = S(c.B);
  Records got = DiffOf(a, b);
  EXPECT_EQ(Show(got), Show(c.Expected));
  EXPECT_EQ(CheckResult(a, b, got), EditDistance(a, b));
}

INSTANTIATE_TEST_SUITE_P(Cases, NamedDiff, ::testing::ValuesIn(kCases), [](const auto& info) {
  std::string n = info.param.Name;
  for (char& ch : n)
    if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
  return n;
});

// A block of n lines replaced by m lines: min(n, m) modified lines, then the surplus.
TEST(TDiff, ReplacedBlockIsModifiedThenSurplus) {
  for (int n = 1; n <= 6; ++n) {
    for (int m = 1; m <= 6; ++m) {
      Seq a = S("head"), b = S("head");
      for (int i = 0; i < n; ++i) a.push_back(1000 + i);
      for (int i = 0; i < m; ++i) b.push_back(2000 + i);
      for (char ch : std::string("tail")) a.push_back(ch), b.push_back(ch);
      Records got = DiffOf(a, b);
      Records want{Mod(4, 4, std::min(n, m))};
      if (m > n) want.push_back(Add(4 + n, 4 + n, m - n));
      if (n > m) want.push_back(Del(4 + m, n - m));
      EXPECT_EQ(Show(got), Show(want)) << n << " by " << m;
    }
  }
}

Seq RandomSeq(std::mt19937& rng, int maxLen, int alphabet) {
  Seq s(std::uniform_int_distribution<int>(0, maxLen)(rng));
  for (auto& v : s) v = std::uniform_int_distribution<std::uint32_t>(0, alphabet - 1)(rng);
  return s;
}

// Sequence 2 made from sequence 1 by a few random edits, as texts usually differ.
Seq Edited(std::mt19937& rng, Seq s, int edits, int alphabet) {
  for (int e = 0; e < edits; ++e) {
    int op = std::uniform_int_distribution<int>(0, 2)(rng);
    std::size_t at = std::uniform_int_distribution<std::size_t>(0, s.size())(rng);
    std::uint32_t v = std::uniform_int_distribution<std::uint32_t>(0, alphabet - 1)(rng);
    if (op == 0 || s.empty()) {
      s.insert(s.begin() + at, v);
    } else if (at < s.size()) {
      if (op == 1) {
        s.erase(s.begin() + at);
      } else {
        s[at] = v;
      }
    }
  }
  return s;
}

using Method = TDiff::TMethod;

struct TMethodCase {
  const char* Name;
  TDiff::TTuning Tuning;
};

const TMethodCase kMethods[] = {
    {"Automatic", {Method::Automatic, true}},
    {"Myers", {Method::Myers, true}},
    {"Rows", {Method::BitParallel, true}},
    {"MyersWhole", {Method::Myers, false}},
    {"RowsWhole", {Method::BitParallel, false}},
    {"RowsOnTwoThreads", {Method::BitParallel, true, 0}},
};

class EveryMethod : public ::testing::TestWithParam<TMethodCase> {
 protected:
  TDiff Engine() const {
    TDiff d;
    d.Tuning = GetParam().Tuning;
    return d;
  }
};

INSTANTIATE_TEST_SUITE_P(Methods, EveryMethod, ::testing::ValuesIn(kMethods),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_P(EveryMethod, NamedCasesAreValidAndMinimal) {
  TDiff d = Engine();
  for (const NamedCase& c : kCases) {
    Seq a = S(c.A), b = S(c.B);
    ASSERT_TRUE(d.Execute(a, b));
    EXPECT_EQ(CheckResult(a, b, d.Changes()), EditDistance(a, b)) << c.Name;
  }
}

TEST_P(EveryMethod, RandomPairsAreValidAndMinimal) {
  std::mt19937 rng(20240601);
  TDiff d = Engine();
  for (int round = 0; round < 4000; ++round) {
    int alphabet = 2 + round % 7;
    Seq a = RandomSeq(rng, 14, alphabet);
    Seq b = round % 2 ? RandomSeq(rng, 14, alphabet) : Edited(rng, a, 1 + round % 4, alphabet + round % 3);
    ASSERT_TRUE(d.Execute(a, b));
    ASSERT_EQ(CheckResult(a, b, d.Changes()), EditDistance(a, b)) << "round " << round << ": " << Show(d.Changes());
  }
}

// Longer pairs, past one machine word of columns, with values far apart (renumbered inside).
TEST_P(EveryMethod, LongerRandomPairsAreValidAndMinimal) {
  std::mt19937 rng(77);
  TDiff d = Engine();
  for (int round = 0; round < 120; ++round) {
    // Large alphabets: few matches, and many lines without a counterpart.
    const int alphabet = round % 5 == 4 ? 400 : 3 + round % 20;
    Seq a = RandomSeq(rng, 300, alphabet);
    Seq b = round % 3 ? Edited(rng, a, 1 + round % 60, alphabet + 5) : RandomSeq(rng, 300, alphabet);
    if (round % 4 == 1)
      for (Seq* s : {&a, &b})
        for (auto& v : *s) v = v * 2654435761u + 7;
    ASSERT_TRUE(d.Execute(a, b));
    ASSERT_EQ(CheckResult(a, b, d.Changes()), EditDistance(a, b)) << "round " << round;
  }
}

// Lines whose CRC-32 is the same are still different lines, whichever method pairs them.
TEST_P(EveryMethod, CollidingChecksumsAreNotEqualLines) {
  const std::string one = "ldc_amount = 903291985642", two = "ldc_amount = 657590501813";
  ASSERT_EQ(HashLine(one, false, false), HashLine(two, false, false));
  std::mt19937 rng(5);
  TDiff d = Engine();
  for (int round = 0; round < 200; ++round) {
    std::vector<std::string> t1, t2;
    for (int i = 0; i < 20 + round % 50; ++i) t1.push_back(rng() % 2 ? one : two), t2.push_back(rng() % 3 ? one : two);
    TLineClasses classes;
    Seq a = classes.OfLines(t1), b = classes.OfLines(t2);
    ASSERT_TRUE(d.Execute(a, b));
    ASSERT_EQ(CheckResult(a, b, d.Changes()), EditDistance(a, b)) << "round " << round;
  }
}

// The two methods find the same number of changed lines, on sizes beyond the quick table; the
// lines without a counterpart stay in, so that rows have long stretches of columns without a
// match (blocks of fresh lines), which the carries of the bit-parallel rows must cross.
TEST(TDiff, MethodsAgreeOnTheNumberOfChangedLines) {
  std::mt19937 rng(91);
  TDiff myers, rows;
  myers.Tuning = {Method::Myers, false};
  rows.Tuning = {Method::BitParallel, false};
  for (int round = 0; round < 2000; ++round) {
    const int alphabet = 2 + round % 40;
    Seq a = RandomSeq(rng, 40 + round % 200, alphabet);
    Seq b = round % 2 ? RandomSeq(rng, 40 + round % 200, alphabet) : Edited(rng, a, round % 30, alphabet + 2);
    if (round % 4 == 0) {
      Seq block(static_cast<std::size_t>(70 + round % 150));
      for (auto& v : block) v = 1000 + rng() % 100000;
      b.insert(b.begin() + static_cast<std::ptrdiff_t>(rng() % (b.size() + 1)), block.begin(), block.end());
      if (round % 8 == 0) std::swap(a, b);
    }
    ASSERT_TRUE(myers.Execute(a, b));
    ASSERT_TRUE(rows.Execute(a, b));
    ASSERT_EQ(CheckResult(a, b, rows.Changes()), CheckResult(a, b, myers.Changes())) << "round " << round;
  }
}

// Texts that differ everywhere: the search meets only after as many steps as there are lines,
// and the splits nest deeply (solved from an explicit stack, not the call stack).
TEST_P(EveryMethod, TextsThatDifferEverywhere) {
  const int n = 4000;
  Seq a(n), b(n);
  for (int i = 0; i < n; ++i) {
    a[i] = 2 * i;
    b[i] = 2 * i + 1;
  }
  TDiff d = Engine();
  ASSERT_TRUE(d.Execute(a, b));
  EXPECT_EQ(Show(d.Changes()), Show({Mod(0, 0, n)}));

  // Alternating agreement: every second line equal.
  for (int i = 0; i < n; i += 2) b[i] = a[i];
  ASSERT_TRUE(d.Execute(a, b));
  ASSERT_EQ(d.Changes().size(), static_cast<std::size_t>(n / 2));
  EXPECT_EQ(CheckResult(a, b, d.Changes()), n);

  // A text against its reverse.
  std::reverse_copy(a.begin(), a.end(), b.begin());
  ASSERT_TRUE(d.Execute(a, b));
  EXPECT_EQ(CheckResult(a, b, d.Changes()), 2 * n - 2);
}

// A pair that needs a long search in every method: a text and a shuffled copy of it.
std::pair<Seq, Seq> ShuffledPair(int n) {
  Seq a(n);
  for (int i = 0; i < n; ++i) a[i] = i % (n / 4);
  Seq b = a;
  std::shuffle(b.begin(), b.end(), std::mt19937(4));
  return {a, b};
}

TEST_P(EveryMethod, CancelFromTheStepCallbackLeavesNoRecords) {
  auto [a, b] = ShuffledPair(6000);
  TDiff d = Engine();
  ASSERT_TRUE(d.Execute(S("ab"), S("cd")));
  ASSERT_EQ(d.ChangeCount(), 1);
  int steps = 0;
  d.OnStep = [&](TDiff& sender) {
    if (++steps == 10) sender.Cancel();
  };
  EXPECT_FALSE(d.Execute(a, b));
  EXPECT_EQ(d.ChangeCount(), 0);
  EXPECT_EQ(steps, 10);
  // The next run starts uncancelled.
  d.OnStep = nullptr;
  EXPECT_TRUE(d.Execute(a, b));
  EXPECT_GT(d.ChangeCount(), 0);
}

// Progress fires from a search step once a second has passed; a step callback that waits makes
// the second pass without a long input. The estimate is a share of the work, below 100 early on.
TEST_P(EveryMethod, ProgressFiresFromAStepAfterASecond) {
  auto [a, b] = ShuffledPair(6000);
  TDiff d = Engine();
  std::vector<int> seen;
  d.OnProgress = [&](TDiff&, std::int32_t percent) { seen.push_back(percent); };
  int steps = 0;
  d.OnStep = [&](TDiff&) {
    if (steps++ == 1) std::this_thread::sleep_for(std::chrono::milliseconds(1010));
  };
  ASSERT_TRUE(d.Execute(a, b));
  ASSERT_GE(seen.size(), 1u);
  EXPECT_GE(seen[0], 0);
  EXPECT_LT(seen[0], 100);
  // Without a handler nothing is estimated, and a quick run fires nothing.
  seen.clear();
  EXPECT_TRUE(d.Execute(S("abcdefghijklmnop"), S("abcDEFGHIJKLMNop")));
  EXPECT_TRUE(seen.empty());
}

TEST(TDiff, RefusedInput) {
  TDiff d;
  ASSERT_TRUE(d.Execute(S("a"), S("b")));
  Seq a = S("abc");
  EXPECT_FALSE(d.Execute(nullptr, a.data(), 0, 3));
  EXPECT_EQ(d.ChangeCount(), 0);
  EXPECT_FALSE(d.Execute(a.data(), nullptr, 3, 0));
  EXPECT_FALSE(d.Execute(a.data(), a.data(), -1, 3));
  EXPECT_FALSE(d.Execute(a.data(), a.data(), TDiff::MaxLength + 1, 3));
  // Empty vectors are sequences, not missing ones.
  EXPECT_TRUE(d.Execute(Seq{}, a));
  EXPECT_EQ(Show(d.Changes()), Show({Add(0, 0, 3)}));
}

TEST(TDiff, GetChangeAndClear) {
  TDiff d;
  ASSERT_TRUE(d.Execute(S("paq"), S("pbcq")));
  EXPECT_EQ(d.GetChange(1), Add(2, 2, 1));
  EXPECT_THROW(d.GetChange(2), std::out_of_range);
  EXPECT_THROW(d.GetChange(-1), std::out_of_range);
  d.Clear();
  EXPECT_EQ(d.ChangeCount(), 0);
}

TEST(TDiff, ExecuteFromItsOwnStepCallbackIsRefused) {
  TDiff d;
  bool threw = false;
  d.OnStep = [&](TDiff& sender) {
    try {
      sender.Execute(S("a"), S("b"));
    } catch (const std::logic_error&) {
      threw = true;
    }
  };
  EXPECT_TRUE(d.Execute(S("abcabc"), S("cbacba")));
  EXPECT_TRUE(threw);
  EXPECT_EQ(CheckResult(S("abcabc"), S("cbacba"), d.Changes()), 6);
}

// Equal sequences take no step; sequences that differ take a first one even when no search is
// needed (no common line), and a Cancel there stops the run.
TEST(TDiff, StepsOfRunsWithoutASearch) {
  TDiff d;
  int steps = 0;
  bool cancel = false;
  d.OnStep = [&](TDiff& sender) {
    ++steps;
    if (cancel) sender.Cancel();
  };
  Seq a(1000, 7);
  EXPECT_TRUE(d.Execute(a, a));
  EXPECT_EQ(steps, 0);
  EXPECT_TRUE(d.Execute(S("abcdefgh"), S("ABCDEFGHIJ")));
  EXPECT_EQ(Show(d.Changes()), Show({Mod(0, 0, 8), Add(8, 8, 2)}));
  EXPECT_EQ(steps, 1);
  cancel = true;
  EXPECT_FALSE(d.Execute(S("abcdefgh"), S("ABCDEFGHIJ")));
  EXPECT_EQ(d.ChangeCount(), 0);
}

}  // namespace
