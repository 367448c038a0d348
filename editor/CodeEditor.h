// TCodeEdit: the fixed-pitch text pane of the source comparison view.
//
// A QAbstractScrollArea that paints its viewport itself: a gutter with line numbers (or the
// owner's own gutter painter), one background colour per line, a marked caret line, the selection,
// tabs shown as spaces, and scroll bars another pane can follow. The text, the caret, the
// selection and every edit with its undo record belong to a TEditCore, which works without a
// window; the pane lays them out, paints them and turns keys, the mouse, the wheel and the
// clipboard into the core's operations. A column is a byte, and every character is painted at its
// byte column times CharWidth, so double-byte characters take two cells whatever font draws them.
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
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "editor/Colors.h"
#include "editor/EditCore.h"

class QPainter;

namespace editor {

class TCodeEdit : public QAbstractScrollArea, private TEditView {
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
  static constexpr std::int32_t kLineEnd = TEditCore::kLineEnd;
  // The clipboard format that carries the code-page bytes of a copy beside its Unicode text, so
  // that bytes that are no character of the code page survive copy and paste in the program.
  static constexpr const char* kCodePageMime = "application/x-quorvex-codepage";

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
  TLines& Lines() { return core_->Lines(); }
  const TLines& Lines() const { return core_->Lines(); }
  // The editing core: text, caret, selection, editing steps and undo.
  TEditCore& Core() { return *core_; }
  const TEditCore& Core() const { return *core_; }
  bool ReadOnly() const { return core_->ReadOnly(); }
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
  TPoint CaretPos() const { return core_->CaretPos(); }
  std::int32_t PreferredCol() const { return core_->PreferredCol(); }
  std::int32_t SelAnchor() const { return core_->SelAnchor(); }
  std::int32_t CaretOffset() const { return core_->CaretOffset(); }
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
  const TUndo& UndoBuffer() const { return core_->UndoBuffer(); }

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
  std::string ExpandTabs(std::string_view s) const;

  // ---- Caret, selection and conversions -----------------------------------------------------
  std::int32_t PointToOffset(TPoint p) const { return core_->PointToOffset(p); }
  TPoint OffsetToPoint(std::int32_t offset) const { return core_->OffsetToPoint(offset); }
  TPoint PixelToPoint(int x, int y) const;
  void UpdateCaret() { core_->UpdateCaret(); }
  void ScrollCaretIntoView();
  // The same, and the caret's row whole: never left on the partly visible bottom row (a match
  // found by a search is shown this way).
  void ScrollCaretRowIntoView();
  void SetCaretPos(TPoint p, bool collapse) { core_->SetCaretPos(p, collapse); }
  void MoveCaretTo(TPoint p) { core_->MoveCaretTo(p); }

  std::int32_t SelStart() const { return core_->SelStart(); }
  void SetSelStart(std::int32_t value);
  std::int32_t SelLength() const { return core_->SelLength(); }
  void SetSelLength(std::int32_t value);
  std::string SelText() const { return core_->SelText(); }

  // ---- Editing --------------------------------------------------------------------------------
  // Applies one character code: 7 delete forward, 8 backspace, 9 tab, 13 Enter, 32 … 255 a byte.
  void ProcessChar(std::uint8_t c) { core_->ProcessChar(c); }
  // Replaces the selection by `text` (lines split at CR LF, CR or LF).
  void InsertText(const std::string& text) { core_->InsertText(text); }
  void DeleteSelection() { core_->DeleteSelection(); }
  // The selection as Unicode text and as code-page bytes (kCodePageMime).
  void CopyToClipboard();
  void CutToClipboard();
  // Inserts the clipboard's code-page bytes where a copy of the program left them, else its
  // Unicode text converted to the code page.
  void PasteFromClipboard();
  void Undo() { core_->Undo(); }
  void Redo() { core_->Redo(); }
  bool CanUndo() const { return core_->CanUndo(); }
  bool CanRedo() const { return core_->CanRedo(); }

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
  // Parts of a line painted in a colour of their own behind the text (the changed words of a
  // modified line): byte ranges [first, second) of the line's text. Asked for every line that
  // is painted without the caret or a selection on it.
  std::function<void(TCodeEdit* sender, int line, std::vector<std::pair<int, int>>& spans, TColor& color)>
      OnLineSpans;
  // A key, an input method or a paste that would change the text of a read-only pane: the text
  // stays as it is, the handler may say why.
  std::function<void(TCodeEdit* sender)> OnReadOnlyEdit;
  // The key code (a Qt::Key) may be changed or set to 0 by the handler.
  std::function<void(TCodeEdit* sender, int& key, Qt::KeyboardModifiers shift)> OnKeyDown;
  // Called once per whole notch of the vertical wheel (wheelDelta is +120 or -120, the sign as Qt
  // gives it; finer wheels and touchpads add up to notches). Left unhandled (no handler, or
  // `handled` left false), a notch scrolls three lines. The horizontal wheel (and Shift with the
  // vertical one) scrolls one column a notch and never reaches the handler.
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
  // TEditView: the store's and the core's notifications
  TColor LinesColor() const override { return color_; }
  std::int32_t LinesMaxLineLen() const override { return maxLineLen_; }
  void SetLinesMaxLineLen(std::int32_t value) override { maxLineLen_ = value; }
  void LinesCleared() override;
  void LinesUpdateScrollBars() override { UpdateScrollBars(); }
  void LinesUpdateGutter() override;
  void LinesInvalidate() override;
  bool LinesHostDestroying() const override { return destroying_; }
  void LinesClearUndo() override {}  // the core empties its own buffer
  void EditCaretMoved() override;
  void EditScrollCaretIntoView() override { ScrollCaretIntoView(); }
  void EditCaretPtChange() override { DoCaretPtChange(); }
  void EditSelectionChange() override { DoSelectionChange(); }
  void EditReplayed() override;

