#include "editor/CodeEditor.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QMimeData>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

#include "editor/QtColor.h"
#include "platform/CodePage.h"
#include "platform/TextWidth.h"

namespace editor {

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

  core_ = std::make_unique<TEditCore>(static_cast<TEditView*>(this));

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
  core_.reset();
  caretCreated_ = caretVisible_ = false;
}

int TCodeEdit::ClientWidth() const { return viewport()->width(); }
int TCodeEdit::ClientHeight() const { return viewport()->height(); }

QColor TCodeEdit::ToQColor(TColor c) const { return editor::ToQColor(c, palette()); }

// ---- Properties -----------------------------------------------------------------------------

void TCodeEdit::SetGutterWidth(std::int32_t value) {
  if (value == gutterWidth_) return;
  gutterWidth_ = std::max(0, value);
  RecalcGeometry();
  UpdateCaret();
  viewport()->update();
}

std::int32_t TCodeEdit::AutoGutterWidth() const {
  int count = core_ ? Lines().Count() : 0;
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
  for (int i = 0; i < Lines().Count(); ++i) {
    TLineObj& obj = Lines().GetLineObj(i);
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
  if (value == ReadOnly()) return;
  core_->SetReadOnly(value);
  // A read-only pane never shows the caret bar; an editable one shows it while focused.
  if (value)
    DestroyEditCaret();
  else
    CreateEditCaret();
}

void TCodeEdit::FontChanged() {
  QFontMetrics fm(font());
  charWidth_ = std::max(1, fm.horizontalAdvance(QLatin1Char('0')));
  fontCells_.clear();
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
  if (e->type() == QEvent::FontChange && core_) FontChanged();
  if (e->type() == QEvent::PaletteChange) viewport()->update();
}

// ---- Store notifications ----------------------------------------------------------------------

void TCodeEdit::LinesCleared() {
  if (autoLineNum_) gutterWidth_ = 20;
  topLine_ = 0;
  leftCol_ = 0;
  // The core resets the caret and the selection itself.
}

void TCodeEdit::LinesUpdateGutter() {
  if (autoLineNum_) SetGutterWidth(AutoGutterWidth());
}

void TCodeEdit::LinesInvalidate() { viewport()->update(); }

// ---- Layout -------------------------------------------------------------------------------------

void TCodeEdit::RecalcGeometry() {
  std::int32_t oldRows = pageRows_;
  std::int32_t oldCols = visibleCols_;
  int count = core_ ? Lines().Count() : 0;
  pageRows_ = (ClientHeight() - topMargin_) / lineHeight_ - 1;
  if (topLine_ > 0 && pageRows_ > oldRows && count < topLine_ + pageRows_)
    topLine_ = std::max(0, count - pageRows_);
  visibleCols_ = (ClientWidth() - gutterWidth_ - leftMargin_) / charWidth_ - 1;
  if (leftCol_ > 0 && visibleCols_ > oldCols && maxLineLen_ < leftCol_ + visibleCols_)
    leftCol_ = std::max(0, maxLineLen_ - visibleCols_);
}

void TCodeEdit::UpdateScrollBars() {
  if (!core_) return;
  std::int32_t n = Lines().Count();
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
  if (!core_) return;
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
  int count = Lines().Count();
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
  KeepCaretOffsetAndPlaceCaret();
  if (OnScroll) OnScroll(this);
  viewport()->update();
}

void TCodeEdit::LeftColChanged() {
  horizontalScrollBar()->setValue(leftCol_);
  KeepCaretOffsetAndPlaceCaret();
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
  int count = Lines().Count();
  if (count == 0) return {0, 0};
  int line = std::clamp(p.Y, 0, count - 1);
  std::int32_t col = std::max(0, p.X);
  int y = std::clamp((line - topLine_) * lineHeight_ + topMargin_, 0, ClientHeight());
  std::int32_t v = VisualCol(line, col);
  int x = std::clamp((v - leftCol_) * charWidth_ + leftMargin_, 0, ClientWidth());
  return {x, y};
}

std::string TCodeEdit::ExpandTabs(std::string_view s) const {
  if (s.find('\t') == std::string_view::npos) return std::string(s);
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

std::int32_t TCodeEdit::VisualCol(int line, std::int32_t col) const { return DisplayCol(Lines().Get(line), col); }

int TCodeEdit::CellsAt(std::string_view rest, std::size_t& length) const {
  const char32_t c = platform::FirstCodePoint(rest, length);
  const int cells = platform::CharCells(c);
  if (cells != platform::kCellsOfFont) return cells;
  std::uint32_t key = 0;
  for (std::size_t i = 0; i < length; ++i) key = key << 8 | static_cast<unsigned char>(rest[i]);
  auto [it, added] = fontCells_.try_emplace(key, 1);
  if (added) {
    const QString glyph = QString::fromStdU16String(platform::CodePageToUtf16(rest.substr(0, length)));
    const double advance = QFontMetricsF(font()).horizontalAdvance(glyph);
    it->second = advance > 1.5 * charWidth_ ? 2 : 1;
  }
  return it->second;
}

std::int32_t TCodeEdit::DisplayCol(std::string_view s, std::int32_t col) const {
  if (col <= 0) return col;
  const std::size_t end = std::min(static_cast<std::size_t>(col), s.size());
  std::int32_t cells = 0;
  std::size_t i = 0;
  while (i < end) {
    const auto ch = static_cast<unsigned char>(s[i]);
    if (ch < 0x80) {
      cells += ch == '\t' ? tabSize_ : 1;
      ++i;
    } else {
      std::size_t length = 1;
      cells += CellsAt(s.substr(i), length);
      i += length;
    }
  }
  return cells + (static_cast<std::size_t>(col) > s.size() ? col - static_cast<std::int32_t>(s.size()) : 0);
}

std::int32_t TCodeEdit::ByteColAt(std::string_view s, std::int32_t col) const {
  std::int32_t cells = 0;
  std::size_t i = 0;
  while (i < s.size()) {
    const auto ch = static_cast<unsigned char>(s[i]);
    std::size_t length = 1;
    const int w = ch < 0x80 ? (ch == '\t' ? tabSize_ : 1) : CellsAt(s.substr(i), length);
    // Inside a tab's cells the column after it counts, inside a wide character its start.
    if (cells + w > col) return static_cast<std::int32_t>(ch == '\t' && col > cells ? i + 1 : i);
    cells += w;
    i += length;
  }
  return static_cast<std::int32_t>(s.size());
}

// ---- Conversions ----------------------------------------------------------------------------

TPoint TCodeEdit::PixelToPoint(int x, int y) const {
  int count = Lines().Count();
  if (count == 0) return {0, 0};
  std::int32_t line = std::min(count, std::max(0, (y - topMargin_) / lineHeight_ + topLine_));
  if (line == count) return {kLineEnd, count - 1};
  const std::int32_t cell = (x - gutterWidth_ - leftMargin_) / charWidth_ + leftCol_;
  const std::string_view s = Lines().Get(line);
  const std::int32_t col = cell < 0 ? 0 : ByteColAt(s, cell);
  return {TEditCore::SnapToChar(s, col), line};
}

// ---- Caret --------------------------------------------------------------------------------------

// The caret bar follows the scrolled text. The caret offset is kept as it was: while a selection
// is dragged it is not the offset of the caret's point.
void TCodeEdit::KeepCaretOffsetAndPlaceCaret() {
  const std::int32_t keep = core_->CaretOffset();
  core_->UpdateCaret();
  core_->SetCaretOffset(keep);
}

void TCodeEdit::EditCaretMoved() {
  if (CaretPos().Y != paintedCaretLine_) viewport()->update();
  PlaceCaret();
}

QRect TCodeEdit::CaretRect() const {
  return QRect(caretPixel_.x(), caretPixel_.y(), 2, std::max(1, lineHeight_ - 2));
}

void TCodeEdit::CreateEditCaret() {
  if (caretCreated_ || ReadOnly() || !hasFocus()) return;
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
  const TPoint caret = CaretPos();
  std::int32_t v = Lines().Empty() ? caret.X : VisualCol(caret.Y, caret.X);
  bool hidden = caret.Y < topLine_ || v < leftCol_;
  if (hidden) {
    if (caretVisible_) {
      viewport()->update(CaretRect());
      caretVisible_ = false;
      blinkTimer_.stop();
    }
    return;
  }
  QPoint pt(gutterWidth_ + leftMargin_ + (v - leftCol_) * charWidth_,
            (caret.Y - topLine_) * lineHeight_ + topMargin_ + 1);
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

// Uses the character column, not the tab-expanded one.
void TCodeEdit::ScrollCaretIntoView() {
  const TPoint caret = CaretPos();
  if (leftCol_ > caret.X) {
    leftCol_ = std::max(0, caret.X);
    LeftColChanged();
  } else if (caret.X > leftCol_ + visibleCols_) {
    leftCol_ = std::max(0, caret.X - visibleCols_);
    LeftColChanged();
  }
  if (topLine_ > caret.Y) {
    topLine_ = std::max(0, caret.Y);
    TopLineChanged();
  } else if (caret.Y > topLine_ + pageRows_) {
    topLine_ = std::max(0, caret.Y - pageRows_);
    TopLineChanged();
  }
}

void TCodeEdit::ScrollCaretRowIntoView() {
  ScrollCaretIntoView();
  const std::int32_t full = std::max(1, (ClientHeight() - topMargin_) / std::max(1, lineHeight_));
  const std::int32_t y = CaretPos().Y;
  if (y >= topLine_ + full) SetTopLine(y - full + 1);
}

void TCodeEdit::DoSelectionChange() {
  if (!OnSelectionChange) return;
  const std::int32_t anchor = SelAnchor(), offset = CaretOffset();
  bool oldEmpty = lastSelAnchor_ == lastCaretOffset_;
  bool newEmpty = anchor == offset;
  bool differs = lastSelAnchor_ != anchor || lastCaretOffset_ != offset;
  lastSelAnchor_ = anchor;
  lastCaretOffset_ = offset;
  if (differs && !(oldEmpty && newEmpty)) OnSelectionChange(this);
}

void TCodeEdit::DoCaretPtChange() {
  if (!OnCaretPtChange) return;
  if (CaretPos() == lastCaretPos_) return;
  lastCaretPos_ = CaretPos();
  OnCaretPtChange(this);
}

void TCodeEdit::EditReplayed() {
  viewport()->update();
  DoCaretPtChange();
  DoSelectionChange();
}

// ---- Selection ----------------------------------------------------------------------------------

void TCodeEdit::SetSelStart(std::int32_t value) {
  core_->SetSelStart(value);
  viewport()->update();
}

void TCodeEdit::SetSelLength(std::int32_t value) {
  core_->SetSelLength(value);
  viewport()->update();
}

// ---- Clipboard ----------------------------------------------------------------------------------

void TCodeEdit::CopyToClipboard() {
  const std::string t = SelText();
  if (t.empty()) return;
  QClipboard* cb = QGuiApplication::clipboard();
  if (!cb) throw TEditorError(tr("Cannot open clipboard.").toStdString());
  auto* data = new QMimeData;
  data->setText(QString::fromStdU16String(platform::CodePageToUtf16(t)));
  data->setData(QString::fromLatin1(kCodePageMime), QByteArray(t.data(), static_cast<qsizetype>(t.size())));
  cb->setMimeData(data);
}

void TCodeEdit::CutToClipboard() {
  CopyToClipboard();
  DeleteSelection();
  DoSelectionChange();
}

void TCodeEdit::PasteFromClipboard() {
  if (RefuseEdit()) return;
  QClipboard* cb = QGuiApplication::clipboard();
  if (!cb) throw TEditorError(tr("Cannot open clipboard.").toStdString());
  const QMimeData* data = cb->mimeData();
  const QString format = QString::fromLatin1(kCodePageMime);
  if (data && data->hasFormat(format)) {
    const QByteArray bytes = data->data(format);
    InsertText(std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  } else {
    const QByteArray utf8 = cb->text().toUtf8();
    InsertText(platform::Utf8ToCodePage(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size()))));
  }
  DoSelectionChange();
}

}  // namespace editor
