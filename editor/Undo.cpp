#include "editor/Undo.h"

#include <algorithm>

namespace editor {

// Sets Busy for the length of one replay, also when the replay throws.
class TUndo::TBusyGuard {
 public:
  explicit TBusyGuard(bool& busy) : busy_(busy), old_(busy) { busy_ = true; }
  ~TBusyGuard() { busy_ = old_; }
  TBusyGuard(const TBusyGuard&) = delete;
  TBusyGuard& operator=(const TBusyGuard&) = delete;

 private:
  bool& busy_;
  bool old_;
};

TUndo::TUndo(TUndoHost* editor) : editor_(editor) {}

void TUndo::SetLimit(std::int32_t limit) {
  limit_ = std::max<std::int32_t>(0, limit);
  if (Count() > limit_) {
    items_.erase(items_.begin(), items_.begin() + (Count() - limit_));
    position_ = std::min(position_, Count());
  }
}

void TUndo::Add(const TUndoItem& item) {
  if (busy_ || limit_ == 0) return;
  if (position_ < Count()) items_.erase(items_.begin() + std::max(0, position_), items_.end());
  if (Count() < limit_) {
    items_.push_back(item);
  } else {
    // Full: the oldest slot moves to the end and is reused.
    std::rotate(items_.begin(), items_.begin() + 1, items_.end());
    items_.back() = item;
  }
  position_ = Count();
}

void TUndo::Clear() {
  items_.clear();
  position_ = 0;
}

bool TUndo::Undo() {
  if (items_.empty() || position_ < 1) return false;
  {
    TBusyGuard guard(busy_);
    for (;;) {
      position_ = std::min(position_, Count()) - 1;
      const TUndoItem& r = items_[static_cast<std::size_t>(position_)];
      UndoOne(r);
      // A deletion followed by an insertion (paste over a selection, a moved selection, a
      // replacement) is taken back in one step.
      if (r.Kind == ukInsertBlock && position_ > 0 &&
          items_[static_cast<std::size_t>(position_ - 1)].Kind == ukDeleteBlock)
        continue;
      break;
    }
  }
  editor_->UndoReplayed();
  return true;
}

void TUndo::UndoOne(const TUndoItem& r) {
  switch (r.Kind) {
    case ukTypeChar:
      editor_->UndoSetSelAnchor(r.Offset);
      editor_->UndoSetCaretOffset(r.Offset);
      editor_->UndoSetCaretPos(r.Pos);
      editor_->ProcessChar(7);
      editor_->MoveCaretTo(r.Pos);
      editor_->UndoSetSelAnchor(r.Offset);
      break;
    case ukDeleteChar:
      editor_->UndoSetSelAnchor(r.Offset);
      editor_->UndoSetCaretOffset(r.Offset);
      editor_->UndoSetCaretPos(r.Pos);
      // The removed character is typed back; a CR re-creates the line break. A double-byte
      // character goes in whole, so the caret never stands between its two bytes.
      if (r.Text.size() > 1)
        editor_->InsertText(r.Text);
      else
        editor_->ProcessChar(r.Text.empty() ? 0 : static_cast<std::uint8_t>(r.Text[0]));
      if (!r.Input.empty() && r.Input[0] == 7) {
        editor_->MoveCaretTo(r.Pos);
        editor_->UndoSetSelAnchor(r.Offset);
      }
      break;
    case ukDeleteBlock:
      editor_->UndoSetSelAnchor(r.EndOffset);
      editor_->UndoSetCaretOffset(r.EndOffset);
      editor_->UndoSetCaretPos(r.EndPos);
      editor_->InsertText(r.Text);
      break;
    case ukInsertBlock:
      editor_->UndoSetSelAnchor(r.Offset);
      editor_->UndoSetCaretOffset(r.AfterOffset);
      editor_->DeleteSelection();
      break;
  }
}

bool TUndo::Redo() {
  if (items_.empty() || position_ >= Count()) return false;
  {
    TBusyGuard guard(busy_);
    for (;;) {
      const TUndoItem& r = items_[static_cast<std::size_t>(position_)];
      RedoOne(r);
      // The insertion that followed a deletion is repeated with it.
      if (r.Kind == ukDeleteBlock && position_ + 1 < Count() &&
          items_[static_cast<std::size_t>(position_ + 1)].Kind == ukInsertBlock) {
        ++position_;
        continue;
      }
      break;
    }
  }
  editor_->UndoReplayed();
  ++position_;
  return true;
}

void TUndo::RedoOne(const TUndoItem& r) {
  switch (r.Kind) {
    case ukTypeChar:
      editor_->UndoSetSelAnchor(r.Offset);
      editor_->UndoSetCaretOffset(r.Offset);
      editor_->UndoSetCaretPos(r.Pos);
      editor_->ProcessChar(r.Input.empty() ? 0 : static_cast<std::uint8_t>(r.Input[0]));
      break;
    case ukDeleteChar:
      editor_->UndoSetSelAnchor(r.Offset);
      editor_->UndoSetCaretOffset(r.Offset);
      editor_->UndoSetCaretPos(r.Pos);
      editor_->ProcessChar(7);
      break;
    case ukDeleteBlock:
      editor_->UndoSetSelAnchor(r.AnchorOffset);
      editor_->UndoSetCaretOffset(r.Offset);
      editor_->DeleteSelection();
      break;
    case ukInsertBlock:
      editor_->UndoSetCaretPos(r.Pos);
      editor_->UndoSetSelAnchor(r.Offset);
      editor_->UndoSetCaretOffset(r.Offset);
      editor_->InsertText(r.Input);
      break;
  }
}

}  // namespace editor
