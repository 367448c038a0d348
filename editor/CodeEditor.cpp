#include "editor/CodeEditor.h"
#include "editor/QtColor.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

#include "platform/CodePage.h"

namespace {

int Digits(int n) {
  int d = 1;
  while (n >= 10) {
    n /= 10;
    ++d;
  }
  return d;
}

}  // namespace

// ---- Construction ---------------------------------------------------------------------------

TCodeEdit::TCodeEdit(QWidget* parent) : QAbstractScrollArea(parent) {
  setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_InputMethodEnabled);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  viewport()->setAutoFillBackground(false);
  viewport()->setCursor(Qt::IBeamCursor);
  viewport()->setAcceptDrops(true);
  setAcceptDrops(true);

  QFont f(QStringLiteral("Courier New"), 10);
  f.setStyleHint(QFont::TypeWriter);
  f.setFixedPitch(true);
  setFont(f);
  FontChanged();

  lines_ = std::make_unique<TLines>(this);
  undo_ = std::make_unique<TUndo>(this);
  caretPos_ = {0, 0};

  blinkTimer_.setInterval(std::max(100, QApplication::cursorFlashTime() / 2));
  connect(&blinkTimer_, &QTimer::timeout, this, [this] { BlinkCaret(); });
  connect(verticalScrollBar(), &QAbstractSlider::actionTriggered, this,
          [this](int action) { OnVertAction(action); });
  connect(horizontalScrollBar(), &QAbstractSlider::actionTriggered, this,
          [this](int action) { OnHorzAction(action); });

  resize(200, 80);
  if (autoLineNum_) SetGutterWidth(AutoGutterWidth());
  RecalcGeometry();
  UpdateScrollBars();
}

TCodeEdit::~TCodeEdit() {
  destroying_ = true;
  blinkTimer_.stop();
  lines_.reset();
  undo_.reset();
  caretCreated_ = caretVisible_ = false;
}

int TCodeEdit::ClientWidth() const { return viewport()->width(); }
int TCodeEdit::ClientHeight() const { return viewport()->height(); }

QColor TCodeEdit::ToQColor(TColor c) const { return ::ToQColor(c, palette()); }

// ---- Properties -----------------------------------------------------------------------------

void TCodeEdit::SetGutterWidth(std::int32_t value) {
  if (value == gutterWidth_) return;
  gutterWidth_ = std::max(0, value);
  RecalcGeometry();
  UpdateCaret();
  viewport()->update();
}

std::int32_t TCodeEdit::AutoGutterWidth() const {
  int count = lines_ ? lines_->Count() : 0;
  return (Digits(count) + 1) * charWidth_;
}

void TCodeEdit::SetAutoLineNum(bool value) {
  if (value == autoLineNum_) return;
  autoLineNum_ = value;
  if (value) {
    std::int32_t w = AutoGutterWidth();
    if (w != gutterWidth_) SetGutterWidth(w);
  }
  viewport()->update();
}

void TCodeEdit::SetColor(TColor value) {
  if (value == color_) return;
  TColor old = color_;
  for (int i = 0; i < lines_->Count(); ++i) {
    TLineObj& obj = lines_->GetLineObj(i);
    if (obj.Color == old) obj.Color = value;
  }
  color_ = value;
  viewport()->update();
}

void TCodeEdit::SetModifiedLineColor(TColor value) {
  if (value == modifiedLineColor_) return;
  modifiedLineColor_ = value;
  viewport()->update();
}

void TCodeEdit::SetFont(const QFont& f) {
  setFont(f);  // the font-change event reads the metrics
  FontChanged();
  RecalcGeometry();
  if (autoLineNum_) SetGutterWidth(AutoGutterWidth());
  if (caretCreated_) {
    DestroyEditCaret();
    CreateEditCaret();
  }
  UpdateScrollBars();
}

void TCodeEdit::SetReadOnly(bool value) {
  if (value == readOnly_) return;
  readOnly_ = value;
  // A read-only pane never shows the caret bar; an editable one shows it while focused.
  if (readOnly_)
    DestroyEditCaret();
  else
    CreateEditCaret();
}

