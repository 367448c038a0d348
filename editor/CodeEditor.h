// TCodeEdit: the fixed-pitch text pane of the source comparison view.
//
// A QAbstractScrollArea that paints its viewport itself: a gutter with line numbers (or the
// owner's own gutter painter), one background colour per line, a marked caret line, the selection,
// tabs shown as spaces, and scroll bars another pane can follow. The text is a TLines store of
// code-page bytes; a column is a byte, and every character is painted at its byte column times
// CharWidth, so double-byte characters take two cells whatever font draws them. Edits are recorded
// in a TUndo buffer.
//
// Painting, keyboard and mouse handling live in CodeEditorPaint.cpp and CodeEditorInput.cpp.
#pragma once

#include <QAbstractScrollArea>
#include <QFont>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "editor/Colors.h"
#include "editor/Lines.h"
#include "editor/Undo.h"

class QPainter;

class TCodeEdit : public QAbstractScrollArea, public TLinesHost, public TUndoHost {
  Q_OBJECT

 public:
  // The codes of a scroll request, as the scroll bars and the owner send them.
  enum TScrollCode {
    scLineUp = 0,
    scLineDown = 1,
    scPageUp = 2,
    scPageDown = 3,
    scPosition = 4,
    scTrack = 5,
    scTop = 6,
    scBottom = 7,
    scEndScroll = 8,
  };

  // The column value that stands for "end of the line".
  static constexpr std::int32_t kLineEnd = 65535;

  explicit TCodeEdit(QWidget* parent = nullptr);
  ~TCodeEdit() override;

