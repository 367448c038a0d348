// TEditCore: the editing core of one pane, without a window. It owns the line store, the undo
// buffer, the caret and the selection, and turns keys and commands into store operations with
// their undo records: typing, Enter, Delete and Backspace, deleting and inserting a block, moving
// a dragged selection, caret moves, undo and redo.
//
// The pane that shows the core learns what changed through TEditView; the core also runs without
// one, which is how its tests drive it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "editor/Lines.h"
#include "editor/Undo.h"

namespace editor {

// What the core tells the pane that shows it, besides the store's own notifications.
class TEditView : public TLinesHost {
 public:
  // The caret's point was recomputed: place the caret bar, repaint a changed caret line.
  virtual void EditCaretMoved() = 0;
  virtual void EditScrollCaretIntoView() = 0;
  // Report the caret and the selection to the pane's owner, if they changed.
  virtual void EditCaretPtChange() = 0;
  virtual void EditSelectionChange() = 0;
  // An undo or redo step was replayed: repaint and report.
  virtual void EditReplayed() = 0;
};

class TEditCore : public TUndoHost, private TLinesHost {
 public:
  // The column value that stands for "end of the line".
  static constexpr std::int32_t kLineEnd = 65535;

  // `view` may be null.
  explicit TEditCore(TEditView* view = nullptr);
  ~TEditCore() override;
  TEditCore(const TEditCore&) = delete;
  TEditCore& operator=(const TEditCore&) = delete;

  TLines& Lines() { return lines_; }
  const TLines& Lines() const { return lines_; }
  TUndo& UndoBuffer() { return undo_; }
  const TUndo& UndoBuffer() const { return undo_; }
  // A read-only core changes no text; caret moves, selection and copying work.
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value) { readOnly_ = value; }

  // ---- Caret and selection ---------------------------------------------------------------
  // The caret is the moving end of the selection, the anchor the fixed one; both are offsets
  // in the text (2 per line break). The caret's point is CaretPos.
  TPoint CaretPos() const { return caretPos_; }
  std::int32_t CaretOffset() const { return caretOffset_; }
  std::int32_t SelAnchor() const { return selAnchor_; }
  std::int32_t PreferredCol() const { return preferredCol_; }
  std::int32_t SelStart() const;
  std::int32_t SelLength() const;
  bool HasSelection() const { return selAnchor_ != caretOffset_; }
  // The selected text, its lines joined by CR LF; its length is SelLength.
  std::string SelText() const;

  std::int32_t PointToOffset(TPoint p) const;
  TPoint OffsetToPoint(std::int32_t offset) const;

  // Clamps the caret into the text, off the inside of a double-byte character, and recomputes
  // its offset (the anchor stays).
  void UpdateCaret();
  // The caret to `p`, its column kept for vertical moves; `collapse` empties the selection there.
  void SetCaretPos(TPoint p, bool collapse);
  void MoveCaretTo(TPoint p) override;
  // The anchor or the caret offset alone, for callers that place the other end themselves (a
  // dragged selection keeps its offsets while the caret shows the drop point).
  void SetSelAnchor(std::int32_t offset) { selAnchor_ = offset; }
  void SetCaretOffset(std::int32_t offset) { caretOffset_ = offset; }
  void SetSelStart(std::int32_t value);
  void SetSelLength(std::int32_t value);
  void SelectAll();
  // Selects the word of ASCII letters and digits under `p`; nothing elsewhere.
  void SelectWordAt(TPoint p);

  // Caret moves of the keyboard; `extend` keeps the anchor (Shift).
  void MoveToLine(std::int32_t y, bool extend);
  void MoveToCol(std::int32_t x, bool wrap, bool extend);
  void WordRight(bool extend);
  void WordLeft(bool extend);

  // ---- Editing -----------------------------------------------------------------------------
  // Applies one character code: 7 delete forward, 8 backspace, 9 tab, 13 Enter, 32 … 255 a byte.
  void ProcessChar(std::uint8_t c) override;
  // Replaces the selection by `text` (lines split at CR LF, CR or LF).
  void InsertText(const std::string& text) override;
  void DeleteSelection() override;
  // Moves the selected text to the caret, which shows the drop point; nothing when the caret
  // stands inside the selection or on one of its ends.
  void MoveSelectionToCaret();
  void Undo();
  void Redo();
  bool CanUndo() const { return undo_.CanUndo(); }
  bool CanRedo() const { return undo_.CanRedo(); }

  // ---- Characters of a code-page line --------------------------------------------------------
  // The start of the character that covers byte column `col`.
  static std::int32_t SnapToChar(std::string_view line, std::int32_t col);
  // The column of the character before / after the one at `col` (one step past either end).
  static std::int32_t PrevCharCol(std::string_view line, std::int32_t col);
  static std::int32_t NextCharCol(std::string_view line, std::int32_t col);

 private:
  // TLinesHost, forwarded to the view
  TColor LinesColor() const override;
  std::int32_t LinesMaxLineLen() const override;
  void SetLinesMaxLineLen(std::int32_t value) override;
  void LinesCleared() override;
  void LinesUpdateScrollBars() override;
  void LinesUpdateGutter() override;
  void LinesInvalidate() override;
  bool LinesHostDestroying() const override;
  void LinesClearUndo() override { undo_.Clear(); }
  // TUndoHost
  void UndoSetSelAnchor(std::int32_t offset) override { selAnchor_ = offset; }
  void UndoSetCaretOffset(std::int32_t offset) override { caretOffset_ = offset; }
  void UndoSetCaretPos(TPoint pos) override { caretPos_ = pos; }
  void UndoReplayed() override;

  // The steps of ProcessChar; false when the key changed nothing at all.
  bool DeleteForward(TUndoItem& rec);
  bool DeleteBackward(TUndoItem& rec);
  void BreakLine(TUndoItem& rec);
  void TypeChar(std::uint8_t c, TUndoItem& rec);
  void EnsureLine();
  void DeleteEverything(TUndoItem& rec);
  void EndMove(bool extend);
  void ScrollCaretIntoView();
  void ReportCaret();
  void ReportSelection();

  TEditView* view_;
  TPoint caretPos_;
  std::int32_t preferredCol_ = 0;
  std::int32_t selAnchor_ = 0;
  std::int32_t caretOffset_ = 0;
  std::int32_t ownMaxLineLen_ = 160;
  bool readOnly_ = false;
  // Set while an editing step empties the store itself, so that the undo records survive.
  bool ownClear_ = false;
  TUndo undo_{this};
  TLines lines_{this};  // last: its construction already reports to the members above
};

}  // namespace editor