void TCodeEdit::FontChanged() {
  QFontMetrics fm(font());
  charWidth_ = std::max(1, fm.horizontalAdvance(QLatin1Char('0')));
  lineHeight_ = std::max(1, fm.lineSpacing());
  ascent_ = fm.ascent();
  QFontMetricsF fmf(font());
  exactAdvance_ = std::abs(fmf.horizontalAdvance(QStringLiteral("0123456789abcdefghij")) -
                           20.0 * charWidth_) < 0.01;
  viewport()->setFont(font());
  viewport()->update();
}

void TCodeEdit::changeEvent(QEvent* e) {
  QAbstractScrollArea::changeEvent(e);
  if (e->type() == QEvent::FontChange && lines_) FontChanged();
  if (e->type() == QEvent::PaletteChange) viewport()->update();
}

// ---- Store notifications ----------------------------------------------------------------------

void TCodeEdit::LinesCleared() {
  if (autoLineNum_) gutterWidth_ = 20;
  topLine_ = 0;
  leftCol_ = 0;
  caretPos_ = {0, 0};
  selAnchor_ = 0;
  caretOffset_ = 0;
  // A refilled store gets a new text: the old records would be replayed onto the wrong lines.
  // The editor's own emptying of the store (deleting a selection of everything) keeps them.
  if (!ownClear_ && undo_ && !undo_->Busy()) undo_->Clear();
}

void TCodeEdit::LinesUpdateGutter() {
  if (autoLineNum_) SetGutterWidth(AutoGutterWidth());
}

void TCodeEdit::LinesInvalidate() { viewport()->update(); }

// ---- Layout -------------------------------------------------------------------------------------

void TCodeEdit::RecalcGeometry() {
  std::int32_t oldRows = pageRows_;
  std::int32_t oldCols = visibleCols_;
  int count = lines_ ? lines_->Count() : 0;
  pageRows_ = (ClientHeight() - topMargin_) / lineHeight_ - 1;
  if (topLine_ > 0 && pageRows_ > oldRows && count < topLine_ + pageRows_)
    topLine_ = std::max(0, count - pageRows_);
  visibleCols_ = (ClientWidth() - gutterWidth_ - leftMargin_) / charWidth_ - 1;
  if (leftCol_ > 0 && visibleCols_ > oldCols && maxLineLen_ < leftCol_ + visibleCols_)
    leftCol_ = std::max(0, maxLineLen_ - visibleCols_);
}

void TCodeEdit::UpdateScrollBars() {
  if (!lines_) return;
  std::int32_t n = lines_->Count();
  scrollShift_ = 0;
  while (n >= 32767) {
    n /= 2;
    ++scrollShift_;
  }
  vertRange_ = n;
  vertPage_ = (ClientHeight() / lineHeight_) >> scrollShift_;
  horzRange_ = maxLineLen_ + 2;
  horzPage_ = (ClientWidth() - gutterWidth_) / charWidth_;

  // A range of 0 … N with a page of P lets the thumb reach N − P + 1, as the scroll bars of the
  // home platform do; the bar hides when everything fits.
  QScrollBar* v = verticalScrollBar();
  v->setRange(0, std::max(0, vertRange_ - vertPage_ + 1));
  v->setPageStep(std::max(1, vertPage_));
  v->setSingleStep(1);
  v->setValue(topLine_ >> scrollShift_);
  QScrollBar* h = horizontalScrollBar();
  h->setRange(0, std::max(0, horzRange_ - horzPage_ + 1));
  h->setPageStep(std::max(1, horzPage_));
  h->setSingleStep(1);
  h->setValue(leftCol_);
}

void TCodeEdit::resizeEvent(QResizeEvent* e) {
  QAbstractScrollArea::resizeEvent(e);
  if (!lines_) return;
  RecalcGeometry();
  UpdateScrollBars();
}

void TCodeEdit::scrollContentsBy(int, int) {
  // The viewport is painted from TopLine and LeftCol; nothing is moved here.
}

