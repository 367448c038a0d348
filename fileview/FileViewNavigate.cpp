// The files frame: difference navigation, block copy, synchronised scrolling and the overview
// strip.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>

#include <algorithm>
#include <cmath>

#include "app/Main.h"
#include "editor/CodeEditor.h"
#include "fileview/FileView.h"
#include "fileview/FrameParts.h"

// ---- navigation ---------------------------------------------------------------------------

void TFilesFrame::NextDifference() {
  TCodeEdit* pane = ActivePane();
  if (!pane || pane->Lines().Empty()) return;
  const TLines& lines = pane->Lines();
  const int count = lines.Count();
  auto color = [&](int i) { return lines.GetLineObj(i).Color; };
  int i = pane->CaretPos().Y;
  if (i < count) {
    const TColor c = color(i);
    while (i < count && color(i) == c) ++i;
  }
  while (i < count && color(i) == pane->Color()) ++i;
  if (i >= count) {
    Beep();
    return;
  }
  pane->MoveCaretTo(TPoint{0, i});
  int end = i;
  while (end + 1 < count && color(end + 1) == color(i)) ++end;
  if (end + 1 >= pane->TopLine() + pane->PageRows()) pane->ScrollToLine(pane->CaretPos().Y);
}

void TFilesFrame::PrevDifference() {
  TCodeEdit* pane = ActivePane();
  if (!pane) return;
  const TLines& lines = pane->Lines();
  const int count = lines.Count();
  auto color = [&](int i) { return lines.GetLineObj(i).Color; };
  int i = pane->CaretPos().Y;
  if (i >= count) {
    Beep();
    return;
  }
  const TColor c = color(i);
  while (i >= 0 && color(i) == c) --i;
  if (i >= 0 && color(i) == pane->Color())
    while (i >= 0 && color(i) == pane->Color()) --i;
  if (i < 0) {
    Beep();
    return;
  }
  while (i > 0 && color(i - 1) == color(i)) --i;
  pane->MoveCaretTo(TPoint{0, i});
}

void TFilesFrame::CopyBlockRight() { CopyBlock(Pane1, Pane2, Main.mnuCopyBlockRight); }
void TFilesFrame::CopyBlockLeft() { CopyBlock(Pane2, Pane1, Main.mnuCopyBlockLeft); }

void TFilesFrame::CopyBlock(TCodeEdit* from, TCodeEdit* to, QAction* item) {
  item->setEnabled(false);
  if (ActivePane() != from || from->Lines().Empty()) return;
  const TLines& src = from->Lines();
  const int row = from->CaretPos().Y;
  if (row >= src.Count()) return;
  const TColor c = src.GetLineObj(row).Color;
  if (c == from->Color()) return;
  int b = row, e = row;
  while (b > 0 && src.GetLineObj(b - 1).Color == c) --b;
  while (e + 1 < src.Count() && src.GetLineObj(e + 1).Color == c) ++e;
  const TLines& dst = to->Lines();
  if (dst.Count() < e + 1 || dst.GetLineObj(b).Color != c || dst.GetLineObj(e).Color != c) return;
  auto select = [b, e](TCodeEdit* pane) {
    const TLines& l = pane->Lines();
    const std::int32_t start = l.GetLineObj(b).Start;
    pane->SetSelStart(start);
    pane->SetSelLength(l.GetLineObj(e).Start + l.GetLineObj(e).Length - start + 2);
  };
  select(from);
  if (from->SelLength() > 0)
    from->CopyToClipboard();
  else
    QApplication::clipboard()->clear();
  select(to);
  to->PasteFromClipboard();
}

void TFilesFrame::PaneKeyDown(TCodeEdit* pane, int& key, Qt::KeyboardModifiers shift) {
  if (!ResultPresent) return;
  if (!(shift & Qt::ControlModifier) || !(shift & Qt::AltModifier)) return;
  auto isDiffRow = [](TCodeEdit* p) {
    const int row = p->CaretPos().Y;
    return row < p->Lines().Count() && p->Lines().GetLineObj(row).Color != p->Color();
  };
  if (key == Qt::Key_Right && isDiffRow(Pane1)) {
    CopyBlockRight();
    key = 0;
  } else if (key == Qt::Key_Left && isDiffRow(Pane2)) {
    CopyBlockLeft();
    key = 0;
  }
}

// ---- synchronised scrolling and the overview strip ------------------------------------------