  // Layout
  void FontChanged();
  std::int32_t AutoGutterWidth() const;
  void TopLineChanged();
  void LeftColChanged();
  void KeepCaretOffsetAndPlaceCaret();
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
  // The display column of byte column `col` of a line: a tab takes TabSize cells, every other
  // character the cells it is drawn in (CellsAt); past the end one cell a column.
  std::int32_t VisualCol(int line, std::int32_t col) const;
  std::int32_t DisplayCol(std::string_view s, std::int32_t col) const;
  // The byte column of the character drawn over display column `col` (the one after a tab when
  // `col` falls inside the tab past its first cell); the line's length past its end.
  std::int32_t ByteColAt(std::string_view s, std::int32_t col) const;
  // The cells of the code-page character at the front of `rest` (not a tab), its byte length in
  // `length`: by the character's width class, or, for symbols whose width depends on the font, by
  // the advance of the pane's font (remembered per character until the font changes).
  int CellsAt(std::string_view rest, std::size_t& length) const;

  // Keyboard, mouse and wheel
  void KeyDown(int key, Qt::KeyboardModifiers shift);
  void KeyPress(std::uint8_t code);
  std::string_view CaretLine() const;
  void SelectAll();
  void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y, bool dbl);
  void DropSelection();
  void TypeText(const QString& text);
  void WheelNotch(int delta, Qt::KeyboardModifiers shift, QPoint pos);

  // Painting
  void PaintGutterRow(QPainter& p, int line, const QRect& row, const QColor& gutter);
  void PaintLine(QPainter& p, int line, QRect r);
  void PaintSelectedLine(QPainter& p, int line, QRect r, std::string_view text);
  bool RefuseEdit();
  // The changed parts of a line inside `r`; over a selection (`selection` set) in a blend of
  // their colour and the selection's, with the selection's text colour.
  void PaintSpans(QPainter& p, int line, const QRect& r, int x0, std::string_view text,
                  const QColor* selection = nullptr);
  void DrawRowText(QPainter& p, const QRect& r, int x0, std::string_view text,
                   const QColor& brush, const QColor& pen);
  void DrawCodePageText(QPainter& p, const QRect& clip, int x0, int baseline,
                        std::string_view text) const;
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
  std::unique_ptr<TEditCore> core_;
  bool autoLineNum_ = true;
  bool caretCreated_ = false;
  bool caretVisible_ = false;
  TPoint lastCaretPos_;
  std::int32_t lastSelAnchor_ = 0;
  std::int32_t lastCaretOffset_ = 0;
  bool wantTabs_ = false;
  TColor color_ = clWindow;
  TColor modifiedLineColor_ = 0xE0E0E0;
  std::uint8_t mouseMode_ = 0;
  // Wheel units not yet making a whole notch, horizontal and vertical.
  QPoint wheelRest_;

  std::int32_t vertRange_ = 0;
  std::int32_t vertPage_ = 0;
  std::int32_t horzRange_ = 0;
  std::int32_t horzPage_ = 0;
  bool destroying_ = false;
  // Whole ASCII runs can be drawn in one call when the font's advance is exactly CharWidth.
  bool exactAdvance_ = false;
  // Cells of the characters the font decides on, by their code-page bytes.
  mutable std::unordered_map<std::uint32_t, std::int8_t> fontCells_;
  QPoint caretPixel_;
  bool blinkOn_ = true;
  QTimer blinkTimer_;
  std::int32_t paintedCaretLine_ = -1;
};

}  // namespace editor