namespace {

// The scroll code of a scroll bar action; false for the actions the pane does not follow.
bool ScrollCodeOf(int action, TCodeEdit::TScrollCode& code) {
  switch (action) {
    case QAbstractSlider::SliderSingleStepSub: code = TCodeEdit::scLineUp; return true;
    case QAbstractSlider::SliderSingleStepAdd: code = TCodeEdit::scLineDown; return true;
    case QAbstractSlider::SliderPageStepSub: code = TCodeEdit::scPageUp; return true;
    case QAbstractSlider::SliderPageStepAdd: code = TCodeEdit::scPageDown; return true;
    case QAbstractSlider::SliderMove: code = TCodeEdit::scTrack; return true;
    default: return false;
  }
}

}  // namespace

void TCodeEdit::OnVertAction(int action) {
  QScrollBar* v = verticalScrollBar();
  TScrollCode code;
  if (ScrollCodeOf(action, code)) VertScroll(code, code == scTrack ? v->sliderPosition() : 0);
  // The bar shows where the pane is, whatever the bar itself would have done.
  v->setSliderPosition(topLine_ >> scrollShift_);
}

void TCodeEdit::OnHorzAction(int action) {
  QScrollBar* h = horizontalScrollBar();
  TScrollCode code;
  if (ScrollCodeOf(action, code)) HorzScroll(code, code == scTrack ? h->sliderPosition() : 0);
  h->setSliderPosition(leftCol_);
}

void TCodeEdit::VertScroll(TScrollCode code, std::int32_t thumbPos) {
  pageRows_ = (ClientHeight() - topMargin_) / lineHeight_;
  std::int32_t v;
  switch (code) {
    case scLineUp: v = topLine_ - 1; break;
    case scLineDown: v = topLine_ + 1; break;
    case scPageUp: v = topLine_ - pageRows_; break;
    case scPageDown: v = topLine_ + pageRows_; break;
    case scTrack: v = static_cast<std::int32_t>(static_cast<std::uint32_t>(thumbPos & 0xFFFF) << scrollShift_); break;
    default: return;
  }
  SetTopLine(v);
}

void TCodeEdit::HorzScroll(TScrollCode code, std::int32_t thumbPos) {
  std::int32_t page = (ClientWidth() - gutterWidth_) / charWidth_;
  std::int32_t v;
  switch (code) {
    case scLineUp: v = leftCol_ - 1; break;
    case scLineDown: v = leftCol_ + 1; break;
    case scPageUp: v = leftCol_ - page; break;
    case scPageDown: v = leftCol_ + page; break;
    case scTrack: v = thumbPos; break;
    default: return;
  }
  SetLeftCol(v);
}

void TCodeEdit::SetTopLine(std::int32_t value) {
  int count = lines_->Count();
  if (value < 0) value = 0;
  if (value > count - pageRows_ + 1) value = std::max(0, count - pageRows_ + 1);
  if (value == topLine_) return;
  topLine_ = value;
  TopLineChanged();
}

void TCodeEdit::SetLeftCol(std::int32_t value) {
  std::int32_t limit = std::max(0, maxLineLen_ - (ClientWidth() - gutterWidth_) / charWidth_ + 4);
  if (value < 0) value = 0;
  if (value > limit) value = limit;
  if (value == leftCol_) return;
  leftCol_ = value;
  LeftColChanged();
}

void TCodeEdit::TopLineChanged() {
  verticalScrollBar()->setValue(topLine_ >> scrollShift_);
  std::int32_t keep = caretOffset_;
  UpdateCaret();
  caretOffset_ = keep;
  if (OnScroll) OnScroll(this);
  viewport()->update();
}

void TCodeEdit::LeftColChanged() {
  horizontalScrollBar()->setValue(leftCol_);
  std::int32_t keep = caretOffset_;
  UpdateCaret();
  caretOffset_ = keep;
  if (OnScroll) OnScroll(this);
  viewport()->update();
}

void TCodeEdit::ScrollToLine(std::int32_t value) {
  if (value == topLine_) return;
  // The exact line, not the thumb position: two panes of the same length stay row for row in
  // step even when the scroll bar is scaled down for a long text.
  pageRows_ = (ClientHeight() - topMargin_) / lineHeight_;
  SetTopLine(value);
}

void TCodeEdit::ScrollToCol(std::int32_t value) {
  std::int32_t limit = std::max(0, maxLineLen_ - (ClientWidth() - gutterWidth_) / charWidth_ + 3);
  HorzScroll(scTrack, std::min(value, limit));
}

