// Keyboard, mouse, focus and file drops of TCodeEdit.
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QWheelEvent>

#include <algorithm>
#include <cstdlib>

#include "editor/CodeEditor.h"
#include "platform/CodePage.h"

namespace editor {

bool TCodeEdit::event(QEvent* e) {
  // The Tab key is text for a pane that wants tabs; otherwise it moves the focus.
  if (e->type() == QEvent::KeyPress && wantTabs_) {
    auto* ke = static_cast<QKeyEvent*>(e);
    if (ke->key() == Qt::Key_Tab &&
        !(ke->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier))) {
      keyPressEvent(ke);
      return true;
    }
  }
  return QAbstractScrollArea::event(e);
}

// ---- Focus --------------------------------------------------------------------------------------

void TCodeEdit::focusInEvent(QFocusEvent* e) {
  QAbstractScrollArea::focusInEvent(e);
  CreateEditCaret();
  UpdateCaret();
  viewport()->update();
  if (e->reason() != Qt::ActiveWindowFocusReason && e->reason() != Qt::PopupFocusReason && OnEnter)
    OnEnter(this);
}

void TCodeEdit::focusOutEvent(QFocusEvent* e) {
  QAbstractScrollArea::focusOutEvent(e);
  DestroyEditCaret();
  viewport()->update();
  if (e->reason() != Qt::ActiveWindowFocusReason && e->reason() != Qt::PopupFocusReason && OnExit)
    OnExit(this);
}

// ---- Keyboard -------------------------------------------------------------------------------------

void TCodeEdit::keyPressEvent(QKeyEvent* e) {
  const Qt::KeyboardModifiers mods = e->modifiers();
  KeyDown(e->key(), mods);

  // The character the key stands for, as the platform delivers it after the key itself.
  if (mods & Qt::AltModifier) return;
  const int key = e->key();
  if (mods & Qt::ControlModifier) {
    if (key >= Qt::Key_A && key <= Qt::Key_Z) KeyPress(static_cast<std::uint8_t>(key - Qt::Key_A + 1));
    return;
  }
  switch (key) {
    case Qt::Key_Backspace: KeyPress(8); return;
    case Qt::Key_Return:
    case Qt::Key_Enter: KeyPress(13); return;
    case Qt::Key_Tab: KeyPress(9); return;
    case Qt::Key_Escape:
    case Qt::Key_Delete:
    case Qt::Key_Backtab: return;
    default: break;
  }
  TypeText(e->text());
}

