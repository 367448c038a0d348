#include <gtest/gtest.h>

#include <random>

#include "editor/Lines.h"

namespace {

// A pane without a window: records what the store asked of it.
struct FakeEditor : TLinesHost {
  TColor color = 0x123456;
  std::int32_t maxLineLen = 0;
  int cleared = 0, scrollBars = 0, gutters = 0, invalidates = 0, undoClears = 0;
  bool destroying = false;
  TColor LinesColor() const override { return color; }
  std::int32_t LinesMaxLineLen() const override { return maxLineLen; }
  void SetLinesMaxLineLen(std::int32_t v) override { maxLineLen = v; }
  void LinesCleared() override { ++cleared; }
  void LinesUpdateScrollBars() override { ++scrollBars; }
  void LinesUpdateGutter() override { ++gutters; }
  void LinesInvalidate() override { ++invalidates; }
  bool LinesHostDestroying() const override { return destroying; }
  void LinesClearUndo() override { ++undoClears; }
};

void ExpectStarts(const TLines& lines) {
  std::int32_t start = 0;
  for (int i = 0; i < lines.Count(); ++i) {
    const TLineObj& obj = lines.GetLineObj(i);
    ASSERT_EQ(obj.Start, start) << "line " << i;
    ASSERT_EQ(obj.Length, static_cast<std::int32_t>(lines[i].size())) << "line " << i;
    start += obj.Length + 2;
  }
}

std::string ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const TEditorError& e) {
    return e.what();
  }
  return "(no error)";
}

TEST(Lines, OffsetsCountTwoPerBreak) {
  FakeEditor ed;
  TLines lines(&ed);
  lines.Add("abc");
  EXPECT_EQ(lines.GetLineObj(0).Start, 0);
  lines.Add("de");
  EXPECT_EQ(lines.GetLineObj(1).Start, 5);
  lines.Insert(0, "xyzw");
  EXPECT_EQ(lines.GetLineObj(0).Start, 0);
  EXPECT_EQ(lines.GetLineObj(1).Start, 6);
  EXPECT_EQ(lines.GetLineObj(2).Start, 11);
  EXPECT_EQ(lines.Text(), "xyzw\r\nabc\r\nde");
}

TEST(Lines, ReplaceOfSameLengthStillMarksModified) {
  FakeEditor ed;
  TLines lines(&ed);
  lines.Assign(std::vector<std::string>{"aa", "bb", "cc"});
  ASSERT_FALSE(lines.Modified());
  lines.Put(1, "xx");
  EXPECT_TRUE(lines.Modified());
  EXPECT_TRUE(lines.GetLineObj(1).Modified);
  EXPECT_FALSE(lines.GetLineObj(0).Modified);
  EXPECT_EQ(lines.GetLineObj(2).Start, 8);
}

// Offsets are brought up to date lazily; a long random run of edits must always read back the
// offsets of a fresh recount.
TEST(Lines, OffsetsStayRightThroughRandomEdits) {
  FakeEditor ed;
  TLines lines(&ed);
  std::mt19937 rng(7);
  for (int step = 0; step < 3000; ++step) {
    int op = static_cast<int>(rng() % 4);
    int n = lines.Count();
    std::string s(rng() % 12, 'a' + static_cast<char>(rng() % 26));
    if (op == 0 || n == 0)
      lines.Insert(n == 0 ? 0 : static_cast<int>(rng() % (n + 1)), s);
    else if (op == 1)
      lines.Put(static_cast<int>(rng() % n), s);
    else if (op == 2)
      lines.Delete(static_cast<int>(rng() % n));
    else
      (void)lines.GetLineObj(static_cast<int>(rng() % n)).Start;  // a read in between
    if (step % 97 == 0) ExpectStarts(lines);
  }
  ExpectStarts(lines);
}

TEST(Lines, FailuresCarryTheirMessagesAndChangeNothing) {
  FakeEditor ed;
  TLines lines(&ed);
  lines.Add("one");
  lines.Add("two");
  EXPECT_EQ(ErrorOf([&] { lines.GetLineObj(-1); }), "TLines.GetLineObj() - index out of bounds.");
  EXPECT_EQ(ErrorOf([&] { lines.GetLineObj(2); }), "TLines.GetLineObj() - index out of bounds.");
  EXPECT_EQ(ErrorOf([&] { lines.AddObject("x", nullptr); }), "TLines.AddObject - invalid method");
  EXPECT_EQ(ErrorOf([&] { lines.InsertObject(0, "x", nullptr); }), "TLines.InsertObject - invalid method");
  EXPECT_EQ(ErrorOf([&] { lines.Put(5, "x"); }), "List index out of bounds (5)");
  EXPECT_EQ(ErrorOf([&] { lines.Delete(-1); }), "List index out of bounds (-1)");
  EXPECT_EQ(ErrorOf([&] { lines.Insert(3, "x"); }), "List index out of bounds (3)");
  EXPECT_EQ(lines.Text(), "one\r\ntwo");
  EXPECT_EQ(lines.Add("three"), 2);
}

