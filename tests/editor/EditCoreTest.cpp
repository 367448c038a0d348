#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "editor/EditCore.h"
#include "platform/CodePage.h"

using editor::TEditCore;
using editor::TLineSource;
using editor::TPoint;
using editor::TUndoItem;
using editor::ukDeleteBlock;
using editor::ukDeleteChar;
using editor::ukTypeChar;

namespace {

using Text = std::vector<std::string>;

struct VectorSource : TLineSource {
  Text lines;
  explicit VectorSource(Text l) : lines(std::move(l)) {}
  std::int32_t Count() const override { return static_cast<std::int32_t>(lines.size()); }
  std::string_view Line(std::int32_t i) const override { return lines[static_cast<std::size_t>(i)]; }
};

const std::string kZh = platform::Utf8ToCodePage("中文");  // two double-byte characters
const std::string kZhFirst = kZh.substr(0, 2);
const std::string kZhSecond = kZh.substr(2);

void Type(TEditCore& c, const std::string& keys) {
  for (char k : keys) c.ProcessChar(static_cast<std::uint8_t>(k));
}

// Selects from `from` to `to` (the caret at `to`).
void Select(TEditCore& c, TPoint from, TPoint to) {
  c.SetCaretPos(from, true);
  c.SetCaretPos(to, false);
}

struct EditCase {
  const char* name;
  Text before;
  TPoint caret;
  std::function<void(TEditCore&)> edit;
  Text after;
  TPoint caretAfter;
};

const std::vector<EditCase>& Cases() {
  static const std::vector<EditCase> cases = {
      {"typing in a line", {"ab"}, {1, 0}, [](TEditCore& c) { Type(c, "xy\t"); }, {"axy\tb"}, {4, 0}},
      {"typing a byte from 0x80 up", {"ab"}, {2, 0}, [](TEditCore& c) { Type(c, "\xD6\xD0"); }, {"ab" + kZhFirst}, {4, 0}},
      {"Enter at the start", {"ab"}, {0, 0}, [](TEditCore& c) { Type(c, "\r"); }, {"", "ab"}, {0, 1}},
      {"Enter in the middle", {"abcd"}, {2, 0}, [](TEditCore& c) { Type(c, "\r"); }, {"ab", "cd"}, {0, 1}},
      {"Enter at the end", {"ab"}, {2, 0}, [](TEditCore& c) { Type(c, "\r"); }, {"ab", ""}, {0, 1}},
      {"Enter over a selection", {"abcd"}, {1, 0}, [](TEditCore& c) { Select(c, {1, 0}, {3, 0}); Type(c, "\r"); }, {"a", "d"}, {0, 1}},
      {"Delete inside a line", {"abc"}, {1, 0}, [](TEditCore& c) { Type(c, "\x07"); }, {"ac"}, {1, 0}},
      {"Delete at a line end joins", {"ab", "cd"}, {2, 0}, [](TEditCore& c) { Type(c, "\x07"); }, {"abcd"}, {2, 0}},
      {"Delete on an empty line", {"", "cd"}, {0, 0}, [](TEditCore& c) { Type(c, "\x07"); }, {"cd"}, {0, 0}},
      {"Delete at the end of the text", {"ab"}, {2, 0}, [](TEditCore& c) { Type(c, "\x07"); }, {"ab"}, {2, 0}},
      {"Delete takes a double-byte character whole", {kZh + "x"}, {2, 0}, [](TEditCore& c) { Type(c, "\x07"); }, {kZhFirst + "x"}, {2, 0}},
      {"Backspace inside a line", {"abc"}, {2, 0}, [](TEditCore& c) { Type(c, "\b"); }, {"ac"}, {1, 0}},
      {"Backspace at a line start joins", {"ab", "cd"}, {0, 1}, [](TEditCore& c) { Type(c, "\b"); }, {"abcd"}, {2, 0}},
      {"Backspace below an empty line", {"", "cd"}, {0, 1}, [](TEditCore& c) { Type(c, "\b"); }, {"cd"}, {0, 0}},
      {"Backspace at the start of the text", {"ab"}, {0, 0}, [](TEditCore& c) { Type(c, "\b"); }, {"ab"}, {0, 0}},
      {"Backspace takes a double-byte character whole", {kZh}, {4, 0}, [](TEditCore& c) { Type(c, "\b"); }, {kZhFirst}, {2, 0}},
      {"Backspace joins after a double-byte character", {kZh, "y"}, {0, 1}, [](TEditCore& c) { Type(c, "\b\b"); }, {kZhFirst + "y"}, {2, 0}},
      {"block delete across lines", {"abc", "def", "ghi"}, {0, 0}, [](TEditCore& c) { Select(c, {2, 2}, {1, 0}); c.DeleteSelection(); }, {"ai"}, {1, 0}},
      {"block delete from a line start", {"abc", "def"}, {0, 0}, [](TEditCore& c) { Select(c, {0, 0}, {1, 1}); Type(c, "\b"); }, {"ef"}, {0, 0}},
      {"block delete of everything", {"abc", "def"}, {0, 0}, [](TEditCore& c) { c.SelectAll(); Type(c, "\x07"); }, {}, {0, 0}},
      {"block insert of several lines", {"ab"}, {1, 0}, [](TEditCore& c) { c.InsertText("x\r\ny\nz"); }, {"ax", "y", "zb"}, {1, 2}},
      {"block insert of whole lines at column 0", {"ab"}, {0, 0}, [](TEditCore& c) { c.InsertText("x\r\n"); }, {"x", "ab"}, {0, 1}},
      {"block insert of double-byte text", {"ab"}, {1, 0}, [](TEditCore& c) { c.InsertText(kZh); }, {"a" + kZh + "b"}, {5, 0}},
      {"block insert into an empty text", {}, {0, 0}, [](TEditCore& c) { c.InsertText("x\ny"); }, {"x", "y"}, {1, 1}},
      {"typing over a selection", {"hello world"}, {0, 0}, [](TEditCore& c) { Select(c, {0, 0}, {6, 0}); Type(c, "X"); }, {"Xworld"}, {1, 0}},
      {"a dragged selection moved", {"abc def"}, {0, 0},
       [](TEditCore& c) {
         Select(c, {0, 0}, {3, 0});
         c.SetCaretPos({7, 0}, false);  // the drop point; the selection stays
         c.SetCaretOffset(3);
         c.MoveSelectionToCaret();
       },
       {" defabc"}, {7, 0}},
  };
  return cases;
}

// Fills the core with `text`, as its own lines or as references to a source.
std::shared_ptr<VectorSource> Fill(TEditCore& c, const Text& text, bool referenced) {
  if (!referenced) {
    c.Lines().Assign(text);
    return nullptr;
  }
  auto source = std::make_shared<VectorSource>(text);
  c.Lines().Clear();
  c.Lines().SetSource(source);
  for (int i = 0; i < source->Count(); ++i) c.Lines().AddRef(i);
  c.Lines().SetModified(false);
  return source;
}

// Each edit, then undo back to the start and redo forward again, on the core's own lines and on
// lines of a source, which never changes.
TEST(EditCore, EditsUndoAndRedo) {
  for (bool referenced : {false, true}) {
    for (const EditCase& k : Cases()) {
      SCOPED_TRACE(std::string(k.name) + (referenced ? " (referenced)" : ""));
      TEditCore core;
      auto source = Fill(core, k.before, referenced);
      core.MoveCaretTo(k.caret);
      k.edit(core);
      EXPECT_EQ(core.Lines().ToVector(), k.after);
      EXPECT_EQ(core.CaretPos(), k.caretAfter);
      EXPECT_EQ(core.Lines().Modified(), k.after != k.before);
      while (core.CanUndo()) core.Undo();
      EXPECT_EQ(core.Lines().ToVector(), k.before);
      while (core.CanRedo()) core.Redo();
      EXPECT_EQ(core.Lines().ToVector(), k.after);
      if (source) {
        EXPECT_EQ(source->lines, k.before);
      }
    }
  }
}

TEST(EditCore, ReadOnlyChangesNoTextAndRecordsNothing) {
  for (const EditCase& k : Cases()) {
    SCOPED_TRACE(k.name);
    TEditCore core;
    Fill(core, k.before, false);
    core.SetReadOnly(true);
    core.MoveCaretTo(k.caret);
    k.edit(core);
    EXPECT_EQ(core.Lines().ToVector(), k.before);
    EXPECT_FALSE(core.Lines().Modified());
    EXPECT_FALSE(core.CanUndo());
  }
}

// What the undo records hold for the steps the widget tests cannot see.
TEST(EditCore, RecordsOfTypingAndDeleting) {
  TEditCore core;
  core.Lines().Assign(Text{"ab", "cd"});
  core.MoveCaretTo({0, 1});
  Type(core, "\b");
  ASSERT_EQ(core.UndoBuffer().Count(), 1);
  const TUndoItem& join = core.UndoBuffer().Item(0);
  EXPECT_EQ(join.Kind, ukDeleteChar);
  EXPECT_EQ(join.Text, "\r");
  EXPECT_EQ(join.Pos, (TPoint{2, 0}));
  EXPECT_EQ(join.Offset, 2);

  Select(core, {1, 0}, {3, 0});
  Type(core, "Z");  // a block deletion, then the typed character
  ASSERT_EQ(core.UndoBuffer().Count(), 3);
  EXPECT_EQ(core.UndoBuffer().Item(1).Kind, ukDeleteBlock);
  EXPECT_EQ(core.UndoBuffer().Item(1).Text, "bc");
  const TUndoItem& typed = core.UndoBuffer().Item(2);
  EXPECT_EQ(typed.Kind, ukTypeChar);
  EXPECT_EQ(typed.Input, "Z");
  EXPECT_EQ(typed.EndPos, (TPoint{2, 0}));
  EXPECT_EQ(typed.AfterOffset, 2);
}

// Caret moves work on the core alone; the widget tests cover them through keys.
TEST(EditCore, CaretMovesAndWordSelection) {
  TEditCore core;
  core.Lines().Assign(Text{"foo_bar  baz", "x" + kZh});
  core.SelectWordAt({5, 0});
  EXPECT_EQ(core.SelText(), "bar");
  core.MoveCaretTo({1, 1});
  core.MoveToCol(TEditCore::NextCharCol(core.Lines().Get(1), 1), true, true);
  EXPECT_EQ(core.CaretPos(), (TPoint{3, 1}));
  EXPECT_EQ(core.SelText(), kZhFirst);
  core.MoveToLine(0, false);
  core.WordRight(false);
  EXPECT_EQ(core.CaretPos(), (TPoint{9, 0}));
  core.MoveCaretTo({4, 1});  // inside the second double-byte character: snapped to its start
  EXPECT_EQ(core.CaretPos(), (TPoint{3, 1}));
}

}  // namespace
