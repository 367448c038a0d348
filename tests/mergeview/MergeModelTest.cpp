// The merge view's model: the result as the engine gives it, takes and edits with their undo,
// the aligned rows, saving in the result's format.
#include <gtest/gtest.h>

#include <algorithm>

#include "LibWriter.h"
#include "MergeTestSupport.h"
#include "mergeview/MergeModel.h"
#include "platform/FileSys.h"

namespace {

using namespace mergeview;
using Lines = std::vector<std::string>;
using namespace std::string_literals;

merge::TMergeFile File(const std::string& name, const std::string& bytes) { return {name, bytes}; }

TMergeModel Model(const std::string& ours, const std::string& base, const std::string& theirs, bool bySection = false) {
  return TMergeModel(File("ours.txt", ours), File("base.txt", base), File("theirs.txt", theirs), "merged.txt", bySection);
}

Lines Split(const std::string& text) {
  Lines lines;
  platform::SplitLines(text, lines);
  return lines;
}

// Every case of the engine's tests, by line and by section: the conflicts the engine leaves are
// the conflicts to settle, and a clean merge is the engine's result line for line.
TEST(MergeModel, StartsAsTheEnginesMergeOfEveryCase) {
  for (const mergetest::TCase& c : mergetest::Cases()) {
    for (const char* style : {"diff3", "section"}) {
      const auto expected = std::find_if(c.Expected.begin(), c.Expected.end(), [&](const auto& e) { return e.first == style; });
      if (expected == c.Expected.end()) continue;
      SCOPED_TRACE(c.Name + " " + style);
      const TMergeModel m(c.Ours, c.Base, c.Theirs, c.Ours.Name, std::string(style) == "section");
      const Lines want = Split(platform::DecodeText(platform::ReadFileBytes(expected->second)));
      const int markers = static_cast<int>(std::count_if(want.begin(), want.end(), [](const std::string& l) { return l.rfind("<<<<<<< ours", 0) == 0; }));
      EXPECT_EQ(m.ConflictsLeft(), markers);
      if (markers == 0) {
        EXPECT_EQ(m.Result(), want);
      }
      // Chunks cover the result without gap; rows show every line of every text once, in order.
      std::int32_t at = 0;
      for (const TChunk& k : m.Chunks()) {
        EXPECT_EQ(k.Start, at);
        at += k.Count;
      }
      EXPECT_EQ(at, static_cast<std::int32_t>(m.Result().size()));
      for (int part : {Ours, Base, Theirs}) {
        std::int32_t next = 0;
        for (const TRow& r : m.Rows()) {
          const std::int32_t line = r.Line[static_cast<std::size_t>(part)];
          if (line >= 0) {
            EXPECT_EQ(line, next++);
          }
        }
        EXPECT_EQ(next, static_cast<std::int32_t>(m.Text(static_cast<TPart>(part)).size()));
      }
    }
  }
}

TEST(MergeModel, EachTakeSettlesAndUndoPutsTheConflictBack) {
  struct TCase {
    const char* Name;
    TTake How;
    Lines Want;
  } cases[] = {
      {"side 1", TTake::Ours, {"a", "one", "z"}},
      {"side 2", TTake::Theirs, {"a", "two", "2b", "z"}},
      {"side 1 then side 2", TTake::OursThenTheirs, {"a", "one", "two", "2b", "z"}},
      {"side 2 then side 1", TTake::TheirsThenOurs, {"a", "two", "2b", "one", "z"}},
      {"the base", TTake::Base, {"a", "m", "z"}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TMergeModel m = Model("a\none\nz\n", "a\nm\nz\n", "a\ntwo\n2b\nz\n");
    const Lines unsettled{"a", "m", "z"};  // a conflict holds the base, never markers
    ASSERT_EQ(m.Result(), unsettled);
    const int conflict = m.Next(-1, 1, true);
    ASSERT_GE(conflict, 0);
    EXPECT_EQ(m.ConflictsLeft(), 1);
    m.Take(conflict, c.How);
    EXPECT_EQ(m.Result(), c.Want);
    EXPECT_EQ(m.ConflictsLeft(), 0);
    const TResultEdit undone = m.Undo();
    EXPECT_EQ(m.Result(), unsettled);
    EXPECT_EQ(m.ConflictsLeft(), 1);
    EXPECT_EQ(undone.Start, 1);
    m.Redo();
    EXPECT_EQ(m.Result(), c.Want);
    EXPECT_EQ(m.ConflictsLeft(), 0);
  }
}

TEST(MergeModel, ChangesWithoutConflictAreTakenAndNavigable) {
  // Side 1 changes b, side 2 changes d, both change f alike, and g conflicts.
  TMergeModel m = Model("a\nB\nc\nd\ne\nF\nh\ng1\n", "a\nb\nc\nd\ne\nf\nh\ng\n", "a\nb\nc\nD\ne\nF\nh\ng2\n");
  EXPECT_EQ(m.Result(), (Lines{"a", "B", "c", "D", "e", "F", "h", "g"}));
  std::vector<TChunkKind> changes;
  for (int i = m.Next(-1, 1, false); i >= 0; i = m.Next(i, 1, false)) changes.push_back(m.Chunks()[static_cast<std::size_t>(i)].Kind);
  EXPECT_EQ(changes, (std::vector<TChunkKind>{TChunkKind::Ours, TChunkKind::Theirs, TChunkKind::Both, TChunkKind::Conflict}));
  const int last = static_cast<int>(m.Chunks().size()) - 1;
  EXPECT_EQ(m.Next(last + 1, -1, true), m.Next(-1, 1, true));
  EXPECT_EQ(m.Next(m.Next(-1, 1, true), 1, true), -1);
  // A row of a one-sided change holds the lines of all three texts, side by side.
  const TChunk& theirs = m.Chunks()[static_cast<std::size_t>(m.Next(m.Next(-1, 1, false), 1, false))];
  EXPECT_EQ(m.Rows()[static_cast<std::size_t>(theirs.FirstRow)].Line, (std::array<std::int32_t, 3>{3, 3, 3}));
  EXPECT_EQ(m.Rows()[static_cast<std::size_t>(theirs.FirstRow)].Kind, TChunkKind::Theirs);
  // A text that is no export is merged by line under the by-section option, without a word.
  const TMergeModel plain = Model("a\nx\n", "a\n", "a\ny\n", true);
  EXPECT_FALSE(plain.Structured());
  EXPECT_EQ(plain.Notice(), "");
  EXPECT_EQ(plain.ConflictsLeft(), 1);
}

TEST(MergeModel, EditsByHandMoveTheChunksAndSettleWhatTheyTouch) {
  // Both sides add a line after a: an empty conflict at line 1; side 1 changes y.
  const std::string ours = "a\nx1\nb\nY\n", base = "a\nb\ny\n", theirs = "a\nx2\nb\ny\n";
  struct TCase {
    const char* Name;
    TResultEdit Edit;
    Lines Want;
    int ConflictsLeft;
    std::int32_t LastChunkStart;  // side 1's change of y, moved by the edit
  } cases[] = {
      {"typed into the empty conflict", {1, 0, {"mine"}}, {"a", "mine", "b", "Y"}, 0, 3},
      {"a line of the unchanged part changed", {0, 1, {"A"}}, {"A", "b", "Y"}, 1, 2},
      {"a line added at the end", {3, 0, {"end"}}, {"a", "b", "Y", "end"}, 1, 2},
      {"lines across the conflict removed", {0, 2, {}}, {"Y"}, 0, 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TMergeModel m = Model(ours, base, theirs);
    ASSERT_EQ(m.Result(), (Lines{"a", "b", "Y"}));
    ASSERT_EQ(m.ConflictsLeft(), 1);
    Lines text = m.Result();
    text.erase(text.begin() + c.Edit.Start, text.begin() + c.Edit.Start + c.Edit.Removed);
    text.insert(text.begin() + c.Edit.Start, c.Edit.Lines.begin(), c.Edit.Lines.end());
    const std::optional<TResultEdit> found = m.EditTo(text);
    ASSERT_TRUE(found);
    EXPECT_EQ(m.Result(), c.Want);
    EXPECT_EQ(m.ConflictsLeft(), c.ConflictsLeft);
    EXPECT_EQ(m.Chunks().back().Start, c.LastChunkStart);
    EXPECT_EQ(m.Chunks().back().Lines[Ours], Lines{"Y"});
    m.Undo();
    EXPECT_EQ(m.Result(), (Lines{"a", "b", "Y"}));
    EXPECT_EQ(m.ConflictsLeft(), 1);
    EXPECT_FALSE(m.EditTo(m.Result()));
  }
}

TEST(MergeModel, SavesInSideOnesEncodingAndLineEnds) {
  testsupport::TTempDir dir;
  struct TCase {
    const char* Name;
    std::string Ours, Base, Theirs, Want;
  } cases[] = {
      {"UTF-8 with a mark, CR LF, no final break", "\xEF\xBB\xBF" "a\r\nm\r\nb1", "a\nm\nb", "A\nm\nb",
       "\xEF\xBB\xBF" "A\r\nm\r\nb1"},
      {"code page text keeps its bytes", "\xD6\xD0\r\nx\r\nk\r\n", "\xD6\xD0\r\ny\r\nk\r\n",
       "\xD6\xD0\r\ny\r\nk\r\nz\r\n", "\xD6\xD0\r\nx\r\nk\r\nz\r\n"},
      {"an ASCII side 1 takes on side 2's UTF-8", "a\nm\nb1\n", "a\nm\nb\n", "\xC3\xA9\nm\nb\n", "\xC3\xA9\nm\nb1\n"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const TMergeModel m = Model(c.Ours, c.Base, c.Theirs);
    ASSERT_EQ(m.ConflictsLeft(), 0);
    const std::filesystem::path out = dir.Path() / "out.txt";
    m.Save(out);
    EXPECT_EQ(platform::ReadFileBytes(out), c.Want);
  }
  EXPECT_THROW(Model("a\0b"s, "a", "b"), merge::TMergeError);
}

}  // namespace
