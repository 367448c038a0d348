// The difference engine: named cases with their exact records, validity and minimality of every
// result over random pairs, agreement with a plain recursive form of the same search, and the
// run controls (cancellation, progress, refused input).
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <thread>

#include "diff/DiffUnit.h"

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

// --- A plain recursive form of the same search, to hold the engine's explicit stack to. ---

class RecursiveReference {
 public:
  Records DiffOf(const Seq& a, const Seq& b) {
    a_ = a;
    b_ = b;
    maxD_ = static_cast<int>(std::max(a.size(), b.size()));
    f_.assign(2 * maxD_ + 3, 0);
    r_.assign(2 * maxD_ + 3, 0);
    int i = 0, e1 = static_cast<int>(a.size()), e2 = static_cast<int>(b.size());
    while (i < e1 && i < e2 && a[i] == b[i]) ++i;
    while (e1 > i && e2 > i && a[e1 - 1] == b[e2 - 1]) --e1, --e2;
    if (i < e1 || i < e2) Bisect(i, i, e1, e2);
    CloseAdd();
    CloseDel();
    return out_;
  }

 private:
  int& F(int k) { return f_[k + maxD_ + 1]; }
  int& R(int k) { return r_[k + maxD_ + 1]; }

  bool Bisect(int x1, int y1, int x2, int y2) {
    if (x1 == x2) {
      for (int y = y1; y < y2; ++y) Ins(x1, y);
      return true;
    }
    if (y1 == y2) {
      for (int x = x1; x < x2; ++x) Del(x);
      return true;
    }
    int M = x2 - x1, N = y2 - y1, delta = M - N;
    F(-N - 1) = F(M + 1) = -1000000;
    R(-N - 1) = R(M + 1) = 1000000;
    F(0) = x1;
    R(delta) = x2;
    for (int D = 1; D <= maxD_; ++D) {
      int k = -D;
      while (k < -N) k += 2;
      for (; k <= std::min(D, M); k += 2) {
        int x = (k == -D || (k < D && F(k - 1) < F(k + 1))) ? F(k + 1) : F(k - 1) + 1;
        int y = x - x1 + y1 - k;
        while (x < x2 && y < y2 && a_[x] == b_[y]) ++x, ++y;
        F(k) = x;
        if ((delta & 1) && delta - D < k && k < delta + D && F(k) >= R(k)) {
          int xs = x, ys = y;
          while (xs > x1 && ys > y1 && a_[xs - 1] == b_[ys - 1]) --xs, --ys;
          return Bisect(x1, y1, xs, ys) && Bisect(x, y, x2, y2);
        }
      }
      k = delta - D;
      while (k < -N) k += 2;
      for (; k <= std::min(delta + D, M); k += 2) {
        int x = k == delta + D ? R(k - 1) : k <= delta - D ? R(k + 1) - 1 : R(k + 1) <= R(k - 1) ? R(k + 1) - 1 : R(k - 1);
        int y = x - x1 + y1 - k;
        while (x > x1 && y > y1 && a_[x - 1] == b_[y - 1]) --x, --y;
        R(k) = x;
        if (!(delta & 1) && -D <= k && k <= D && F(k) >= R(k)) {
          if (M == 1 && N == 1) {
            Ins(x1, y1);
            Del(x1);
            return true;
          }
          if (!Bisect(x1, y1, x, y)) return false;
          while (x < x2 && y < y2 && a_[x] == b_[y]) ++x, ++y;
          return Bisect(x, y, x2, y2);
        }
      }
    }
    return false;
  }

  void Emit(ChangeRecord& r) {
    if (r.Count) out_.push_back(r);
    r = {};
  }
  void CloseAdd() { Emit(mod_), Emit(add_); }
  void CloseDel() { Emit(mod_), Emit(del_); }
  void Ins(int x, int y) {
    if (add_.Count) {
      if (x == add_.Pos1 && y == add_.Pos2 + add_.Count) {
        ++add_.Count;
        return;
      }
      CloseAdd();
    } else if (del_.Count) {
      CloseDel();
    }
    add_ = Add(x, y, 1);
  }
  void Del(int x) {
    if (del_.Count) {
      if (x == del_.Pos1 + del_.Count) {
        ++del_.Count;
        return;
      }
      CloseDel();
    } else if (add_.Count && x == add_.Pos1) {
      if (mod_.Count && x == mod_.Pos1 + mod_.Count) {
        ++mod_.Count;
      } else {
        Emit(mod_);
        mod_ = Mod(x, add_.Pos2, 1);
      }
      if (add_.Count == 1) {
        add_ = {};
      } else {
        --add_.Count, ++add_.Pos1, ++add_.Pos2;
      }
      return;
    } else if (add_.Count) {
      CloseAdd();
    }
    del_ = ::Del(x, 1);
  }

