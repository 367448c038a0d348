// Line hashes: the CRC values, and which lines the two options make equal.
#include <gtest/gtest.h>

#include <string>
#include <unordered_map>

#include "diff/DiffUnit.h"
#include "diff/HashUnit.h"

using diff::ChangeRecord;
using diff::Crc32;
using diff::CrcTable;
using diff::HashLine;
using diff::HashLines;
using diff::KindModified;
using diff::SameLines;
using diff::TDiff;
using diff::TLineClasses;

namespace {

std::uint32_t H(std::string_view s, bool ic, bool ib) { return HashLine(s, ic, ib); }

TEST(Crc32, KnownValues) {
  EXPECT_EQ(CrcTable[1], 0x77073096u);
  EXPECT_EQ(CrcTable[255], 0x2D02EF8Du);
  EXPECT_EQ(Crc32("123456789", 9), 0xCBF43926u);
  EXPECT_EQ(Crc32("abc", 3), 0x352441C2u);
  EXPECT_EQ(Crc32("abc", 0), 0u);
  EXPECT_EQ(Crc32("abc", -5), 0u);
  EXPECT_EQ(Crc32(nullptr, 0), 0u);
}

TEST(HashLine, EmptyAndBlankLines) {
  for (bool ic : {false, true}) {
    EXPECT_EQ(H("", ic, false), 0u);
    EXPECT_EQ(H("", ic, true), 0u);
    EXPECT_EQ(H(" \t  \t", ic, true), 0u);
    EXPECT_NE(H(" \t  \t", ic, false), 0u);
  }
}

TEST(HashLine, OptionsOnTheKnownValues) {
  for (bool ic : {false, true})
    for (bool ib : {false, true}) EXPECT_EQ(H("abc", ic, ib), 0x352441C2u);
  EXPECT_EQ(H("A b", true, true), 0x9E83486Du);
  EXPECT_EQ(Crc32("ab", 2), 0x9E83486Du);
  EXPECT_NE(H("A b", true, false), 0x9E83486Du);
  EXPECT_NE(H("A b", false, true), 0x9E83486Du);
  EXPECT_NE(H("A b", false, false), 0x9E83486Du);
}

TEST(HashLine, OnlyTabAndSpaceAreBlanks) {
  EXPECT_EQ(H("li_x = 1", false, true), H("li_x=1", false, true));
  EXPECT_EQ(H("\tli_x =\t1 ", false, true), H("li_x=1", false, true));
  EXPECT_NE(H("li_x = 1", false, false), H("li_x=1", false, false));
  // A carriage return, form feed, vertical tab or the ideographic space (A1 A1) stays.
  for (std::string_view other : {"li_x=1\r", "li_x=1\f", "li_x=1\v", "li_x=\xA1\xA1" "1"})
    EXPECT_NE(H(other, true, true), H("li_x=1", true, true)) << other;
}

TEST(HashLine, CaseFoldingLowersOnlyAsciiCapitals) {
  EXPECT_EQ(H("IF li_A > 0 THEN", true, false), H("if li_a > 0 then", true, false));
  EXPECT_NE(H("IF", false, false), H("if", false, false));
  // Fullwidth capital A (A3 C1) and fullwidth small a (A3 E1) are different characters.
  EXPECT_NE(H("\xA3\xC1", true, false), H("\xA3\xE1", true, false));
}

// In a GBK character such as 81 41 the trail byte looks like "A" but is not a letter.
TEST(HashLine, TrailBytesOfDoubleByteCharactersAreNotFolded) {
  EXPECT_NE(H("\x81\x41", true, false), H("\x81\x61", true, false));
  EXPECT_EQ(H("\x81\x41" "B", true, false), H("\x81\x41" "b", true, false));
  // A four-byte character (81 30 81 30) followed by a capital: the capital is folded.
  EXPECT_EQ(H("\x81\x30\x81\x30Q", true, false), H("\x81\x30\x81\x30q", true, false));
  // Removing a blank joins the lead byte to the following "A", which then is a trail byte.
  EXPECT_NE(H("\x81 A", true, true), H("\x81 a", true, true));
  EXPECT_EQ(H("\x81 A", true, true), H("\x81\x41", false, false));
  // A lone lead byte at the end, or one before a byte that cannot follow it, harms nothing.
  EXPECT_EQ(H("X\x81", true, false), H("x\x81", true, false));
  EXPECT_EQ(H("\x81\x7F" "A", true, false), H("\x81\x7F" "a", true, false));
}

TEST(HashLine, BothOrdersOfTheOptionsAgree) {
  // Removing blanks and folding case commute for ASCII text.
  EXPECT_EQ(H(" A\tB c ", true, true), Crc32("abc", 3));
}

TEST(HashLines, OneValuePerLineInOrder) {
  std::vector<std::uint32_t> v = HashLines({"abc", "", "A b"}, true, true);
  EXPECT_EQ(v, (std::vector<std::uint32_t>{0x352441C2u, 0u, 0x9E83486Du}));
}

// Two lines share a class exactly when their bytes are equal under the options; a shared CRC
// (the pair below is a real one, 0xA40CD64F) decides nothing.
TEST(LineClasses, EqualExactlyWhenTheBytesAreEqual) {
  struct {
    const char* a;
    const char* b;
    bool ic, ib, same;
  } cases[] = {
      {"ldc_amount = 903291985642", "ldc_amount = 657590501813", false, false, false},
      {"ldc_amount = 903291985642", "ldc_amount = 657590501813", true, true, false},
      {"If x Then", "if x then", false, false, false},
      {"If x Then", "if x then", true, false, true},
      {"a b\t", "ab", false, true, true},
      {"X\x81", "x\x81", true, false, true},
      {"\x81" "A", "\x81" "a", true, false, false},  // a trail byte is not a letter
      {"", "", false, false, true},
      {"", " ", false, true, true},
  };
  for (const auto& c : cases) {
    TLineClasses classes(c.ic, c.ib);
    EXPECT_EQ(classes.Of(c.a) == classes.Of(c.b), c.same) << c.a << " | " << c.b;
  }
  EXPECT_EQ(H(cases[0].a, false, false), H(cases[0].b, false, false));
}

// Numbers in order of first appearance, shared by both texts, and kept apart for colliding CRCs
// found by a birthday search over many lines (more than one block of stored keys).
TEST(LineClasses, CollidingChecksumsStayDifferentLines) {
  std::unordered_map<std::uint32_t, std::string> seen;
  std::string first, second;
  for (int n = 0; second.empty(); ++n) {
    std::string line = "ls_value = " + std::to_string(n * 7919) + " // a comment to make the keys long";
    auto [at, fresh] = seen.emplace(H(line, false, false), line);
    if (!fresh) first = at->second, second = line;
  }
  TLineClasses classes;
  std::vector<std::string> text1, text2;
  for (const auto& [crc, line] : seen) text1.push_back(line);
  text2 = text1;
  const std::uint32_t id1 = classes.Of(first);
  EXPECT_EQ(classes.OfLines(text1), classes.OfLines(text2));
  EXPECT_EQ(classes.Count(), seen.size());
  EXPECT_NE(classes.Of(second), id1);
  EXPECT_EQ(classes.Of(std::string(first)), id1);
  // A lasting line is kept by reference, a normalised one by copy: both still find their class.
  TLineClasses folding(true, false);
  std::string lasting = "Lasting", folded = "FOLDED";
  const std::uint32_t idLasting = folding.OfLasting(lasting), idFolded = folding.OfLasting(folded);
  folded = "xxxxxx";
  EXPECT_EQ(folding.Of("lasting"), idLasting);
  EXPECT_EQ(folding.Of("folded"), idFolded);

  TLineClasses pair;
  TDiff engine;
  ASSERT_TRUE(engine.Execute(pair.OfLines(std::vector<std::string>{"a", first, "b"}),
                             pair.OfLines(std::vector<std::string>{"a", second, "b"})));
  EXPECT_EQ(engine.Changes(), (std::vector<ChangeRecord>{{KindModified, 1, 1, 1}}));
  EXPECT_FALSE(SameLines({first}, {second}, false, false));
  EXPECT_TRUE(SameLines({"A b"}, {"ab"}, true, true));
}

}  // namespace
