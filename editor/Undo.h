// TUndo: the bounded list of editing steps of one pane, with a position separating what can be
// undone from what can be redone.
//
// The editing primitives of the pane write the records; Undo and Redo replay them by calling those
// same primitives through TUndoHost, while Busy keeps the replay from writing new records.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "editor/Lines.h"

namespace editor {

enum TUndoKind : std::uint8_t {
  ukTypeChar = 0,     // a typed character, Enter (13) or Tab (9)
  ukDeleteChar = 1,   // one character or line break removed by Delete (7) or Backspace (8)
  ukDeleteBlock = 2,  // the selection deleted
  ukInsertBlock = 3,  // a text inserted (paste, drop, replace)
};

struct TUndoItem {
  TUndoKind Kind = ukTypeChar;
  TPoint Pos;                    // caret before the step; ukDeleteChar: point of the removed char
  std::int32_t Offset = 0;       // caret offset before the step
  std::int32_t AnchorOffset = 0; // ukDeleteBlock: selection anchor before the deletion
  TPoint EndPos;                 // caret after the step (ukTypeChar, ukDeleteBlock)
  std::int32_t EndOffset = 0;    // ukDeleteBlock: offset where the removed text stood
  std::int32_t AfterOffset = 0;  // caret offset after the step (ukTypeChar, ukInsertBlock)
  std::string Text;              // removed character ("\r" for a line break) or removed block
  std::string Input;             // typed character, deleting key (7 or 8), or inserted text
};

// The editing primitives and caret state the replay works through.
class TUndoHost {
 public:
  virtual ~TUndoHost() = default;
  virtual void UndoSetSelAnchor(std::int32_t offset) = 0;
  virtual void UndoSetCaretOffset(std::int32_t offset) = 0;
  virtual void UndoSetCaretPos(TPoint pos) = 0;
  virtual void ProcessChar(std::uint8_t c) = 0;
  virtual void MoveCaretTo(TPoint pos) = 0;
  virtual void InsertText(const std::string& text) = 0;
  virtual void DeleteSelection() = 0;
  // After a step was replayed: repaint and report caret and selection changes.
  virtual void UndoReplayed() = 0;
};

class TUndo {
 public:
  static constexpr std::int32_t kDefaultLimit = 100;

  explicit TUndo(TUndoHost* editor);
  TUndo(const TUndo&) = delete;
  TUndo& operator=(const TUndo&) = delete;

  // Records one step; ignored while a step is being replayed. Drops the redo tail; when full,
  // forgets the oldest step.
  void Add(const TUndoItem& item);
  void Clear();
  bool Undo();
  bool Redo();

  bool CanUndo() const { return !items_.empty() && position_ > 0; }
  bool CanRedo() const { return !items_.empty() && position_ < Count(); }

  std::int32_t Position() const { return position_; }
  std::int32_t Limit() const { return limit_; }
  void SetLimit(std::int32_t limit);
  int Count() const { return static_cast<int>(items_.size()); }
  const TUndoItem& Item(int index) const { return items_.at(static_cast<std::size_t>(index)); }
  bool Busy() const { return busy_; }

 private:
  class TBusyGuard;
  void UndoOne(const TUndoItem& r);
  void RedoOne(const TUndoItem& r);

  TUndoHost* editor_;
  std::int32_t position_ = 0;
  std::int32_t limit_ = kDefaultLimit;
  std::vector<TUndoItem> items_;
  bool busy_ = false;
};

}  // namespace editor
