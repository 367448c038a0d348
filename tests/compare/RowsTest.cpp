// Aligned rows and the difference report, from texts compared by the real engine.
#include <gtest/gtest.h>

#include "LibWriter.h"
#include "compare/Comparison.h"
#include "compare/Report.h"
#include "compare/Rows.h"
#include "platform/FileSys.h"

using diff::ChangeRecord;
using diff::KindModified;
using diff::TDiff;

using namespace compare;

namespace {

using Lines = std::vector<std::string>;

// One side of a row as the tests read it: its text, line number (0 for a filler) and kind.
struct TSideRow {
  std::string Text;
  std::int32_t Tag = 0;
  TRowKind Kind = TRowKind::Equal;
};
struct TFilled {
  struct TRowPair {
    TSideRow Left, Right;
  };
  std::vector<TRowPair> Rows;
  TCompareCounts Counts;
  TComparison Model;
};

TFilled Fill(const Lines& t1, const Lines& t2, bool diffsOnly = false) {
  TFilled f;
  f.Model.Sides = {std::make_shared<TSideText>(t1), std::make_shared<TSideText>(t2)};
  TDiff d;
  EXPECT_TRUE(f.Model.Run(d, {}, diffsOnly));
  f.Counts = f.Model.Rows.Counts;
  for (const TRow& r : f.Model.Rows.Rows) {
    auto side = [&](TSide s) {
      const TCell& c = r.Cells[s];
      return TSideRow{c.IsFiller() ? std::string() : std::string(f.Model.Text(s).Line(c.Line)), c.Number(), r.Kind};
    };
    f.Rows.push_back({side(Side1), side(Side2)});
  }
  return f;
}

Lines Numbered(const std::string& prefix, int n) {
  Lines l;
  for (int i = 1; i <= n; ++i) l.push_back(prefix + std::to_string(i));
  return l;
}

std::vector<std::string> Report(const TFilled& f) {
  TReportHeader h{"a.txt", "b \"q\".txt", platform::MakeDateTime(2024, 5, 6, 7, 8, 9), std::nullopt,
                  platform::MakeDateTime(2024, 6, 1, 12, 0, 0)};
  auto body = BuildReport(h, f.Model.Rows, f.Model.Texts());
  return std::vector<std::string>(body.begin() + 8, body.end());
}

const std::string kRule(80, '=');

TEST(FillRows, IdenticalTexts) {
  Lines t = Numbered("x", 3);
  TFilled f = Fill(t, t);
  ASSERT_EQ(f.Rows.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(f.Rows[i].Left.Tag, i + 1);
    EXPECT_EQ(f.Rows[i].Right.Kind, TRowKind::Equal);
  }
  EXPECT_EQ(f.Counts.Added + f.Counts.Deleted + f.Counts.Changed, 0);
  EXPECT_TRUE(Fill(t, t, true).Rows.empty());
  EXPECT_TRUE(Report(f).empty());
}

TEST(FillRows, EmptyFirstText) {
  const Lines empty, three{"a", "b", "c"};  // the rows view these lines
  TFilled f = Fill(empty, three);
  ASSERT_EQ(f.Rows.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(f.Rows[i].Left.Tag, 0);
    EXPECT_EQ(f.Rows[i].Left.Kind, TRowKind::Added);
    EXPECT_EQ(f.Rows[i].Right.Tag, i + 1);
  }
  EXPECT_EQ(f.Counts.Added, 3);
  EXPECT_EQ(f.Counts.Count1, 0);
  EXPECT_EQ(Report(f), (Lines{kRule, "Lines added at 1", kRule, "+ a", "+ b", "+ c"}));
}

// Two lines replaced by three: two modified rows, then an added row with a filler opposite.
TEST(FillRows, TwoReplacedByThree) {
  Lines t1 = Numbered("L", 6), t2 = t1;
  t2[2] = "X";
  t2[3] = "Y";
  t2.insert(t2.begin() + 4, "Z");
  TFilled f = Fill(t1, t2);
  ASSERT_EQ(f.Rows.size(), 7u);
  EXPECT_EQ(f.Rows[2].Left.Kind, TRowKind::Modified);
  EXPECT_EQ(f.Rows[3].Left.Text, "L4");
  EXPECT_EQ(f.Rows[3].Right.Text, "Y");
  EXPECT_EQ(f.Rows[4].Left.Kind, TRowKind::Added);
  EXPECT_EQ(f.Rows[4].Left.Text, "");
  EXPECT_EQ(f.Rows[4].Right.Tag, 5);
  EXPECT_EQ(f.Counts.Changed, 2);
  EXPECT_EQ(f.Counts.Added, 1);
  EXPECT_EQ(Report(f), (Lines{kRule, "Lines modified at 3", kRule, "- L3", "+ X", "- L4", "+ Y", kRule,
                              "Lines added at 5", kRule, "+ Z"}));
}

// Every line number appears once, in order, on its own side; fillers carry none.
TEST(FillRows, LineNumbersOnBothSides) {
  Lines t1 = Numbered("a", 30), t2 = t1;
  t2.erase(t2.begin() + 3, t2.begin() + 6);
  t2.insert(t2.begin() + 10, "new");
  t2[20] = "changed";
  for (bool diffsOnly : {false, true}) {
    TFilled f = Fill(t1, t2, diffsOnly);
    std::int32_t last1 = 0, last2 = 0, seen1 = 0, seen2 = 0;
    for (const auto& r : f.Rows) {
      if (r.Left.Tag) {
        EXPECT_GT(r.Left.Tag, last1);
        EXPECT_EQ(r.Left.Text, t1[r.Left.Tag - 1]);
        last1 = r.Left.Tag;
        ++seen1;
      }
      if (r.Right.Tag) {
        EXPECT_GT(r.Right.Tag, last2);
        EXPECT_EQ(r.Right.Text, t2[r.Right.Tag - 1]);
        last2 = r.Right.Tag;
        ++seen2;
      }
      if (diffsOnly) {
        EXPECT_NE(r.Left.Kind, TRowKind::Equal);
      }
    }
    if (!diffsOnly) {
      EXPECT_EQ(seen1, 30);
      EXPECT_EQ(seen2, static_cast<std::int32_t>(t2.size()));
    }
  }
}

TEST(Report, HeadingsOfEachKind) {
  Lines t1 = Numbered("l", 10), t2 = t1;
  t2.insert(t2.begin() + 4, {"n1", "n2"});
  EXPECT_EQ(Report(Fill(t1, t2)), (Lines{kRule, "Lines added at 5", kRule, "+ n1", "+ n2"}));
  // With the equal rows left out the number still comes from the change.
  EXPECT_EQ(Report(Fill(t1, t2, true)), (Lines{kRule, "Lines added at 5", kRule, "+ n1", "+ n2"}));
  Lines t3(t1.begin() + 1, t1.end());
  EXPECT_EQ(Report(Fill(t1, t3)), (Lines{kRule, "Lines deleted at 1", kRule, "- l1"}));
}

TEST(Report, Header) {
  TReportHeader h{"a \"q\".txt", "@obj", platform::MakeDateTime(2024, 5, 6, 7, 8, 9), std::nullopt,
                  platform::MakeDateTime(2024, 6, 1, 12, 0, 0)};
  auto lines = BuildReport(h, TRows{}, {});
  EXPECT_EQ(lines, (Lines{"Difference Report - 2024-06-01, 12:00:00", kRule, "", "File 1: \"a \"q\".txt\"",
                          "        Last modified on 2024-05-06, 07:08:09", "File 2: \"@obj\"",
                          "        Last modified on ", ""}));
  auto custom = BuildReport(h, TRows{}, {}, [](platform::TDateTime) { return std::string("D"); });
  EXPECT_EQ(custom[0], "Difference Report - D");
}

TEST(OptionsNote, NamesTheOptionsThatAreOn) {
  EXPECT_EQ(OptionsNote(false, false), "");
  EXPECT_EQ(OptionsNote(true, false), "  (Case Ignored)");
  EXPECT_EQ(OptionsNote(false, true), "  (Blanks Ignored)");
  EXPECT_EQ(OptionsNote(true, true), "  (Case Ignored, Blanks Ignored)");
  EXPECT_EQ(OptionsNote(compare::TCompareOptions{.IgnoreBlanks = true, .IgnoreComments = true, .AlignSimilar = true}),
            "  (Blanks Ignored, Comments Ignored, Similar Lines Aligned)");
}

TEST(FillRows, RecordsOutsideTheTextsAreRefused) {
  EXPECT_THROW(AlignRows({1, 1}, {ChangeRecord{KindModified, 0, 0, 5}}, false), std::out_of_range);
}

TEST(LoadSourceLines, SplitsAtEveryBreakAndKeepsCodePageBytes) {
  testsupport::TTempDir dir;
  platform::TTextEncoding enc{};
  auto p = dir.Write("t.txt", "a\r\nb\rc\n\nd\xB0\xA1\r\n");
  EXPECT_EQ(LoadSourceLines(p, &enc), (Lines{"a", "b", "c", "", "d\xB0\xA1"}));
  EXPECT_EQ(enc, platform::TTextEncoding::CodePage);
  EXPECT_THROW(LoadSourceLines(dir.Path() / "none.txt"), platform::TFileError);
}

TEST(LoadSourceLines, ConvertsMarkedAndUtf8FilesToTheCodePage) {
  testsupport::TTempDir dir;
  platform::TTextEncoding enc{};
  // "啊" is B0 A1 in the code page, E5 95 8A in UTF-8, U+554A in UTF-16.
  EXPECT_EQ(LoadSourceLines(dir.Write("bom.txt", "\xEF\xBB\xBF" "a\xE5\x95\x8A\r\nb"), &enc),
            (Lines{"a\xB0\xA1", "b"}));
  EXPECT_EQ(enc, platform::TTextEncoding::Utf8Bom);
  EXPECT_EQ(LoadSourceLines(dir.Write("u8.txt", "x\xE5\x95\x8A\n"), &enc), (Lines{"x\xB0\xA1"}));
  EXPECT_EQ(enc, platform::TTextEncoding::Utf8);
  EXPECT_EQ(LoadSourceLines(dir.Write("le.txt", std::string("\xFF\xFEJ\0\x4A\x55\r\0\n\0", 10)), &enc),
            (Lines{"J\xB0\xA1"}));
  EXPECT_EQ(enc, platform::TTextEncoding::Utf16LE);
  // Plain ASCII stays the code page; bytes that are not UTF-8 too.
  LoadSourceLines(dir.Write("ascii.txt", "abc\r\n"), &enc);
  EXPECT_EQ(enc, platform::TTextEncoding::CodePage);
}

}  // namespace
