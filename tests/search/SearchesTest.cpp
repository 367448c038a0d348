// The pattern searcher, held to a naive left-to-right search of non-overlapping matches.
#include <gtest/gtest.h>

#include <random>

#include "search/Searches.h"

using search::TBaseSearch;
using search::TSearch;

namespace {

std::vector<int> All(TBaseSearch& s, const std::string& text) {
  s.SetBuffer(text.data(), static_cast<std::int32_t>(text.size()));
  std::vector<int> out;
  for (int at = s.FindFirst(); at >= 0; at = s.FindNext()) out.push_back(at);
  EXPECT_EQ(s.FindNext(), -1);  // stays at the end
  return out;
}

std::vector<int> Naive(const std::string& pat, const std::string& text, bool caseSensitive) {
  auto f = [&](char c) { return caseSensitive || c < 'A' || c > 'Z' ? c : static_cast<char>(c - 'A' + 'a'); };
  std::vector<int> out;
  if (pat.empty()) return out;
  for (std::size_t i = 0; i + pat.size() <= text.size();) {
    std::size_t k = 0;
    while (k < pat.size() && f(pat[k]) == f(text[i + k])) ++k;
    if (k == pat.size()) {
      out.push_back(static_cast<int>(i));
      i += pat.size();
    } else {
      ++i;
    }
  }
  return out;
}

TEST(TSearch, NonOverlappingMatches) {
  TSearch s;
  s.SetPattern("aa");
  EXPECT_EQ(All(s, "aaaa"), (std::vector<int>{0, 2}));
  EXPECT_EQ(All(s, "aaa"), (std::vector<int>{0}));
}

TEST(TSearch, ShiftTable) {
  TSearch s;
  s.SetPattern("x");
  EXPECT_EQ(All(s, "axbxx"), (std::vector<int>{1, 3, 4}));
  EXPECT_EQ(s.LastSkip(), 1);
  s.SetPattern("abcab");
  EXPECT_EQ(All(s, "abcabcabxabcab"), (std::vector<int>{0, 9}));
  EXPECT_EQ(s.LastSkip(), 3);
}

TEST(TSearch, NothingToFind) {
  TSearch s;
  EXPECT_EQ(All(s, "abc"), std::vector<int>{});  // empty pattern
  s.SetPattern("abcd");
  EXPECT_EQ(All(s, "abc"), std::vector<int>{});
  s.SetBuffer("abcd", 0);
  EXPECT_EQ(s.FindFirst(), -1);
  s.SetBuffer(nullptr, 4);
  EXPECT_EQ(s.FindFirst(), -1);
}

TEST(TSearch, CaseAndBytes) {
  TSearch s;
  s.SetPattern("ABC");
  EXPECT_EQ(All(s, "abc aBc ABC"), (std::vector<int>{0, 4, 8}));
  s.SetCaseSensitive(true);
  EXPECT_EQ(All(s, "abc aBc ABC"), (std::vector<int>{8}));
  // Fullwidth A (A3 C1) does not match fullwidth a (A3 E1) in either mode.
  s.SetCaseSensitive(false);
  s.SetPattern("\xA3\xC1");
  EXPECT_EQ(All(s, "\xA3\xE1\xA3\xC1"), (std::vector<int>{2}));
  // The second byte of 81 41 folds like a capital A when case is ignored.
  s.SetPattern("\x81\x61");
  EXPECT_EQ(All(s, "\x81\x41"), (std::vector<int>{0}));
  // Matches may start inside a double-byte character: B0 A1 B0 A1 holds A1 B0 at 1.
  s.SetPattern("\xA1\xB0");
  EXPECT_EQ(All(s, "\xB0\xA1\xB0\xA1"), (std::vector<int>{1}));
}

TEST(TSearch, TableRebuiltOnlyOnRealChanges) {
  TSearch s;
  s.SetPattern("ab");
  All(s, "xab");
  EXPECT_TRUE(s.TableReady());
  s.SetPattern("ab");
  EXPECT_TRUE(s.TableReady());
  s.SetCaseSensitive(false);
  EXPECT_TRUE(s.TableReady());
  s.SetCaseSensitive(true);
  EXPECT_FALSE(s.TableReady());
  s.SetBuffer("ab", 2);
  EXPECT_EQ(s.FindNext(), 0);  // without FindFirst it starts at the beginning
}

TEST(TSearch, AgreesWithNaiveSearch) {
  std::mt19937 rng(5);
  TSearch s;
  for (int round = 0; round < 5000; ++round) {
    auto gen = [&](int maxLen) {
      std::string t(std::uniform_int_distribution<int>(0, maxLen)(rng), ' ');
      for (char& c : t) c = "aAbB\x81"[std::uniform_int_distribution<int>(0, 4)(rng)];
      return t;
    };
    std::string pat = gen(4), text = gen(30);
    bool cs = round % 2;
    s.SetPattern(pat);
    s.SetCaseSensitive(cs);
    ASSERT_EQ(All(s, text), Naive(pat, text, cs)) << pat << " in " << text;
    // FindFrom finds the first match at or after any offset, overlapping ones included.
    const int from = std::uniform_int_distribution<int>(0, static_cast<int>(text.size()))(rng);
    const std::vector<int> after = Naive(pat, text.substr(static_cast<std::size_t>(from)), cs);
    ASSERT_EQ(s.FindFrom(from), after.empty() ? -1 : from + after[0]) << pat << " in " << text << " from " << from;
  }
}

}  // namespace