QPoint TCodeEdit::PointToPixel(TPoint p) const {
  int count = lines_->Count();
  if (count == 0) return {0, 0};
  int line = std::clamp(p.Y, 0, count - 1);
  std::int32_t col = std::max(0, p.X);
  int y = std::clamp((line - topLine_) * lineHeight_ + topMargin_, 0, ClientHeight());
  std::int32_t v = VisualCol(line, col);
  int x = std::clamp((v - leftCol_) * charWidth_ + leftMargin_, 0, ClientWidth());
  return {x, y};
}

std::string TCodeEdit::ExpandTabs(const std::string& s) const {
  if (s.find('\t') == std::string::npos) return s;
  std::string out;
  out.reserve(s.size() + 8);
  for (char ch : s) {
    if (ch == '\t')
      out.append(static_cast<std::size_t>(tabSize_), ' ');
    else
      out += ch;
  }
  return out;
}

// The screen column of a character column: every tab before it takes TabSize columns.
std::int32_t TCodeEdit::VisualCol(int line, std::int32_t col) const {
  const std::string& s = lines_->Get(line);
  std::int32_t n = std::min<std::int32_t>(col, static_cast<std::int32_t>(s.size()));
  std::int32_t tabs = static_cast<std::int32_t>(std::count(s.begin(), s.begin() + n, '\t'));
  return col + tabs * (tabSize_ - 1);
}

// ---- Conversions ----------------------------------------------------------------------------

std::int32_t TCodeEdit::PointToOffset(TPoint p) const {
  if (p.Y == lines_->Count()) return 0;
  return lines_->GetLineObj(p.Y).Start + p.X;
}

TPoint TCodeEdit::OffsetToPoint(std::int32_t offset) const {
  int count = lines_->Count();
  if (count == 0) return {0, 0};
  int lo = 0, hi = count - 1, found = 0;
  while (lo <= hi) {
    int mid = lo + (hi - lo) / 2;
    if (lines_->GetLineObj(mid).Start <= offset) {
      found = mid;
      lo = mid + 1;
    } else {
      hi = mid - 1;
    }
  }
  const TLineObj& obj = lines_->GetLineObj(found);
  return {std::min(obj.Length, offset - obj.Start), found};
}

TPoint TCodeEdit::PixelToPoint(int x, int y) const {
  int count = lines_->Count();
  if (count == 0) return {0, 0};
  std::int32_t line = std::min(count, std::max(0, (y - topMargin_) / lineHeight_ + topLine_));
  if (line == count) return {kLineEnd, count - 1};
  std::int32_t col = (x - gutterWidth_ - leftMargin_) / charWidth_ + leftCol_;
  const std::string& s = lines_->Get(line);
  std::int32_t len = static_cast<std::int32_t>(s.size());
  if (s.find('\t') != std::string::npos) {
    std::int32_t walked = 0, visual = 0;
    while (walked < len && visual < col) {
      visual += s[static_cast<std::size_t>(walked)] == '\t' ? tabSize_ : 1;
      ++walked;
    }
    col = walked;
  }
  col = std::min(len, col);
  if (col < 0) col = 0;
  return {SnapToChar(s, col), line};
}

// The start of the character that covers byte column `col`, so the caret never splits a
// double-byte character.
std::int32_t TCodeEdit::SnapToChar(const std::string& line, std::int32_t col) const {
  std::int32_t i = 0;
  std::int32_t len = static_cast<std::int32_t>(line.size());
  while (i < col && i < len) {
    if (static_cast<unsigned char>(line[static_cast<std::size_t>(i)]) < 0x80) {
      ++i;
      continue;
    }
    std::int32_t n = static_cast<std::int32_t>(
        platform::CharLength(std::string_view(line).substr(static_cast<std::size_t>(i))));
    if (i + n > col) return i;
    i += n;
  }
  return col;
}

std::int32_t TCodeEdit::PrevCharCol(const std::string& line, std::int32_t col) const {
  if (col <= 0) return col - 1;
  return SnapToChar(line, col - 1);
}

