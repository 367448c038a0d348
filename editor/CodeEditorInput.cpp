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

#include "editor/CodeEditor.h"
#include "platform/CodePage.h"

namespace {

bool IsWordChar(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

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
  else if (!bytes.empty() && !readOnly_)
    InsertText(bytes);
}

void TCodeEdit::inputMethodEvent(QInputMethodEvent* e) {
  if (!e->commitString().isEmpty()) TypeText(e->commitString());
  e->accept();
}

QVariant TCodeEdit::inputMethodQuery(Qt::InputMethodQuery query) const {
  if (query == Qt::ImCursorRectangle) return QRect(CaretRect()).translated(viewport()->pos());
  if (query == Qt::ImEnabled) return !readOnly_;
  return QAbstractScrollArea::inputMethodQuery(query);
}

void TCodeEdit::KeyDown(int key, Qt::KeyboardModifiers mods) {
  if (OnKeyDown) OnKeyDown(this, key, mods);
  if (mods & Qt::AltModifier) return;
  const bool hadSelection = caretOffset_ != selAnchor_;
  const bool shift = mods & Qt::ShiftModifier;
  const bool ctrl = mods & Qt::ControlModifier;
  const int count = lines_->Count();
  const std::string empty;
  const std::string& line = count > 0 ? lines_->Get(std::clamp(caretPos_.Y, 0, count - 1)) : empty;
  switch (key) {
    case Qt::Key_PageUp: MoveToLine(caretPos_.Y - pageRows_, shift); break;
    case Qt::Key_PageDown: MoveToLine(caretPos_.Y + pageRows_, shift); break;
    case Qt::Key_End:
      if (ctrl) MoveToLine(count, shift);
      MoveToCol(kLineEnd, false, shift);
      break;
    case Qt::Key_Home:
      if (ctrl) MoveToLine(0, shift);
      MoveToCol(0, false, shift);
      break;
    case Qt::Key_Left:
      if (ctrl)
        WordLeft(shift);
      else
        MoveToCol(PrevCharCol(line, caretPos_.X), true, shift);
      break;
    case Qt::Key_Right:
      if (ctrl)
        WordRight(shift);
      else
        MoveToCol(NextCharCol(line, caretPos_.X), true, shift);
      break;
    case Qt::Key_Up: MoveToLine(caretPos_.Y - 1, shift); break;
    case Qt::Key_Down: MoveToLine(caretPos_.Y + 1, shift); break;
    case Qt::Key_Delete:
      if (!ctrl) ProcessChar(7);
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
      if (!readOnly_) PasteFromClipboard();
      break;
    case 24:
      if (readOnly_)
        CopyToClipboard();
      else
        CutToClipboard();
      break;
    default: ProcessChar(code); break;
  }
}

void TCodeEdit::SelectAll() {
  selAnchor_ = 0;
  SetCaretPos({kLineEnd, lines_->Count() - 1}, false);
  ScrollCaretIntoView();
  viewport()->update();
  DoSelectionChange();
}

void TCodeEdit::EndMove(bool shift) {
  if (!shift) selAnchor_ = caretOffset_;
  DoCaretPtChange();
  DoSelectionChange();
}

void TCodeEdit::MoveToLine(std::int32_t y, bool shift) {
  caretPos_.Y = y;
  caretPos_.X = std::max(preferredCol_, caretPos_.X);
  UpdateCaret();
  EndMove(shift);
}

void TCodeEdit::MoveToCol(std::int32_t x, bool wrap, bool shift) {
  const int count = lines_->Count();
  const std::int32_t len =
      count > 0 && caretPos_.Y < count ? lines_->GetLineObj(caretPos_.Y).Length : 0;
  if (wrap && x < 0 && caretPos_.Y > 0) {
    --caretPos_.Y;
    caretPos_.X = kLineEnd;
  } else if (wrap && x > caretPos_.X && caretPos_.Y < count - 1 && caretPos_.X >= len) {
    ++caretPos_.Y;
    caretPos_.X = 0;
  } else {
    caretPos_.X = x;
  }
  preferredCol_ = caretPos_.X;
  UpdateCaret();
  EndMove(shift);
}

void TCodeEdit::WordRight(bool shift) {
  if (lines_->Empty()) return;
  const std::string& s = lines_->Get(caretPos_.Y);
  const std::int32_t len = static_cast<std::int32_t>(s.size());
  std::int32_t x = std::min(caretPos_.X, len);
  if (x >= len) {
    if (caretPos_.Y >= lines_->Count() - 1) return;
    ++caretPos_.Y;
    caretPos_.X = 0;
  } else {
    while (x < len && static_cast<unsigned char>(s[static_cast<std::size_t>(x)]) > 32) ++x;
    while (x < len && static_cast<unsigned char>(s[static_cast<std::size_t>(x)]) <= 32) ++x;
    caretPos_.X = x;
  }
  UpdateCaret();
  preferredCol_ = caretPos_.X;
  EndMove(shift);
}

void TCodeEdit::WordLeft(bool shift) {
  if (lines_->Empty()) return;
  const std::string& s = lines_->Get(caretPos_.Y);
  std::int32_t x = std::min<std::int32_t>(caretPos_.X, static_cast<std::int32_t>(s.size()));
  while (x > 0 && static_cast<unsigned char>(s[static_cast<std::size_t>(x - 1)]) <= 32) --x;
  if (x == 0) {
    if (caretPos_.Y > 0) {
      --caretPos_.Y;
      x = kLineEnd;
    }
  } else {
    while (x > 0 && static_cast<unsigned char>(s[static_cast<std::size_t>(x - 1)]) > 32) --x;
  }
  caretPos_.X = x;
  UpdateCaret();
  preferredCol_ = caretPos_.X;
  EndMove(shift);
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
    SelectWordAt(p);
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

void TCodeEdit::SelectWordAt(TPoint p) {
  if (lines_->Empty()) return;
  const std::string& s = lines_->Get(p.Y);
  const std::int32_t len = static_cast<std::int32_t>(s.size());
  if (len == 0) return;
  std::int32_t i = std::min(p.X + 1, len);  // 1-based: the character under the mouse
  auto at = [&](std::int32_t k) { return static_cast<unsigned char>(s[static_cast<std::size_t>(k - 1)]); };
  if (!IsWordChar(at(i))) return;
  while (i < len && IsWordChar(at(i + 1))) ++i;
  SetCaretPos({i, p.Y}, false);
  while (i > 1 && IsWordChar(at(i - 1))) --i;
  selAnchor_ = lines_->GetLineObj(p.Y).Start + i - 1;
  DoSelectionChange();
  viewport()->update();
}

void TCodeEdit::mouseMoveEvent(QMouseEvent* e) {
  if (mouseMode_ == 0 || e->buttons() != Qt::LeftButton) return;
  const QPoint pos = e->position().toPoint();
  const int x = pos.x(), y = pos.y();
  const std::int32_t keep = caretOffset_;
  const TPoint p = PixelToPoint(x, y);
  if (x > gutterWidth_ && !(p == caretPos_)) {
    SetCaretPos(p, false);
    if (mouseMode_ == 2) caretOffset_ = keep;
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
  std::int32_t d = PointToOffset(caretPos_);
  const std::int32_t s1 = SelStart();
  const std::int32_t s2 = s1 + SelLength();
  if (d >= s1 && d <= s2) return;
  if (readOnly_) {
    // Nothing can move: the caret goes to the drop point and the selection is given up.
    SetCaretPos(caretPos_, true);
    viewport()->update();
    return;
  }
  const std::string t = SelText();
  const TPoint p0 = caretPos_;
  DeleteSelection();
  if (d > selAnchor_) {
    d -= static_cast<std::int32_t>(t.size());
    caretPos_ = OffsetToPoint(d);
  } else {
    caretPos_ = p0;
  }
  selAnchor_ = d;
  caretOffset_ = d;
  InsertText(t);
  selAnchor_ = d;
  viewport()->update();
  DoCaretPtChange();
  DoSelectionChange();
}

void TCodeEdit::wheelEvent(QWheelEvent* e) {
  bool handled = false;
  const int delta = e->angleDelta().y();
  if (OnMouseWheel) OnMouseWheel(this, e->modifiers(), delta, e->position().toPoint(), handled);
  if (!handled && delta != 0) {
    for (int i = 0; i < 3; ++i) VertScroll(delta < 0 ? scLineDown : scLineUp);
  }
  e->accept();
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