void TFilesFrame::SetSyncScrolling(bool on) {
  if (on) {
    for (TCodeEdit* pane : {Pane1, Pane2}) pane->OnScroll = [this](TCodeEdit* sender) { PaneScrolled(sender); };
    PaneScrolled(Pane1);
    sbDiff->show();
    AdjustStripWidth();
  } else {
    Pane1->OnScroll = nullptr;
    Pane2->OnScroll = nullptr;
    sbDiff->hide();
  }
}

void TFilesFrame::PaneScrolled(TCodeEdit* sender) {
  if (Scrolling) return;
  Scrolling = true;
  struct TGuard {
    bool& flag;
    ~TGuard() { flag = false; }
  } guard{Scrolling};
  TCodeEdit* other = sender == Pane1 ? Pane2 : Pane1;
  other->ScrollToLine(sender->TopLine());
  other->ScrollToCol(sender->LeftCol());
  if (CurrentLine >= 0) PlaceLineBars();
  QScrollBar* bar = sbDiff->verticalScrollBar();
  const int count = Pane1->Lines().Count();
  if (bar->maximum() > 0 && count > 0) {
    const int p = static_cast<int>(std::lround(static_cast<double>(Pane1->TopLine()) / count * pbDiff->height()));
    const int o = sbDiff->height() / 2 - (Pane1->viewport()->height() / Pane1->LineHeight()) / 2;
    if (o < p || p < bar->value()) bar->setValue(p - o);
  }
  pbDiff->update();
}

void TFilesFrame::FrameMouseWheel(TCodeEdit* sender, int delta, bool& handled) {
  sender->VertScroll(delta < 0 ? TCodeEdit::scLineDown : TCodeEdit::scLineUp);
  handled = true;
}

void TFilesFrame::BuildOverview() {
  OverviewRows.clear();
  if (Pane1->Lines().Empty() || Pane2->Lines().Empty()) {
    pbDiff->resize(kStripWidth, 3);
    return;
  }
  const TLines& lines = Pane1->Lines();
  OverviewRows.resize(static_cast<std::size_t>(lines.Count()));
  for (int i = 0; i < lines.Count(); ++i) OverviewRows[static_cast<std::size_t>(i)] = lines.GetLineObj(i).Color;
  pbDiff->resize(kStripWidth, lines.Count() + 3);
  AdjustStripWidth();
  pbDiff->update();
}

void TFilesFrame::AdjustStripWidth() {
  if (!sbDiff || !pbDiff) return;
  int w = pbDiff->width() + 2;
  if (pbDiff->height() - 3 > sbDiff->maximumViewportSize().height())
    w += style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  if (sbDiff->width() != w) sbDiff->setFixedWidth(w);
}

void TFilesFrame::pbDiffMarkerPaint(QPainter& p) {
  const QColor window = Pane1->ToQColor(clWindow);
  const QRect area = p.clipBoundingRect().isEmpty() ? pbDiff->rect() : p.clipBoundingRect().toAlignedRect();
  p.fillRect(area, window);
  const int first = std::max(0, area.top());
  const int last = std::min(static_cast<int>(OverviewRows.size()), area.bottom() + 1);
  for (int y = first; y < last;) {
    const TColor c = OverviewRows[static_cast<std::size_t>(y)];
    int end = y + 1;
    while (end < last && OverviewRows[static_cast<std::size_t>(end)] == c) ++end;
    if (c != clWindow) p.fillRect(QRect(0, y, pbDiff->width(), end - y), Pane1->ToQColor(c));
    y = end;
  }
  pbScrollPosMarkerPaint(p);
}

void TFilesFrame::pbScrollPosMarkerPaint(QPainter& p) {
  if (Pane1->Lines().Empty()) return;
  p.setPen(QColor(0, 0, 255));
  p.drawLine(0, OverviewClickY, pbDiff->width() - 2, OverviewClickY);
  p.setPen(QColor(255, 0, 0));
  p.setBrush(Qt::NoBrush);
  const int top = Pane1->TopLine();
  const int bottom = top + Pane1->viewport()->height() / Pane1->LineHeight() - 5;
  p.drawRect(QRect(QPoint(1, top), QPoint(pbDiff->width() - 2, std::max(top, bottom))));
}

void TFilesFrame::pbDiffMouseDown(int y) {
  OverviewClickY = y;
  QScrollBar* bar = sbDiff->verticalScrollBar();
  const int keep = bar->value();
  const int h = (Pane1->viewport()->height() / Pane1->LineHeight()) / 2;
  Pane1->ScrollToLine(std::max(y - h, 0));
  bar->setValue(keep);
  pbDiff->update();
}