std::int32_t TCodeEdit::NextCharCol(const std::string& line, std::int32_t col) const {
  std::int32_t len = static_cast<std::int32_t>(line.size());
  if (col < 0 || col >= len) return col + 1;
  return col + static_cast<std::int32_t>(
                   platform::CharLength(std::string_view(line).substr(static_cast<std::size_t>(col))));
}

// ---- Caret --------------------------------------------------------------------------------------

void TCodeEdit::UpdateCaret() {
  int count = lines_->Count();
  if (caretPos_.Y >= count) caretPos_.Y = count - 1;
  if (caretPos_.Y < 0) caretPos_.Y = 0;
  if (count == 0 || caretPos_.X < 0) {
    caretPos_.X = 0;
  } else {
    const std::string& s = lines_->Get(caretPos_.Y);
    caretPos_.X = SnapToChar(s, std::min<std::int32_t>(caretPos_.X, static_cast<std::int32_t>(s.size())));
  }
  caretOffset_ = PointToOffset(caretPos_);
  if (caretPos_.Y != paintedCaretLine_) viewport()->update();
  PlaceCaret();
}

QRect TCodeEdit::CaretRect() const {
  return QRect(caretPixel_.x(), caretPixel_.y(), 2, std::max(1, lineHeight_ - 2));
}

void TCodeEdit::CreateEditCaret() {
  if (caretCreated_ || readOnly_ || !hasFocus()) return;
  caretCreated_ = true;
  caretVisible_ = false;
  UpdateCaret();
}

void TCodeEdit::DestroyEditCaret() {
  if (!caretCreated_) return;
  if (caretVisible_) viewport()->update(CaretRect());
  caretVisible_ = false;
  caretCreated_ = false;
  blinkTimer_.stop();
}

void TCodeEdit::PlaceCaret() {
  if (!caretCreated_) return;
  std::int32_t v = lines_->Empty() ? caretPos_.X : VisualCol(caretPos_.Y, caretPos_.X);
  bool hidden = caretPos_.Y < topLine_ || v < leftCol_;
  if (hidden) {
    if (caretVisible_) {
      viewport()->update(CaretRect());
      caretVisible_ = false;
      blinkTimer_.stop();
    }
    return;
  }
  QPoint pt(gutterWidth_ + leftMargin_ + (v - leftCol_) * charWidth_,
            (caretPos_.Y - topLine_) * lineHeight_ + topMargin_ + 1);
  if (caretVisible_) viewport()->update(CaretRect());
  caretPixel_ = pt;
  caretVisible_ = true;
  blinkOn_ = true;
  blinkTimer_.start();
  viewport()->update(CaretRect());
}

void TCodeEdit::BlinkCaret() {
  if (!caretVisible_) return;
  blinkOn_ = !blinkOn_;
  viewport()->update(CaretRect());
}

void TCodeEdit::ScrollCaretIntoView() {
  if (leftCol_ > caretPos_.X) {
    leftCol_ = std::max(0, caretPos_.X);
    LeftColChanged();
  } else if (caretPos_.X > leftCol_ + visibleCols_) {
    leftCol_ = std::max(0, caretPos_.X - visibleCols_);
    LeftColChanged();
  }
  if (topLine_ > caretPos_.Y) {
    topLine_ = std::max(0, caretPos_.Y);
    TopLineChanged();
  } else if (caretPos_.Y > topLine_ + pageRows_) {
    topLine_ = std::max(0, caretPos_.Y - pageRows_);
    TopLineChanged();
  }
}

void TCodeEdit::SetCaretPos(TPoint p, bool collapse) {
  preferredCol_ = p.X;
  caretPos_ = p;
  UpdateCaret();
  if (collapse) selAnchor_ = caretOffset_;
  DoCaretPtChange();
  DoSelectionChange();
}

void TCodeEdit::MoveCaretTo(TPoint p) {
  SetCaretPos(p, true);
  ScrollCaretIntoView();
}

