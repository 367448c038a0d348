#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "editor/Lines.h"

using editor::TColor;
using editor::TEditorError;
using editor::TLineObj;
using editor::TLineSource;
using editor::TLines;
using editor::TLinesHost;
using editor::TPoint;

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

// ---- Lines of another text ------------------------------------------------------------------

struct VectorSource : TLineSource {
  std::vector<std::string> lines;
  explicit VectorSource(std::vector<std::string> l) : lines(std::move(l)) {}
  std::int32_t Count() const override { return static_cast<std::int32_t>(lines.size()); }
  std::string_view Line(std::int32_t i) const override { return lines[static_cast<std::size_t>(i)]; }
};

// A store whose every line refers to the same line of `text`, unmodified.
std::shared_ptr<VectorSource> FillByReference(TLines& lines, const std::vector<std::string>& text) {
  auto source = std::make_shared<VectorSource>(text);
  lines.Clear();
  lines.SetSource(source);
  for (int i = 0; i < source->Count(); ++i) lines.AddRef(i);
  lines.SetModified(false);
  return source;
}

TEST(LinesReferences, ReadTheSourceWithoutCopyingUntilALineIsChanged) {
  FakeEditor ed;
  TLines lines(&ed);
  int changes = 0;
  lines.OnChange = [&](TLines*) { ++changes; };
  auto source = FillByReference(lines, {"alpha", "", std::string(300, 'w')});
  EXPECT_EQ(lines.Get(0).data(), source->lines[0].data());  // the source's own bytes
  EXPECT_EQ(lines.Text(), "alpha\r\n\r\n" + std::string(300, 'w'));
  EXPECT_EQ(ed.maxLineLen, 300);
  EXPECT_EQ(lines.GetLineObj(2).Start, 9);
  EXPECT_EQ(lines.GetLineObj(0).Color, ed.color);
  EXPECT_EQ(lines.SourceLine(1), 1);
  EXPECT_EQ(changes, 3);

  lines.Put(0, "beta!");
  EXPECT_EQ(lines.Get(0), "beta!");
  EXPECT_EQ(source->lines[0], "alpha");
  EXPECT_EQ(lines.SourceLine(0), -1);
  EXPECT_EQ(lines.SourceLine(2), 2);
  EXPECT_TRUE(lines.GetLineObj(0).Modified);
  EXPECT_FALSE(lines.GetLineObj(2).Modified);
  lines.Insert(1, "new");
  lines.Delete(0);
  EXPECT_EQ(lines.ToVector(), (std::vector<std::string>{"new", "", std::string(300, 'w')}));
  ExpectStarts(lines);
}

TEST(LinesReferences, TheSourceLivesAsLongAsTheStoreNeedsIt) {
  TLines lines(nullptr);
  std::weak_ptr<VectorSource> watch;
  {
    auto source = FillByReference(lines, {"a", "b"});
    watch = source;
  }
  ASSERT_FALSE(watch.expired());
  EXPECT_EQ(lines.Get(1), "b");

  // Another store assigned from it keeps the references and the source.
  TLines copy(nullptr);
  copy.Assign(lines);
  EXPECT_EQ(copy.SourceLine(1), 1);
  lines.Clear();
  EXPECT_FALSE(watch.expired());
  copy.Assign(std::vector<std::string>{"x"});
  EXPECT_TRUE(watch.expired());

  // A new source first gives the lines of the old one their own text.
  auto first = FillByReference(lines, {"one", "two"});
  lines.SetSource(std::make_shared<VectorSource>(std::vector<std::string>{"other"}));
  first->lines = {"ONE", "TWO"};
  EXPECT_EQ(lines.ToVector(), (std::vector<std::string>{"one", "two"}));
  EXPECT_EQ(lines.SourceLine(0), -1);
  lines.AddRef(0);
  EXPECT_EQ(lines.Get(2), "other");
}