TEST(Lines, MaxLineLenGrowsAndOnlyClearLowersIt) {
  FakeEditor ed;
  TLines lines(&ed);
  EXPECT_EQ(ed.maxLineLen, 160);
  lines.Add(std::string(200, 'a'));
  EXPECT_EQ(ed.maxLineLen, 200);
  lines.Put(0, std::string(250, 'b'));
  EXPECT_EQ(ed.maxLineLen, 250);
  lines.Delete(0);
  EXPECT_EQ(ed.maxLineLen, 250);
  lines.Clear();
  EXPECT_EQ(ed.maxLineLen, 160);
}

TEST(Lines, ChangesNotifyOnceOutsideBracketsAndNotWhileDestroying) {
  FakeEditor ed;
  TLines lines(&ed);
  int changes = 0;
  lines.OnChange = [&](TLines* sender) {
    EXPECT_EQ(sender, &lines);
    ++changes;
  };
  lines.Add("a");
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(ed.scrollBars, 1);
  EXPECT_EQ(ed.gutters, 1);
  EXPECT_EQ(ed.invalidates, 1);
  lines.BeginUpdate();
  lines.BeginUpdate();
  EXPECT_TRUE(lines.Updating());
  for (int i = 0; i < 50; ++i) lines.Add("x");
  lines.EndUpdate();
  EXPECT_EQ(changes, 1);
  lines.EndUpdate();
  EXPECT_FALSE(lines.Updating());
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(ed.scrollBars, 2);
  ed.destroying = true;
  lines.Add("b");
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(ed.scrollBars, 2);
}

TEST(Lines, ClearResetsTheEditorKeepsModifiedAndNotifiesOnlyWhenNotEmpty) {
  FakeEditor ed;
  TLines lines(&ed);
  int changes = 0;
  lines.OnChange = [&](TLines*) { ++changes; };
  int clearedBefore = ed.cleared;
  lines.Clear();
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(ed.cleared, clearedBefore + 1);
  lines.Add("a");
  lines.Clear();
  EXPECT_EQ(changes, 2);
  EXPECT_TRUE(lines.Modified());
  EXPECT_EQ(lines.Count(), 0);
}

TEST(Lines, DeletingTheLastLineLeavesAnEmptyModifiedStore) {
  FakeEditor ed;
  TLines lines(&ed);
  lines.Assign(std::vector<std::string>{"only"});
  lines.Delete(0);
  EXPECT_EQ(lines.Count(), 0);
  EXPECT_TRUE(lines.Modified());
}

TEST(Lines, AssignFromPlainListGivesFreshLineValuesAndEmptiesUndo) {
  FakeEditor ed;
  TLines lines(&ed);
  lines.Add("old");
  lines.GetLineObj(0).Tag = 9;
  lines.Assign(std::vector<std::string>{"a", "bc", ""});
  EXPECT_EQ(ed.undoClears, 1);
  ASSERT_EQ(lines.Count(), 3);
  for (int i = 0; i < 3; ++i) {
    const TLineObj& o = lines.GetLineObj(i);
    EXPECT_EQ(o.Color, ed.color);
    EXPECT_EQ(o.Tag, 0);
    EXPECT_EQ(o.Kind, 0);
    EXPECT_FALSE(o.Modified);
  }
  EXPECT_FALSE(lines.Modified());
  ExpectStarts(lines);
}

TEST(Lines, AssignFromLinesCopiesColorAndTagButNotKind) {
  FakeEditor ed1, ed2;
  TLines source(&ed1), target(&ed2);
  source.Add("x");
  source.Add("y");
  source.GetLineObj(1).Color = 0xF0CCA8;
  source.GetLineObj(1).Tag = 17;
  source.GetLineObj(1).Kind = 3;
  target.Assign(source);
  EXPECT_EQ(target.Text(), "x\r\ny");
  EXPECT_EQ(target.GetLineObj(0).Color, ed2.color);
  EXPECT_EQ(target.GetLineObj(1).Color, 0xF0CCA8u);
  EXPECT_EQ(target.GetLineObj(1).Tag, 17);
  EXPECT_EQ(target.GetLineObj(1).Kind, 0);
  EXPECT_FALSE(target.GetLineObj(1).Modified);
}

TEST(Lines, AddStringsAppends) {
  TLines lines(nullptr);
  lines.Add("first");
  lines.AddStrings(std::vector<std::string>{"second", "third"});
  EXPECT_EQ(lines.Text(), "first\r\nsecond\r\nthird");
  ExpectStarts(lines);
}

TEST(Lines, SetModifiedMarksEveryLineOnlyOnAChange) {
  FakeEditor ed;
  TLines lines(&ed);
  lines.Assign(std::vector<std::string>{"a", "b"});
  lines.SetModified(true);
  EXPECT_TRUE(lines.GetLineObj(0).Modified);
  EXPECT_TRUE(lines.GetLineObj(1).Modified);
  lines.GetLineObj(1).Modified = false;
  lines.SetModified(true);  // the same value: no line flag changes
  EXPECT_FALSE(lines.GetLineObj(1).Modified);
  lines.SetModified(false);
  EXPECT_FALSE(lines.GetLineObj(0).Modified);
}

}  // namespace