void TCodeEdit::DoSelectionChange() {
  if (!OnSelectionChange) return;
  bool oldEmpty = lastSelAnchor_ == lastCaretOffset_;
  bool newEmpty = selAnchor_ == caretOffset_;
  bool differs = lastSelAnchor_ != selAnchor_ || lastCaretOffset_ != caretOffset_;
  lastSelAnchor_ = selAnchor_;
  lastCaretOffset_ = caretOffset_;
  if (differs && !(oldEmpty && newEmpty)) OnSelectionChange(this);
}

void TCodeEdit::DoCaretPtChange() {
  if (!OnCaretPtChange) return;
  if (caretPos_ == lastCaretPos_) return;
  lastCaretPos_ = caretPos_;
  OnCaretPtChange(this);
}

// ---- Selection ----------------------------------------------------------------------------------

std::int32_t TCodeEdit::SelStart() const { return std::min(selAnchor_, caretOffset_); }

std::int32_t TCodeEdit::SelLength() const { return std::abs(caretOffset_ - selAnchor_); }

void TCodeEdit::SetSelStart(std::int32_t value) {
  selAnchor_ = value;
  SetCaretPos(OffsetToPoint(value), false);
  viewport()->update();
}

void TCodeEdit::SetSelLength(std::int32_t value) {
  std::int32_t s = SelStart();
  selAnchor_ = s;
  SetCaretPos(OffsetToPoint(s + value), false);
  viewport()->update();
}

std::string TCodeEdit::SelText() const {
  if (selAnchor_ == caretOffset_ || lines_->Empty()) return {};
  TPoint s = OffsetToPoint(SelStart());
  TPoint e = OffsetToPoint(std::max(selAnchor_, caretOffset_));
  const std::string& first = lines_->Get(s.Y);
  if (s.Y == e.Y) return first.substr(static_cast<std::size_t>(s.X), static_cast<std::size_t>(e.X - s.X));
  std::string out = first.substr(static_cast<std::size_t>(s.X));
  out += "\r\n";
  for (int y = s.Y + 1; y < e.Y; ++y) {
    out += lines_->Get(y);
    out += "\r\n";
  }
  out += lines_->Get(e.Y).substr(0, static_cast<std::size_t>(e.X));
  return out;
}

// ---- Editing --------------------------------------------------------------------------------