TEST(LinesReferences, MisuseFailsAndChangesNothing) {
  TLines lines(nullptr);
  EXPECT_EQ(ErrorOf([&] { lines.AddRef(0); }), "TLines.AddRef - no source");
  FillByReference(lines, {"a"});
  EXPECT_EQ(ErrorOf([&] { lines.AddRef(1); }), "TLines.AddRef - source line out of bounds (1)");
  EXPECT_EQ(ErrorOf([&] { lines.AddRef(-1); }), "TLines.AddRef - source line out of bounds (-1)");
  EXPECT_EQ(ErrorOf([&] { lines.SourceLine(1); }), "List index out of bounds (1)");
  EXPECT_EQ(lines.Count(), 1);
}

// ---- Editing operations -----------------------------------------------------------------------

struct EditCase {
  const char* name;
  std::vector<std::string> before;
  std::function<TPoint(TLines&)> edit;
  std::vector<std::string> after;
  TPoint end;             // the point the operation returned, where it returns one
  std::vector<int> tags;  // line i is tagged i + 1 before: whose values each line has after
  std::vector<bool> modified;
};

const std::vector<EditCase>& EditCases() {
  static const std::vector<EditCase> cases = {
      {"insert within a line", {"abcd"}, [](TLines& l) { return l.InsertText({2, 0}, "xy"); },
       {"abxycd"}, {4, 0}, {1}, {true}},
      {"insert several lines in the middle", {"abcd"}, [](TLines& l) { return l.InsertText({2, 0}, "x\r\ny\nz"); },
       {"abx", "y", "zcd"}, {1, 2}, {1, 0, 0}, {true, true, true}},
      {"insert ending in a break in the middle", {"abcd"}, [](TLines& l) { return l.InsertText({2, 0}, "x\r"); },
       {"abx", "cd"}, {0, 1}, {1, 0}, {true, true}},
      {"insert whole lines at column 0", {"ab", "cd"}, [](TLines& l) { return l.InsertText({0, 1}, "x\r\ny\r\n"); },
       {"ab", "x", "y", "cd"}, {0, 3}, {1, 0, 0, 2}, {false, true, true, false}},
      {"insert at column 0 without a final break", {"ab", "cd"}, [](TLines& l) { return l.InsertText({0, 1}, "x\ny"); },
       {"ab", "x", "ycd"}, {1, 2}, {1, 0, 2}, {false, true, true}},
      {"insert past the end of a line is clamped", {"ab"}, [](TLines& l) { return l.InsertText({9, 0}, "!"); },
       {"ab!"}, {3, 0}, {1}, {true}},
      {"remove within a line", {"abcdef"}, [](TLines& l) { l.RemoveText({1, 0}, {4, 0}); return TPoint{}; },
       {"aef"}, {}, {1}, {true}},
      {"remove across lines from the middle", {"abc", "def", "ghi"}, [](TLines& l) { l.RemoveText({1, 0}, {2, 2}); return TPoint{}; },
       {"ai"}, {}, {1}, {true}},
      {"remove whole lines from column 0", {"abc", "def", "ghi"}, [](TLines& l) { l.RemoveText({0, 0}, {0, 2}); return TPoint{}; },
       {"ghi"}, {}, {3}, {false}},
      {"remove from column 0 into a line", {"abc", "def"}, [](TLines& l) { l.RemoveText({0, 0}, {1, 1}); return TPoint{}; },
       {"ef"}, {}, {2}, {true}},
      {"remove with the ends given backwards", {"abcdef"}, [](TLines& l) { l.RemoveText({4, 0}, {1, 0}); return TPoint{}; },
       {"aef"}, {}, {1}, {true}},
      {"split in the middle", {"abcd"}, [](TLines& l) { l.SplitLine(0, 2); return TPoint{}; },
       {"ab", "cd"}, {}, {1, 0}, {true, true}},
      {"split at column 0 inserts before", {"abcd"}, [](TLines& l) { l.SplitLine(0, 0); return TPoint{}; },
       {"", "abcd"}, {}, {0, 1}, {true, false}},
      {"split at the end inserts after", {"abcd"}, [](TLines& l) { l.SplitLine(0, 4); return TPoint{}; },
       {"abcd", ""}, {}, {1, 0}, {false, true}},
      {"join two lines", {"ab", "cd"}, [](TLines& l) { l.JoinLines(0); return TPoint{}; },
       {"abcd"}, {}, {1}, {true}},
      {"join an empty line removes it", {"", "cd"}, [](TLines& l) { l.JoinLines(0); return TPoint{}; },
       {"cd"}, {}, {2}, {false}},
      {"join before an empty line removes that", {"ab", ""}, [](TLines& l) { l.JoinLines(0); return TPoint{}; },
       {"ab"}, {}, {1}, {false}},
  };
  return cases;
}