// Typed text: a single byte goes through ProcessChar; a double-byte character (or several
// characters at once) is inserted whole, so undo takes it back whole.
void TCodeEdit::TypeText(const QString& text) {
  if (text.isEmpty()) return;
  for (QChar ch : text)
    if (ch.unicode() < 32 || ch.unicode() == 127) return;
  QByteArray utf8 = text.toUtf8();
  std::string bytes =
      platform::Utf8ToCodePage(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
  if (bytes.size() == 1)
    KeyPress(static_cast<std::uint8_t>(bytes[0]));
  else if (!bytes.empty() && !RefuseEdit())
    InsertText(bytes);
}

bool TCodeEdit::RefuseEdit() {
  if (!ReadOnly()) return false;
  if (OnReadOnlyEdit) OnReadOnlyEdit(this);
  return true;
}

void TCodeEdit::inputMethodEvent(QInputMethodEvent* e) {
  if (!e->commitString().isEmpty()) TypeText(e->commitString());
  e->accept();
}

QVariant TCodeEdit::inputMethodQuery(Qt::InputMethodQuery query) const {
  if (query == Qt::ImCursorRectangle) return QRect(CaretRect()).translated(viewport()->pos());
  if (query == Qt::ImEnabled) return !ReadOnly();
  return QAbstractScrollArea::inputMethodQuery(query);
}

std::string_view TCodeEdit::CaretLine() const {
  const int count = Lines().Count();
  return count > 0 ? Lines().Get(std::clamp(CaretPos().Y, 0, count - 1)) : std::string_view();
}

// The key-down half of a key: caret moves and Delete; characters come through KeyPress.
void TCodeEdit::KeyDown(int key, Qt::KeyboardModifiers mods) {
  if (OnKeyDown) OnKeyDown(this, key, mods);
  if (mods & Qt::AltModifier) return;
  const bool hadSelection = core_->HasSelection();
  const bool shift = mods & Qt::ShiftModifier;
  const bool ctrl = mods & Qt::ControlModifier;
  TEditCore& c = *core_;
  const TPoint caret = c.CaretPos();
  switch (key) {
    case Qt::Key_PageUp: c.MoveToLine(caret.Y - pageRows_, shift); break;
    case Qt::Key_PageDown: c.MoveToLine(caret.Y + pageRows_, shift); break;
    case Qt::Key_End:
      if (ctrl) c.MoveToLine(Lines().Count(), shift);
      c.MoveToCol(kLineEnd, false, shift);
      break;
    case Qt::Key_Home:
      if (ctrl) c.MoveToLine(0, shift);
      c.MoveToCol(0, false, shift);
      break;
    case Qt::Key_Left:
      if (ctrl)
        c.WordLeft(shift);
      else
        c.MoveToCol(TEditCore::PrevCharCol(CaretLine(), caret.X), true, shift);
      break;
    case Qt::Key_Right:
      if (ctrl)
        c.WordRight(shift);
      else
        c.MoveToCol(TEditCore::NextCharCol(CaretLine(), caret.X), true, shift);
      break;
    case Qt::Key_Up: c.MoveToLine(caret.Y - 1, shift); break;
    case Qt::Key_Down: c.MoveToLine(caret.Y + 1, shift); break;
    case Qt::Key_Delete:
      if (!ctrl && !RefuseEdit()) ProcessChar(7);
      break;
    default: return;
  }
  ScrollCaretIntoView();
  if (hadSelection || shift) viewport()->update();
}

void TCodeEdit::KeyPress(std::uint8_t code) {
  if (code == 0) return;
  switch (code) {
    case 1: SelectAll(); break;
    case 3: CopyToClipboard(); break;
    case 22:
      PasteFromClipboard();
      break;
    case 24:
      if (ReadOnly())
        CopyToClipboard();
      else
        CutToClipboard();
      break;
    default:
      // Backspace, Tab, Enter and the characters; other control codes do nothing anyway.
      if ((code >= 32 || code == 8 || code == 9 || code == 13) && RefuseEdit()) break;
      ProcessChar(code);
      break;
  }
}

void TCodeEdit::SelectAll() {
  core_->SelectAll();
  viewport()->update();
}

// ---- Mouse --------------------------------------------------------------------------------------

void TCodeEdit::mousePressEvent(QMouseEvent* e) {
  QPoint pos = e->position().toPoint();
  MouseDown(e->button(), e->modifiers(), pos.x(), pos.y(), false);
  e->accept();
}

void TCodeEdit::mouseDoubleClickEvent(QMouseEvent* e) {
  QPoint pos = e->position().toPoint();
  MouseDown(e->button(), e->modifiers(), pos.x(), pos.y(), true);
  if (OnDblClick) OnDblClick(this);
  e->accept();
}

void TCodeEdit::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y,
                          bool dbl) {
  if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
  if (!hasFocus()) setFocus(Qt::MouseFocusReason);
  mouseMode_ = 1;
  if (button != Qt::LeftButton || x <= gutterWidth_) return;
  TPoint p = PixelToPoint(x, y);
  if (dbl) {
    core_->SelectWordAt(p);
    viewport()->update();
    return;
  }
  std::int32_t o = PointToOffset(p);
  std::int32_t s1 = SelStart();
  std::int32_t s2 = s1 + SelLength();
  if (o > s1 && o < s2) {
    mouseMode_ = 2;
    viewport()->setCursor(Qt::DragMoveCursor);
  } else {
    SetCaretPos(p, true);
  }
  viewport()->update();
}

