#include <gtest/gtest.h>

#include <stdexcept>

#include "editor/Undo.h"

using editor::TPoint;
using editor::TUndo;
using editor::TUndoHost;
using editor::TUndoItem;
using editor::TUndoKind;
using editor::ukDeleteBlock;
using editor::ukDeleteChar;
using editor::ukInsertBlock;
using editor::ukTypeChar;

namespace {

// Records which primitive each replay called, and tries to write records while replaying.
struct FakeEditor : TUndoHost {
  TUndo* undo = nullptr;
  std::string log;
  bool failInsert = false;
  void UndoSetSelAnchor(std::int32_t o) override { log += "A" + std::to_string(o) + " "; }
  void UndoSetCaretOffset(std::int32_t o) override { log += "O" + std::to_string(o) + " "; }
  void UndoSetCaretPos(TPoint p) override { log += "P" + std::to_string(p.X) + "," + std::to_string(p.Y) + " "; }
  void ProcessChar(std::uint8_t c) override {
    log += "char" + std::to_string(c) + " ";
    undo->Add(TUndoItem{});  // the primitives write records; replay must ignore them
  }
  void MoveCaretTo(TPoint p) override { log += "move" + std::to_string(p.X) + "," + std::to_string(p.Y) + " "; }
  void InsertText(const std::string& t) override {
    if (failInsert) throw std::runtime_error("TLines.GetLineObj() - index out of bounds.");
    log += "insert[" + t + "] ";
  }
  void DeleteSelection() override { log += "delete "; }
  void UndoReplayed() override { log += "| "; }
};

TUndoItem Item(TUndoKind kind, std::int32_t offset, std::string input = "x") {
  TUndoItem r;
  r.Kind = kind;
  r.Offset = offset;
  r.AfterOffset = offset + 1;
  r.Input = std::move(input);
  return r;
}

struct UndoTest : ::testing::Test {
  FakeEditor ed;
  TUndo undo{&ed};
  void SetUp() override { ed.undo = &undo; }
};

TEST_F(UndoTest, KeepsOnlyTheLastHundredSteps) {
  for (int i = 0; i < 101; ++i) undo.Add(Item(ukTypeChar, i));
  EXPECT_EQ(undo.Count(), 100);
  EXPECT_EQ(undo.Item(0).Offset, 1);
  EXPECT_EQ(undo.Item(99).Offset, 100);
  int undone = 0;
  while (undo.CanUndo()) {
    ASSERT_TRUE(undo.Undo());
    ++undone;
  }
  EXPECT_EQ(undone, 100);
  EXPECT_FALSE(undo.Undo());
  EXPECT_EQ(undo.Count(), 100);  // replay wrote nothing
}

TEST_F(UndoTest, NewStepDropsTheRedoTail) {
  undo.Add(Item(ukTypeChar, 0, "a"));
  undo.Add(Item(ukTypeChar, 1, "b"));
  undo.Add(Item(ukTypeChar, 2, "c"));
  undo.Undo();
  undo.Undo();
  EXPECT_TRUE(undo.CanRedo());
  undo.Add(Item(ukTypeChar, 1, "d"));
  EXPECT_FALSE(undo.CanRedo());
  EXPECT_EQ(undo.Count(), 2);
  EXPECT_EQ(undo.Item(1).Input, "d");
}

TEST_F(UndoTest, EmptyBufferDoesNothing) {
  EXPECT_FALSE(undo.Undo());
  EXPECT_FALSE(undo.Redo());
  EXPECT_FALSE(undo.CanUndo());
  EXPECT_EQ(ed.log, "");
}

TEST_F(UndoTest, ReplacementIsUndoneAndRedoneAsOneStep) {
  TUndoItem del = Item(ukDeleteBlock, 4);
  del.AnchorOffset = 1;
  del.EndOffset = 1;
  del.EndPos = {1, 0};
  del.Text = "old";
  undo.Add(del);
  TUndoItem ins = Item(ukInsertBlock, 1, "new");
  ins.AfterOffset = 4;
  undo.Add(ins);

  ASSERT_TRUE(undo.Undo());
  EXPECT_EQ(ed.log, "A1 O4 delete A1 O1 P1,0 insert[old] | ");
  EXPECT_EQ(undo.Position(), 0);
  EXPECT_FALSE(undo.CanUndo());

  ed.log.clear();
  ASSERT_TRUE(undo.Redo());
  EXPECT_EQ(ed.log, "A1 O4 delete P0,0 A1 O1 insert[new] | ");
  EXPECT_EQ(undo.Position(), 2);
  EXPECT_FALSE(undo.CanRedo());
}

TEST_F(UndoTest, DeletedCharacterComesBackBeforeTheCaretAfterDeleteForward) {
  TUndoItem r = Item(ukDeleteChar, 3, std::string(1, '\x07'));
  r.Pos = {3, 0};
  r.Text = "\r";
  undo.Add(r);
  undo.Undo();
  EXPECT_EQ(ed.log, "A3 O3 P3,0 char13 move3,0 A3 | ");
  ed.log.clear();
  undo.Redo();
  EXPECT_EQ(ed.log, "A3 O3 P3,0 char7 | ");
}

TEST_F(UndoTest, FailedReplayClearsBusyAndKeepsPosition) {
  TUndoItem del = Item(ukDeleteBlock, 0);
  del.Text = "gone";
  undo.Add(del);
  ed.failInsert = true;
  EXPECT_THROW(undo.Undo(), std::runtime_error);
  EXPECT_FALSE(undo.Busy());
  EXPECT_EQ(undo.Position(), 0);
  undo.Add(Item(ukTypeChar, 0));
  EXPECT_EQ(undo.Count(), 1);
}

TEST_F(UndoTest, ClearEmptiesTheBuffer) {
  undo.Add(Item(ukTypeChar, 0));
  undo.Clear();
  EXPECT_FALSE(undo.CanUndo());
  EXPECT_FALSE(undo.CanRedo());
  undo.Add(Item(ukTypeChar, 0));
  EXPECT_EQ(undo.Position(), 1);
}

}  // namespace