  Seq a_, b_;
  int maxD_ = 0;
  std::vector<int> f_, r_;
  Records out_;
  ChangeRecord add_{}, del_{}, mod_{};
};

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

TEST(TDiff, RandomPairsAreValidMinimalAndMatchTheRecursiveForm) {
  std::mt19937 rng(20240601);
  TDiff d;
  for (int round = 0; round < 6000; ++round) {
    int alphabet = 2 + round % 5;
    Seq a = RandomSeq(rng, 14, alphabet);
    Seq b = round % 2 ? RandomSeq(rng, 14, alphabet) : Edited(rng, a, 1 + round % 4, alphabet);
    ASSERT_TRUE(d.Execute(a, b));
    int changed = CheckResult(a, b, d.Changes());
    ASSERT_EQ(changed, EditDistance(a, b)) << "round " << round << ": " << Show(d.Changes());
    ASSERT_EQ(Show(d.Changes()), Show(RecursiveReference().DiffOf(a, b))) << "round " << round;
  }
}

TEST(TDiff, LongerRandomPairsMatchTheRecursiveForm) {
  std::mt19937 rng(77);
  TDiff d;
  for (int round = 0; round < 200; ++round) {
    Seq a = RandomSeq(rng, 400, 3 + round % 20);
    Seq b = Edited(rng, a, 1 + round % 60, 3 + round % 20);
    ASSERT_TRUE(d.Execute(a, b));
    ASSERT_GE(CheckResult(a, b, d.Changes()), 0);
    if (a.size() * b.size() < 40000) {
      ASSERT_EQ(CheckResult(a, b, d.Changes()), EditDistance(a, b));
    }
    ASSERT_EQ(Show(d.Changes()), Show(RecursiveReference().DiffOf(a, b))) << "round " << round;
  }
}

// Texts that differ everywhere: the search meets only after as many steps as there are lines,
// and the splits nest deeply (solved from an explicit stack, not the call stack).
TEST(TDiff, TextsThatDifferEverywhere) {
  const int n = 4000;
  Seq a(n), b(n);
  for (int i = 0; i < n; ++i) {
    a[i] = 2 * i;
    b[i] = 2 * i + 1;
  }
  Records got = DiffOf(a, b);
  EXPECT_EQ(Show(got), Show({Mod(0, 0, n)}));

  // Alternating agreement: every second line equal.
  for (int i = 0; i < n; i += 2) b[i] = a[i];
  got = DiffOf(a, b);
  ASSERT_EQ(got.size(), static_cast<std::size_t>(n / 2));
  EXPECT_EQ(CheckResult(a, b, got), n);
}

TEST(TDiff, CancelFromTheStepCallbackLeavesNoRecords) {
  Seq a(5000), b(5000);
  for (int i = 0; i < 5000; ++i) a[i] = i, b[i] = (i * 7919) % 5000 + 5000 * (i % 3 == 0);
  TDiff d;
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
  EXPECT_TRUE(d.Execute(S("abc"), S("xyz")));
  EXPECT_TRUE(threw);
  EXPECT_EQ(Show(d.Changes()), Show({Mod(0, 0, 3)}));
}

// Progress fires from a search step once a second has passed; a step callback that waits makes
// the second pass without a long input. Before the fronts meet the estimate is below 46.
TEST(TDiff, ProgressFiresFromAStepAfterASecond) {
  TDiff d;
  std::vector<int> seen;
  d.OnProgress = [&](TDiff&, std::int32_t percent) { seen.push_back(percent); };
  int steps = 0;
  d.OnStep = [&](TDiff&) {
    if (steps++ == 1) std::this_thread::sleep_for(std::chrono::milliseconds(1010));
  };
  ASSERT_TRUE(d.Execute(S("abcdefghijklmnop"), S("ABCDEFGHIJKLMNOP")));
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_GE(seen[0], 0);
  EXPECT_LT(seen[0], 46);
  // Without a handler nothing is estimated, and a quick run fires nothing.
  seen.clear();
  steps = 5;
  EXPECT_TRUE(d.Execute(S("abcdefghijklmnop"), S("ABCDEFGHIJKLMNOP")));
  EXPECT_TRUE(seen.empty());
}

}  // namespace