void TCodeEdit::mouseMoveEvent(QMouseEvent* e) {
  if (mouseMode_ == 0 || e->buttons() != Qt::LeftButton) return;
  const QPoint pos = e->position().toPoint();
  const int x = pos.x(), y = pos.y();
  const std::int32_t keep = CaretOffset();
  const TPoint p = PixelToPoint(x, y);
  if (x > gutterWidth_ && !(p == CaretPos())) {
    SetCaretPos(p, false);
    if (mouseMode_ == 2) core_->SetCaretOffset(keep);  // the caret only shows the drop point
    viewport()->update();
  }
  // One step of automatic scrolling per mouse move outside the text.
  if (y < lineHeight_)
    SetTopLine(topLine_ - 1);
  else if (y > ClientHeight() - lineHeight_)
    SetTopLine(topLine_ + 1);
  if (x < gutterWidth_ + leftMargin_ + charWidth_)
    SetLeftCol(leftCol_ - 1);
  else if (x > ClientWidth() - charWidth_)
    SetLeftCol(leftCol_ + 1);
}

void TCodeEdit::mouseReleaseEvent(QMouseEvent*) {
  if (mouseMode_ == 2) DropSelection();
  mouseMode_ = 0;
  viewport()->setCursor(Qt::IBeamCursor);
}

// The end of dragging the selection: the text moves to the drop point unless it was dropped on
// itself.
void TCodeEdit::DropSelection() {
  core_->MoveSelectionToCaret();
  viewport()->update();
}

// ---- Wheel ----------------------------------------------------------------------------------

namespace {

constexpr int kNotch = 120;

// Adds `delta` to the units kept in `rest` and takes out the whole notches, with their sign. A
// turn the other way starts afresh.
int TakeNotches(int& rest, int delta) {
  if (delta == 0) return 0;
  if ((rest > 0 && delta < 0) || (rest < 0 && delta > 0)) rest = 0;
  rest += delta;
  const int notches = rest / kNotch;
  rest -= notches * kNotch;
  return notches;
}

}  // namespace

// High-resolution wheels and touchpads send parts of a notch; they add up to whole notches. A
// positive delta turns up, or to the left.
void TCodeEdit::wheelEvent(QWheelEvent* e) {
  e->accept();
  if (e->phase() == Qt::ScrollBegin) wheelRest_ = QPoint();  // a new touchpad gesture
  QPoint delta = e->angleDelta();
  // Shift turns the vertical wheel sideways, where the platform has not done so already.
  if (delta.x() == 0 && (e->modifiers() & Qt::ShiftModifier)) delta = QPoint(delta.y(), 0);
  const int across = TakeNotches(wheelRest_.rx(), delta.x());
  for (int i = 0; i < std::abs(across); ++i) HorzScroll(across > 0 ? scLineUp : scLineDown);
  const int down = TakeNotches(wheelRest_.ry(), delta.y());
  for (int i = 0; i < std::abs(down); ++i)
    WheelNotch(down > 0 ? kNotch : -kNotch, e->modifiers(), e->position().toPoint());
}

void TCodeEdit::WheelNotch(int delta, Qt::KeyboardModifiers shift, QPoint pos) {
  bool handled = false;
  if (OnMouseWheel) OnMouseWheel(this, shift, delta, pos, handled);
  if (handled) return;
  for (int i = 0; i < 3; ++i) VertScroll(delta < 0 ? scLineDown : scLineUp);
}

// ---- Dropped files ----------------------------------------------------------------------------

namespace {

QString FirstLocalFile(const QMimeData* data) {
  if (!data || !data->hasUrls()) return {};
  const QList<QUrl> urls = data->urls();
  for (const QUrl& url : urls)
    if (url.isLocalFile()) return url.toLocalFile();
  return {};
}

}  // namespace

void TCodeEdit::dragEnterEvent(QDragEnterEvent* e) {
  if (OnDropFiles && !FirstLocalFile(e->mimeData()).isEmpty())
    e->acceptProposedAction();
  else
    e->ignore();
}

void TCodeEdit::dragMoveEvent(QDragMoveEvent* e) {
  if (OnDropFiles && !FirstLocalFile(e->mimeData()).isEmpty())
    e->acceptProposedAction();
  else
    e->ignore();
}

void TCodeEdit::dropEvent(QDropEvent* e) {
  const QString file = FirstLocalFile(e->mimeData());
  if (!OnDropFiles || file.isEmpty()) {
    e->ignore();
    return;
  }
  // Only the first dropped file is reported; the rest are ignored.
  bool accepted = false;
  OnDropFiles(this, file, accepted);
  if (accepted)
    e->acceptProposedAction();
  else
    e->ignore();
}

}  // namespace editor
