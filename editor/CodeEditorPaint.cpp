// Painting of TCodeEdit: gutter, line backgrounds, selection, caret line and caret bar.
//
// Every row is drawn with at most three opaque, clipped text outputs (before the selection, the
// selection to the right edge, after the selection), each filling its rectangle first. Text is
// code-page bytes; each character is drawn at its display column times CharWidth, a tab taking
// TabSize cells and every other character the cells of its width (CellsAt).
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

#include "editor/CodeEditor.h"
#include "platform/CodePage.h"

namespace editor {

namespace {

constexpr TColor kGutterFocused = 0xC0DCC0;
constexpr TColor kGutterUnfocused = 0xD0D0D0;
constexpr TColor kGutterDark = 0x808080;
constexpr TColor kGutterLight = 0xC0C0C0;
constexpr TColor kSelectionUnfocused = 0xC0C0C0;

}  // namespace

void TCodeEdit::paintEvent(QPaintEvent*) {
  QPainter p(viewport());
  Paint(p);
}

TColor TCodeEdit::LineBackground(int line) const {
  const TLineObj& obj = Lines().GetLineObj(line);
  return obj.Modified ? modifiedLineColor_ : obj.Color;
}

// Every row that shows in the viewport is painted, the partly visible one at the bottom too.
// (PageRows, which the page keys and the bottom scroll limit use, counts whole rows only after a
// resize, and one more after a scroll step; painting must not depend on which came last.)
void TCodeEdit::Paint(QPainter& p) {
  const int w = ClientWidth();
  const int h = ClientHeight();
  p.setFont(font());
  const QColor gutter = ToQColor(hasFocus() ? kGutterFocused : kGutterUnfocused);

  p.fillRect(QRect(gutterWidth_, 0, std::max(0, w - gutterWidth_), h), ToQColor(color_));
  if (gutterWidth_ > 0) {
    p.fillRect(QRect(0, 0, gutterWidth_, h), gutter);
    p.fillRect(QRect(gutterWidth_ - 1, 0, 1, h), ToQColor(kGutterDark));
    if (gutterWidth_ >= 2) p.fillRect(QRect(gutterWidth_ - 2, 0, 1, h), ToQColor(kGutterLight));
  }
  p.setPen(Qt::black);

  paintedCaretLine_ = CaretPos().Y;
  const int count = Lines().Count();
  for (int i = 0; topMargin_ + i * lineHeight_ < h && topLine_ + i < count; ++i) {
    const int line = topLine_ + i;
    const QRect r(QPoint(gutterWidth_ + leftMargin_, topMargin_ + i * lineHeight_),
                  QPoint(w - 1, topMargin_ + (i + 1) * lineHeight_ - 1));
    if (i == 0) {
      // The margin above the first row continues the colour of the line scrolled off above it.
      const TColor strip = topLine_ == 0 ? color_ : LineBackground(topLine_ - 1);
      p.fillRect(QRect(r.left(), 0, std::max(0, w - r.left()), topMargin_), ToQColor(strip));
    }
    PaintGutterRow(p, line, r, gutter);
    PaintLine(p, line, r);
  }

  if (CaretCreated() && caretVisible_ && blinkOn_) {
    // Inverted, like the system caret, so it shows on the dark caret line as well.
    p.save();
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.fillRect(CaretRect(), Qt::white);
    p.restore();
  }
}

void TCodeEdit::PaintGutterRow(QPainter& p, int line, const QRect& row, const QColor& gutter) {
  if (autoLineNum_) {
    const std::string num = std::to_string(line + 1);
    p.setPen(Qt::black);
    p.setBrush(gutter);
    TextOut(p, gutterWidth_ - TextWidth(num) - 4, row.top(), num);
    p.setBrush(Qt::NoBrush);
  } else if (OnPaintLeftMargin) {
    p.save();
    p.setBrush(gutter);
    p.setBackground(gutter);
    p.setPen(Qt::black);
    const QRect margin(QPoint(0, row.top()), QPoint(gutterWidth_ - 3 - 1, row.bottom()));
    OnPaintLeftMargin(this, p, margin, line + 1, Lines().GetLineObj(line).Tag);
    p.restore();
    p.setFont(font());
  }
}

void TCodeEdit::PaintLine(QPainter& p, int line, QRect r) {
  const std::string_view raw = Lines().Get(line);
  const bool hasTabs = raw.find('\t') != std::string_view::npos;
  const std::string expanded = hasTabs ? ExpandTabs(raw) : std::string();
  const std::string_view t = hasTabs ? std::string_view(expanded) : raw;
  const TLineObj& obj = Lines().GetLineObj(line);
  const std::int32_t s1 = SelStart();
  const std::int32_t s2 = s1 + SelLength();
  if (s1 != s2 && obj.Start + obj.Length >= s1 && s2 >= obj.Start) {
    PaintSelectedLine(p, line, r, t);
    return;
  }
  const int x0 = r.left() - charWidth_ * leftCol_;
  if (line != CaretPos().Y) {
    DrawRowText(p, r, x0, t, ToQColor(LineBackground(line)), Qt::black);
    PaintSpans(p, line, r, x0, t);
    return;
  }
  DrawRowText(p, r, x0, t, ToQColor(clBackground), Qt::white);
  // A dotted focus frame around the row, inverted like the platform's focus rectangle.
  p.save();
  p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  QPen pen(Qt::white);
  pen.setStyle(Qt::DotLine);
  pen.setWidth(1);
  p.setPen(pen);
  p.setBrush(Qt::NoBrush);
  p.drawRect(r.adjusted(0, 0, -1, -1));
  p.restore();
}

// A line the selection touches: normal colours before the selection, the highlight from its start
// to the right edge, normal colours again after it when it ends before this line's break.
void TCodeEdit::PaintSelectedLine(QPainter& p, int line, QRect r, std::string_view text) {
  const std::string_view raw = Lines().Get(line);
  const TLineObj& obj = Lines().GetLineObj(line);
  const QColor c = ToQColor(LineBackground(line));
  const int x0 = r.left() - charWidth_ * leftCol_;
  const std::int32_t s1 = SelStart();
  const std::int32_t s2 = s1 + SelLength();
  // The selection's ends as display columns of the row.
  std::int32_t a = DisplayCol(raw, std::max(0, s1 - obj.Start));
  std::int32_t b = DisplayCol(raw, std::min(obj.Length, s2 - obj.Start));
  a = std::max(0, a - leftCol_);
  b = std::max(0, b - leftCol_ - a);
  // The changed parts keep their colour outside the selection and show through it blended.
  if (a > 0) {
    QRect before = r;
    before.setWidth(charWidth_ * a);
    DrawRowText(p, before, x0, text, c, Qt::black);
    PaintSpans(p, line, before, x0, text);
    r.setLeft(r.left() + charWidth_ * a);
  }
  const QColor selBrush = hasFocus() ? ToQColor(clHighlight) : ToQColor(kSelectionUnfocused);
  QRect selected = r;
  DrawRowText(p, r, x0, text, selBrush, ToQColor(clHighlightText));
  if (s2 - obj.Start <= obj.Length) {
    r.setLeft(r.left() + charWidth_ * b);
    DrawRowText(p, r, x0, text, c, Qt::black);
    PaintSpans(p, line, r, x0, text);
    selected.setRight(r.left() - 1);
  }
  PaintSpans(p, line, selected, x0, text, &selBrush);
}

void TCodeEdit::PaintSpans(QPainter& p, int line, const QRect& r, int x0, std::string_view text,
                           const QColor* selection) {
  if (!OnLineSpans || r.width() <= 0) return;
  std::vector<std::pair<int, int>> spans;
  TColor color = clHighlight;
  OnLineSpans(this, line, spans, color);
  if (spans.empty()) return;
  QColor fill = ToQColor(color);
  if (selection)
    fill = QColor((fill.red() + selection->red()) / 2, (fill.green() + selection->green()) / 2,
                  (fill.blue() + selection->blue()) / 2);
  p.save();
  p.setClipRect(r);
  for (const auto& [first, last] : spans) {
    const int from = VisualCol(line, first), to = VisualCol(line, last);
    const QRect span(x0 + from * charWidth_, r.top(), (to - from) * charWidth_, r.height());
    p.fillRect(span, fill);
    // Only the spans' own text is drawn again: the rest of `r` keeps its colours.
    p.save();
    p.setClipRect(span & r);
    p.setPen(selection ? ToQColor(clHighlightText) : QColor(Qt::black));
    DrawCodePageText(p, r, x0, r.top() + ascent_, text);
    p.restore();
  }
  p.restore();
}

void TCodeEdit::DrawRowText(QPainter& p, const QRect& r, int x0, std::string_view text,
                            const QColor& brush, const QColor& pen) {
  if (r.width() <= 0 || r.height() <= 0) return;
  p.fillRect(r, brush);
  p.setPen(pen);
  DrawCodePageText(p, r, x0, r.top() + ascent_, text);
}

// Draws `text` (tabs already expanded) from x0 on, each character at its display column, leaving
// out what lies outside `clip`. Runs of ASCII go out in one call when the font advances exactly one
// cell per character; any other character is drawn on its own at its column, with the combining
// marks that follow it, so that glyphs of a fallback font stay on the grid.
void TCodeEdit::DrawCodePageText(QPainter& p, const QRect& clip, int x0, int baseline,
                                 std::string_view text) const {
  const int cw = charWidth_;
  const std::size_t n = text.size();
  if (n == 0) return;
  const int right = clip.right() + 1;
  // A character that begins up to two cells left of the clip may still reach into it.
  const int left = clip.left() - 2 * cw;

  p.save();
  p.setClipRect(clip);
  QString run;
  int runX = 0;
  auto flush = [&] {
    if (!run.isEmpty()) p.drawText(runX, baseline, run);
    run.clear();
  };
  std::size_t i = 0;
  std::int32_t col = 0;
  while (i < n) {
    const int x = x0 + col * cw;
    if (x >= right) break;
    const auto ch = static_cast<unsigned char>(text[i]);
    if (ch < 0x80) {
      if (ch > 32 && ch != 127 && x >= left) {
        if (exactAdvance_) {
          if (run.isEmpty()) runX = x;
          run += QLatin1Char(static_cast<char>(ch));
        } else {
          p.drawText(x, baseline, QString(QLatin1Char(static_cast<char>(ch))));
        }
      } else {
        flush();
      }
      ++i;
      ++col;
      continue;
    }
    flush();
    std::size_t length = 1;
    const int cells = CellsAt(text.substr(i), length);
    std::size_t end = i + length;
    // Combining marks go out with the character they sit on.
    while (end < n && static_cast<unsigned char>(text[end]) >= 0x80) {
      std::size_t markLength = 1;
      if (CellsAt(text.substr(end), markLength) != 0) break;
      end += markLength;
    }
    if (x >= left) p.drawText(x, baseline, QString::fromStdU16String(platform::CodePageToUtf16(text.substr(i, end - i))));
    i = end;
    col += cells;
  }
  flush();
  p.restore();
}

void TCodeEdit::TextOut(QPainter& p, int x, int y, const std::string& text) const {
  QRect box(x, y, TextWidth(text), lineHeight_);
  // Opaque, as on a canvas: the cell boxes take the painter's brush first.
  if (p.brush().style() != Qt::NoBrush) p.fillRect(box, p.brush());
  p.setFont(font());
  DrawCodePageText(p, box, x, y + ascent_, text);
}

int TCodeEdit::TextWidth(const std::string& text) const {
  return static_cast<int>(text.size()) * charWidth_;
}

}  // namespace editor