  // ---- Properties -------------------------------------------------------------------------
  TColor Color() const { return color_; }
  void SetColor(TColor value);
  TColor ModifiedLineColor() const { return modifiedLineColor_; }
  void SetModifiedLineColor(TColor value);
  QFont Font() const { return font(); }
  void SetFont(const QFont& f);
  bool AutoLineNum() const { return autoLineNum_; }
  void SetAutoLineNum(bool value);
  std::int32_t GutterWidth() const { return gutterWidth_; }
  void SetGutterWidth(std::int32_t value);
  TLines& Lines() { return *lines_; }
  const TLines& Lines() const { return *lines_; }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value);
  bool WantTabs() const { return wantTabs_; }
  void SetWantTabs(bool value) { wantTabs_ = value; }

  // ---- State read by the owner --------------------------------------------------------------
  std::int32_t LeftMargin() const { return leftMargin_; }
  std::int32_t TopMargin() const { return topMargin_; }
  std::int32_t CharWidth() const { return charWidth_; }
  std::int32_t LineHeight() const { return lineHeight_; }
  std::int32_t PageRows() const { return pageRows_; }
  std::int32_t VisibleCols() const { return visibleCols_; }
  std::int32_t MaxLineLen() const { return maxLineLen_; }
  std::int32_t TabSize() const { return tabSize_; }
  std::int32_t ScrollShift() const { return scrollShift_; }
  std::int32_t TopLine() const { return topLine_; }
  std::int32_t LeftCol() const { return leftCol_; }
  TPoint CaretPos() const { return caretPos_; }
  std::int32_t PreferredCol() const { return preferredCol_; }
  std::int32_t SelAnchor() const { return selAnchor_; }
  std::int32_t CaretOffset() const { return caretOffset_; }
  std::uint8_t MouseMode() const { return mouseMode_; }
  bool CaretCreated() const { return caretCreated_; }
  bool CaretVisible() const { return caretVisible_; }
  // Where the caret bar is drawn (client pixels) while it is shown.
  QPoint CaretPixel() const { return caretPixel_; }
  // The vertical scroll range (0 … line count, scaled down by ScrollShift) and the horizontal one
  // (0 … MaxLineLen + 2), with their page sizes, as last set by UpdateScrollBars.
  std::int32_t VertRange() const { return vertRange_; }
  std::int32_t VertPage() const { return vertPage_; }
  std::int32_t HorzRange() const { return horzRange_; }
  std::int32_t HorzPage() const { return horzPage_; }
  const TUndo& UndoBuffer() const { return *undo_; }

  // ---- Layout and scrolling -----------------------------------------------------------------
  void RecalcGeometry();
  void UpdateScrollBars();
  // Scroll requests, as a scroll bar sends them (the position is used for scTrack only).
  void VertScroll(TScrollCode code, std::int32_t thumbPos = 0);
  void HorzScroll(TScrollCode code, std::int32_t thumbPos = 0);
  void SetTopLine(std::int32_t value);
  void SetLeftCol(std::int32_t value);
  // Keep another pane in step: both fire OnScroll when the position changes.
  void ScrollToLine(std::int32_t value);
  void ScrollToCol(std::int32_t value);
  // The client pixel of a text point, for placing a prompt near the caret.
  QPoint PointToPixel(TPoint p) const;
  // The text with every tab replaced by TabSize spaces.
  std::string ExpandTabs(const std::string& s) const;

  // ---- Caret, selection and conversions -----------------------------------------------------
  std::int32_t PointToOffset(TPoint p) const;
  TPoint OffsetToPoint(std::int32_t offset) const;
  TPoint PixelToPoint(int x, int y) const;
  void UpdateCaret();
  void ScrollCaretIntoView();
  void SetCaretPos(TPoint p, bool collapse);
  void MoveCaretTo(TPoint p) override;

  std::int32_t SelStart() const;
  void SetSelStart(std::int32_t value);
  std::int32_t SelLength() const;
  void SetSelLength(std::int32_t value);
  std::string SelText() const;

  // ---- Editing --------------------------------------------------------------------------------
  // Applies one character code: 7 delete forward, 8 backspace, 9 tab, 13 Enter, 32 … 255 a byte.
  void ProcessChar(std::uint8_t c) override;
  // Replaces the selection by `text` (lines split at CR LF, CR or LF).
  void InsertText(const std::string& text) override;
  void DeleteSelection() override;
  void CopyToClipboard();
  void CutToClipboard();
  void PasteFromClipboard();
  void Undo();
  void Redo();
  bool CanUndo() const { return undo_->CanUndo(); }
  bool CanRedo() const { return undo_->CanRedo(); }

  virtual void DoSelectionChange();
  virtual void DoCaretPtChange();

  // ---- Painting -------------------------------------------------------------------------------
  // Paints the whole client area (the viewport) onto `p`.
  void Paint(QPainter& p);
  // Draws code-page text with its top-left corner at (x, y), one CharWidth cell per byte; for
  // owners' gutter painters.
  void TextOut(QPainter& p, int x, int y, const std::string& text) const;
  // Width in pixels of code-page text drawn by TextOut.
  int TextWidth(const std::string& text) const;
  // Resolves a colour value (RGB or system constant) against this widget's palette.
  QColor ToQColor(TColor c) const;

  // ---- Events (the sender first) --------------------------------------------------------------
  std::function<void(TCodeEdit* sender, const QString& fileName, bool& dropAccepted)> OnDropFiles;
  std::function<void(TCodeEdit* sender, QPainter& canvas, const QRect& marginRec, int lineNo,
                     int tag)>
      OnPaintLeftMargin;
  std::function<void(TCodeEdit* sender)> OnScroll;
  std::function<void(TCodeEdit* sender)> OnSelectionChange;
  std::function<void(TCodeEdit* sender)> OnCaretPtChange;
  std::function<void(TCodeEdit* sender)> OnEnter;
  std::function<void(TCodeEdit* sender)> OnExit;
  std::function<void(TCodeEdit* sender)> OnDblClick;
  std::function<void(TCodeEdit* sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x,
                     int y)>
      OnMouseDown;
  // The key code (a Qt::Key) may be changed or set to 0 by the handler.
  std::function<void(TCodeEdit* sender, int& key, Qt::KeyboardModifiers shift)> OnKeyDown;
  // Left unhandled (no handler, or `handled` left false), the wheel scrolls three lines a notch.
  std::function<void(TCodeEdit* sender, Qt::KeyboardModifiers shift, int wheelDelta,
                     QPoint mousePos, bool& handled)>
      OnMouseWheel;

 protected:
  bool event(QEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void changeEvent(QEvent* e) override;
  void scrollContentsBy(int dx, int dy) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void inputMethodEvent(QInputMethodEvent* e) override;
  QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dragMoveEvent(QDragMoveEvent* e) override;
  void dropEvent(QDropEvent* e) override;

 private:
  // TLinesHost
  TColor LinesColor() const override { return color_; }
  std::int32_t LinesMaxLineLen() const override { return maxLineLen_; }
  void SetLinesMaxLineLen(std::int32_t value) override { maxLineLen_ = value; }
  void LinesCleared() override;
  void LinesUpdateScrollBars() override { UpdateScrollBars(); }
  void LinesUpdateGutter() override;
  void LinesInvalidate() override;
  bool LinesHostDestroying() const override { return destroying_; }
  void LinesClearUndo() override { undo_->Clear(); }
  // TUndoHost
  void UndoSetSelAnchor(std::int32_t offset) override { selAnchor_ = offset; }
  void UndoSetCaretOffset(std::int32_t offset) override { caretOffset_ = offset; }
  void UndoSetCaretPos(TPoint pos) override { caretPos_ = pos; }
  void UndoReplayed() override;

  // Layout
  void FontChanged();
  std::int32_t AutoGutterWidth() const;
  void TopLineChanged();
  void LeftColChanged();
  void OnVertAction(int action);
  void OnHorzAction(int action);
  int ClientWidth() const;
  int ClientHeight() const;

  // Caret
  void CreateEditCaret();
  void DestroyEditCaret();
  void PlaceCaret();
  void BlinkCaret();
  QRect CaretRect() const;
  std::int32_t VisualCol(int line, std::int32_t col) const;
  std::int32_t SnapToChar(const std::string& line, std::int32_t col) const;
  std::int32_t PrevCharCol(const std::string& line, std::int32_t col) const;
  std::int32_t NextCharCol(const std::string& line, std::int32_t col) const;

  // Keyboard and mouse
  void KeyDown(int key, Qt::KeyboardModifiers shift);
  void KeyPress(std::uint8_t code);
  void EndMove(bool shift);
  void MoveToLine(std::int32_t y, bool shift);
  void MoveToCol(std::int32_t x, bool wrap, bool shift);
  void WordRight(bool shift);
  void WordLeft(bool shift);
  void SelectAll();
  void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y, bool dbl);
  void SelectWordAt(TPoint p);
  void DropSelection();
  void TypeText(const QString& text);

  // Painting
  void PaintLine(QPainter& p, int line, QRect r, const QColor& gutter);
  void DrawRowText(QPainter& p, const QRect& r, int x0, const std::string& text,
                   const QColor& brush, const QColor& pen);
  void DrawCodePageText(QPainter& p, const QRect& clip, int x0, int baseline,
                        const std::string& text) const;
  TColor LineBackground(int line) const;

  std::int32_t leftMargin_ = 4;
  std::int32_t gutterWidth_ = 0;
  std::int32_t topMargin_ = 4;
  std::int32_t charWidth_ = 8;
  std::int32_t lineHeight_ = 16;
  std::int32_t ascent_ = 12;
  std::int32_t pageRows_ = 0;
  std::int32_t visibleCols_ = 0;
  std::int32_t maxLineLen_ = 160;
  std::int32_t tabSize_ = 4;
  std::int32_t scrollShift_ = 0;
  std::int32_t topLine_ = 0;
  std::int32_t leftCol_ = 0;
  std::unique_ptr<TLines> lines_;
  std::unique_ptr<TUndo> undo_;
  bool autoLineNum_ = true;
  bool caretCreated_ = false;
  bool caretVisible_ = false;
  TPoint caretPos_;
  TPoint lastCaretPos_;
  std::int32_t preferredCol_ = 0;
  std::int32_t selAnchor_ = 0;
  std::int32_t caretOffset_ = 0;
  std::int32_t lastSelAnchor_ = 0;
  std::int32_t lastCaretOffset_ = 0;
  bool readOnly_ = false;
  bool wantTabs_ = false;
  TColor color_ = clWindow;
  TColor modifiedLineColor_ = 0xE0E0E0;
  std::uint8_t mouseMode_ = 0;

  std::int32_t vertRange_ = 0;
  std::int32_t vertPage_ = 0;
  std::int32_t horzRange_ = 0;
  std::int32_t horzPage_ = 0;
  bool destroying_ = false;
  // Set while an editing primitive empties the store itself, so that its undo record survives.
  bool ownClear_ = false;
  // Whole ASCII runs can be drawn in one call when the font's advance is exactly CharWidth.
  bool exactAdvance_ = false;
  QPoint caretPixel_;
  bool blinkOn_ = true;
  QTimer blinkTimer_;
  std::int32_t paintedCaretLine_ = -1;
};