void TCodeEdit::ProcessChar(std::uint8_t c) {
  if (readOnly_) return;
  if (!(c == 7 || c == 8 || c == 9 || c == 13 || c >= 32)) return;
  if (lines_->Empty()) {
    if (c == 7 || c == 8) return;
    lines_->Add(std::string());
    caretPos_.X = 0;
    if (c == 13) return;  // the empty text became one empty line
  }

  TUndoItem rec;
  rec.Kind = ukTypeChar;
  rec.Input = std::string(1, static_cast<char>(c));
  rec.Offset = caretOffset_;
  rec.Pos = caretPos_;
  bool keep = true;  // the prepared ukTypeChar record is still to be added
  bool hasSel = selAnchor_ != caretOffset_;
  std::int32_t& x = caretPos_.X;
  std::int32_t& y = caretPos_.Y;

  switch (c) {
    case 7: {
      if (hasSel) {
        DeleteSelection();
        keep = false;
        break;
      }
      std::string line = lines_->Get(y);
      std::int32_t len = static_cast<std::int32_t>(line.size());
      rec.Kind = ukDeleteChar;
      keep = false;
      if (x >= len) {
        if (y >= lines_->Count() - 1) return;
        rec.Text = "\r";
        if (line.empty()) {
          lines_->Delete(y);
        } else if (lines_->Get(y + 1).empty()) {
          lines_->Delete(y + 1);
        } else {
          std::string joined = line + lines_->Get(y + 1);
          lines_->BeginUpdate();
          lines_->Put(y, joined);
          lines_->Delete(y + 1);
          lines_->EndUpdate();
        }
      } else {
        std::int32_t n = NextCharCol(line, x) - x;
        rec.Text = line.substr(static_cast<std::size_t>(x), static_cast<std::size_t>(n));
        line.erase(static_cast<std::size_t>(x), static_cast<std::size_t>(n));
        lines_->Put(y, line);
      }
      undo_->Add(rec);
      break;
    }
    case 8: {
      if (hasSel) {
        DeleteSelection();
        keep = false;
        break;
      }
      rec.Kind = ukDeleteChar;
      keep = false;
      if (x == 0) {
        if (y == 0) return;
        std::string prev = lines_->Get(y - 1);
        std::string cur = lines_->Get(y);
        if (prev.empty()) {
          --y;
          lines_->Delete(y);
        } else if (cur.empty()) {
          lines_->Delete(y);
          --y;
          x = static_cast<std::int32_t>(prev.size());
        } else {
          lines_->BeginUpdate();
          lines_->Delete(y);
          --y;
          x = static_cast<std::int32_t>(prev.size());
          lines_->Put(y, prev + cur);
          lines_->EndUpdate();
        }
        rec.Text = "\r";
        rec.Pos = caretPos_;
        rec.Offset = PointToOffset(caretPos_);
      } else {
        std::string line = lines_->Get(y);
        x = std::min<std::int32_t>(x, static_cast<std::int32_t>(line.size()));
        std::int32_t from = std::max(0, PrevCharCol(line, x));
        std::int32_t n = x - from;
        rec.Text = line.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(n));
        line.erase(static_cast<std::size_t>(from), static_cast<std::size_t>(n));
        lines_->Put(y, line);
        x = from;
        rec.Offset = caretOffset_ - n;
        rec.Pos.X = from;
      }
      undo_->Add(rec);
      break;
    }
    case 13: {
      DeleteSelection();
      if (lines_->Empty()) {
        lines_->Add(std::string());
        caretPos_ = {0, 0};
      }
      rec.Offset = caretOffset_;
      rec.Pos = caretPos_;
      std::string line = lines_->Get(y);
      std::int32_t len = static_cast<std::int32_t>(line.size());
      if (x <= 0) {
        lines_->Insert(y, std::string());
      } else if (x >= len) {
        lines_->Insert(y + 1, std::string());
      } else {
        lines_->BeginUpdate();
        lines_->Put(y, line.substr(0, static_cast<std::size_t>(x)));
        lines_->Insert(y + 1, line.substr(static_cast<std::size_t>(x)));
        lines_->EndUpdate();
      }
      ++y;
      x = 0;
      break;
    }
    default: {  // 9 and 32 … 255
      DeleteSelection();
      if (lines_->Empty()) {
        lines_->Add(std::string());
        caretPos_ = {0, 0};
      }
      rec.Offset = caretOffset_;
      rec.Pos = caretPos_;
      std::string line = lines_->Get(y);
      x = std::min<std::int32_t>(x, static_cast<std::int32_t>(line.size()));
      line.insert(line.begin() + x, static_cast<char>(c));
      lines_->Put(y, line);
      ++x;
      break;
    }
  }

  preferredCol_ = x;
  UpdateCaret();
  selAnchor_ = caretOffset_;
  ScrollCaretIntoView();
  DoCaretPtChange();
  if (keep) {
    rec.EndPos = caretPos_;
    rec.AfterOffset = caretOffset_;
    undo_->Add(rec);
  }
}

void TCodeEdit::DeleteSelection() {
  if (selAnchor_ == caretOffset_ || readOnly_ || lines_->Empty()) return;
  TPoint s = OffsetToPoint(SelStart());
  TPoint e = OffsetToPoint(std::max(selAnchor_, caretOffset_));
  TUndoItem rec;
  rec.Kind = ukDeleteBlock;
  rec.AnchorOffset = selAnchor_;
  rec.Offset = caretOffset_;
  rec.Text = SelText();

  int last = lines_->Count() - 1;
  if (s == TPoint{0, 0} && e.Y == last && e.X == lines_->GetLineObj(last).Length) {
    ownClear_ = true;
    try {
      lines_->Clear();
    } catch (...) {
      ownClear_ = false;
      throw;
    }
    ownClear_ = false;
    // Emptying the store is a change of the text like any other.
    lines_->SetModified(true);
    rec.EndOffset = 0;
    rec.EndPos = {0, 0};
    undo_->Add(rec);
    return;
  }

  lines_->BeginUpdate();
  try {
    std::string head = lines_->Get(s.Y).substr(0, static_cast<std::size_t>(s.X));
    std::string tail = lines_->Get(e.Y).substr(static_cast<std::size_t>(e.X));
    if (s.X == 0) {
      for (int i = e.Y - 1; i >= s.Y; --i) lines_->Delete(i);
      if (e.X > 0) lines_->Put(s.Y, tail);
    } else {
      lines_->Put(s.Y, head);
      for (int i = e.Y; i >= s.Y + 1; --i) lines_->Delete(i);
      lines_->Put(s.Y, head + tail);
    }
  } catch (...) {
    lines_->EndUpdate();
    throw;
  }
  lines_->EndUpdate();
  SetCaretPos(s, true);
  rec.EndOffset = SelStart();
  rec.EndPos = caretPos_;
  undo_->Add(rec);
}