// Every operation on plain lines and on lines that refer to a source: the same text, the same
// lines keeping their values, one notification, the source untouched.
TEST(LinesEditing, OperationsOnOwnAndReferencedLines) {
  for (bool referenced : {false, true}) {
    for (const EditCase& c : EditCases()) {
      SCOPED_TRACE(std::string(c.name) + (referenced ? " (referenced)" : ""));
      FakeEditor ed;
      TLines lines(&ed);
      std::shared_ptr<VectorSource> source;
      if (referenced)
        source = FillByReference(lines, c.before);
      else
        lines.Assign(c.before);
      for (int i = 0; i < lines.Count(); ++i) lines.GetLineObj(i).Tag = i + 1;
      int changes = 0;
      lines.OnChange = [&](TLines*) { ++changes; };
      const TPoint end = c.edit(lines);
      EXPECT_EQ(lines.ToVector(), c.after);
      if (!(c.end == TPoint{})) EXPECT_EQ(end, c.end);
      EXPECT_EQ(changes, 1);
      EXPECT_TRUE(lines.Modified());
      for (int i = 0; i < lines.Count(); ++i) {
        EXPECT_EQ(lines.GetLineObj(i).Tag, c.tags[static_cast<std::size_t>(i)]) << "line " << i;
        EXPECT_EQ(lines.GetLineObj(i).Modified, c.modified[static_cast<std::size_t>(i)]) << "line " << i;
      }
      ExpectStarts(lines);
      if (source) EXPECT_EQ(source->lines, c.before);
    }
  }
}

TEST(LinesEditing, LinesOutsideTheStoreFailBeforeAnyChange) {
  TLines lines(nullptr);
  lines.Assign(std::vector<std::string>{"ab", "cd"});
  EXPECT_EQ(ErrorOf([&] { lines.InsertText({0, 2}, "x"); }), "List index out of bounds (2)");
  EXPECT_EQ(ErrorOf([&] { lines.RemoveText({0, 0}, {0, 5}); }), "List index out of bounds (5)");
  EXPECT_EQ(ErrorOf([&] { lines.SplitLine(-1, 0); }), "List index out of bounds (-1)");
  EXPECT_EQ(ErrorOf([&] { lines.JoinLines(1); }), "List index out of bounds (2)");
  EXPECT_EQ(lines.Text(), "ab\r\ncd");
  EXPECT_FALSE(lines.Modified());
}

// A text inserted from the store's own lines is read before the store changes.
TEST(LinesEditing, InsertingALineOfTheStoreItself) {
  TLines lines(nullptr);
  lines.Assign(std::vector<std::string>{"short", std::string(100, 'L')});
  lines.InsertText({2, 0}, lines.Get(1));
  lines.Insert(0, lines.Get(1));
  lines.Put(1, lines.Get(1).substr(1));
  EXPECT_EQ(lines.Get(0), std::string(100, 'L'));
  EXPECT_EQ(lines.Get(1), "h" + std::string(100, 'L') + "ort");
}

}  // namespace