void TCodeEdit::InsertText(const std::string& text) {
  if (readOnly_) return;
  DeleteSelection();
  if (text.empty()) return;
  TUndoItem rec;
  rec.Kind = ukInsertBlock;
  rec.Offset = caretOffset_;
  rec.Pos = caretPos_;
  if (lines_->Empty()) {
    lines_->Add(std::string());
    caretPos_ = {0, 0};
  }

  std::vector<std::string> parts;
  std::size_t begin = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      parts.push_back(text.substr(begin, i - begin));
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      begin = i + 1;
    }
  }
  bool endsWithBreak = text.back() == '\r' || text.back() == '\n';
  if (begin < text.size()) parts.push_back(text.substr(begin));

  std::int32_t& x = caretPos_.X;
  std::int32_t& y = caretPos_.Y;
  lines_->BeginUpdate();
  try {
    const std::string line = lines_->Get(y);
    x = std::min<std::int32_t>(x, static_cast<std::int32_t>(line.size()));
    std::string head = line.substr(0, static_cast<std::size_t>(x));
    std::string tail = line.substr(static_cast<std::size_t>(x));
    if (x == 0 && endsWithBreak) {
      for (const std::string& part : parts) lines_->Insert(y++, part);
    } else if (x == 0) {
      for (std::size_t i = 0; i + 1 < parts.size(); ++i) lines_->Insert(y++, parts[i]);
      x = static_cast<std::int32_t>(parts.back().size());
      lines_->Put(y, parts.back() + lines_->Get(y));
    } else {
      if (endsWithBreak) parts.emplace_back();
      lines_->Put(y, head + parts[0]);
      for (std::size_t i = 1; i < parts.size(); ++i) lines_->Insert(++y, parts[i]);
      x = static_cast<std::int32_t>(lines_->Get(y).size());
      if (!tail.empty()) lines_->Put(y, lines_->Get(y) + tail);
    }
  } catch (...) {
    lines_->EndUpdate();
    throw;
  }
  lines_->EndUpdate();
  SetCaretPos(caretPos_, true);
  rec.AfterOffset = caretOffset_;
  rec.Input = text;
  undo_->Add(rec);
  ScrollCaretIntoView();
}

// ---- Clipboard --------------------------------------------------------------------------------

void TCodeEdit::CopyToClipboard() {
  std::string t = SelText();
  if (t.empty()) return;
  QClipboard* cb = QGuiApplication::clipboard();
  if (!cb) throw TEditorError("Cannot open clipboard.");
  std::u16string u = platform::CodePageToUtf16(t);
  cb->setText(QString::fromStdU16String(u));
}

void TCodeEdit::CutToClipboard() {
  CopyToClipboard();
  DeleteSelection();
  DoSelectionChange();
}

void TCodeEdit::PasteFromClipboard() {
  QClipboard* cb = QGuiApplication::clipboard();
  if (!cb) throw TEditorError("Cannot open clipboard.");
  QByteArray utf8 = cb->text().toUtf8();
  InsertText(platform::Utf8ToCodePage(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size()))));
  DoSelectionChange();
}

// ---- Undo -----------------------------------------------------------------------------------------

void TCodeEdit::Undo() {
  undo_->Undo();
  ScrollCaretIntoView();
}

void TCodeEdit::Redo() {
  undo_->Redo();
  ScrollCaretIntoView();
}

void TCodeEdit::UndoReplayed() {
  viewport()->update();
  DoCaretPtChange();
  DoSelectionChange();
}
