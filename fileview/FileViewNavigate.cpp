// The files frame: difference navigation, block copy, synchronised scrolling and the overview
// strip. Navigation and block copy work on the kinds the pane rows carry (a pane may hold edits,
// so its rows are read, not the comparison's).
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>

#include <algorithm>
#include <cmath>

#include "editor/CodeEditor.h"
#include "fileview/FileView.h"
#include "fileview/FrameParts.h"

using compare::AllSides;
using compare::Side1;
using compare::Side2;
using compare::TRowKind;
using views::TCommand;
using editor::TCodeEdit;
using editor::TColor;
using editor::TLines;
using editor::TPoint;
using editor::clWindow;

namespace fileview {

// The row kinds of a pane, as the navigation over kinds reads them: in the section view a section
// that moved is one block, lines changed inside it included.
std::function<TRowKind(std::int32_t)> TFilesFrame::KindsOf(const TCodeEdit& pane) const {
  auto kind = [&lines = pane.Lines()](std::int32_t i) { return static_cast<TRowKind>(lines.GetLineObj(i).Kind); };
  if (!bySection_) return kind;
  return [this, kind](std::int32_t i) {
    const std::size_t row = paneRows_.empty() ? static_cast<std::size_t>(i)
                                              : static_cast<std::size_t>(paneRows_[static_cast<std::size_t>(i)]);
    return row < sectionRows_.Rows.size() && sectionRows_.Rows[row].InMovedSection ? TRowKind::Moved : kind(i);
  };
}

// ---- navigation ---------------------------------------------------------------------------

void TFilesFrame::NextDifference() {
  TCodeEdit* pane = ActivePane();
  if (!pane || pane->Lines().Empty()) return;
  const int count = pane->Lines().Count();
  const auto kinds = KindsOf(*pane);
  const auto next = compare::NextDifference(count, kinds, pane->CaretPos().Y);
  if (!next) {
    Beep();
    return;
  }
  pane->MoveCaretTo(TPoint{0, *next});
  const auto block = compare::DifferenceAt(count, kinds, *next);
  if (block && block->second + 1 >= pane->TopLine() + pane->PageRows()) pane->ScrollToLine(pane->CaretPos().Y);
}

void TFilesFrame::PrevDifference() {
  TCodeEdit* pane = ActivePane();
  if (!pane) return;
  const auto prev = compare::PrevDifference(pane->Lines().Count(), KindsOf(*pane), pane->CaretPos().Y);
  if (!prev) {
    Beep();
    return;
  }
  pane->MoveCaretTo(TPoint{0, *prev});
}

// The block's bytes go over as they are (no round trip through the clipboard's Unicode text, which
// would rewrite bytes that are no character of the code page).
void TFilesFrame::CopyBlock(TSide from, TSide to) {
  Host.SetEnabled(from == Side1 ? TCommand::CopyBlockRight : TCommand::CopyBlockLeft, false);
  TCodeEdit* src = Pane(from);
  TCodeEdit* dst = Pane(to);
  if (ActivePane() != src || src->Lines().Empty()) return;
  const auto block = compare::DifferenceAt(src->Lines().Count(), KindsOf(*src), src->CaretPos().Y);
  if (!block) return;
  const auto [b, e] = *block;
  const TLines& target = dst->Lines();
  const std::uint8_t kind = src->Lines().GetLineObj(b).Kind;
  if (target.Count() < e + 1 || target.GetLineObj(b).Kind != kind || target.GetLineObj(e).Kind != kind) return;
  if (dst->ReadOnly()) {
    Host.ShowStatus(tr("目标窗格是只读的，不能复制到其中。"));
    return;
  }
  auto select = [b = b, e = e](TCodeEdit* pane) {
    const TLines& l = pane->Lines();
    const std::int32_t start = l.GetLineObj(b).Start;
    pane->SetSelStart(start);
    pane->SetSelLength(l.GetLineObj(e).Start + l.GetLineObj(e).Length - start + 2);
  };
  select(src);
  const std::string text = src->SelText();
  select(dst);
  if (text.empty())
    dst->DeleteSelection();
  else
    dst->InsertText(text);
}

void TFilesFrame::PaneKeyDown(TCodeEdit* pane, int& key, Qt::KeyboardModifiers shift) {
  if (!ResultPresent) return;
  if (!(shift & Qt::ControlModifier) || !(shift & Qt::AltModifier)) return;
  auto isDiffRow = [](TCodeEdit* p) {
    const int row = p->CaretPos().Y;
    return row < p->Lines().Count() && static_cast<TRowKind>(p->Lines().GetLineObj(row).Kind) != TRowKind::Equal;
  };
  if (key == Qt::Key_Right && isDiffRow(Pane(Side1))) {
    Guarded([this] { CopyBlockRight(); });
    key = 0;
  } else if (key == Qt::Key_Left && isDiffRow(Pane(Side2))) {
    Guarded([this] { CopyBlockLeft(); });
    key = 0;
  }
}

// ---- synchronised scrolling and the overview strip ------------------------------------------

void TFilesFrame::SetSyncScrolling(bool on) {
  for (TSide s : AllSides) {
    if (on)
      Pane(s)->OnScroll = [this](TCodeEdit* sender) { PaneScrolled(sender); };
    else
      Pane(s)->OnScroll = nullptr;
  }
  if (on) {
    PaneScrolled(Pane(Side1));
    sbDiff->show();
    AdjustStripWidth();
  } else {
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
  for (TSide s : AllSides) {
    if (Pane(s) == sender) continue;
    Pane(s)->ScrollToLine(sender->TopLine());
    Pane(s)->ScrollToCol(sender->LeftCol());
  }
  if (CurrentLine >= 0) PlaceLineBars();
  QScrollBar* bar = sbDiff->verticalScrollBar();
  TCodeEdit* first = Pane(Side1);
  const int count = first->Lines().Count();
  if (bar->maximum() > 0 && count > 0) {
    const int p = static_cast<int>(std::lround(static_cast<double>(first->TopLine()) / count * pbDiff->height()));
    const int o = sbDiff->height() / 2 - (first->viewport()->height() / first->LineHeight()) / 2;
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
  const TLines& lines = Pane(Side1)->Lines();
  if (std::any_of(AllSides.begin(), AllSides.end(), [this](TSide s) { return Pane(s)->Lines().Empty(); })) {
    pbDiff->resize(kStripWidth, 3);
    return;
  }
  OverviewRows.resize(static_cast<std::size_t>(lines.Count()));
  for (int i = 0; i < lines.Count(); ++i)
    OverviewRows[static_cast<std::size_t>(i)] = static_cast<TRowKind>(lines.GetLineObj(i).Kind);
  pbDiff->resize(kStripWidth, lines.Count() + 3);
  AdjustStripWidth();
  pbDiff->update();
}

std::vector<TColor> TFilesFrame::OverviewColors() const {
  std::vector<TColor> colors;
  colors.reserve(OverviewRows.size());
  for (TRowKind k : OverviewRows) colors.push_back(KindColor(k));
  return colors;
}

void TFilesFrame::AdjustStripWidth() {
  if (!sbDiff || !pbDiff) return;
  int w = pbDiff->width() + 2;
  if (pbDiff->height() - 3 > sbDiff->maximumViewportSize().height())
    w += style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  if (sbDiff->width() != w) sbDiff->setFixedWidth(w);
}

void TFilesFrame::pbDiffMarkerPaint(QPainter& p) {
  TCodeEdit* first = Pane(Side1);
  const QRect area = p.clipBoundingRect().isEmpty() ? pbDiff->rect() : p.clipBoundingRect().toAlignedRect();
  p.fillRect(area, first->ToQColor(clWindow));
  const int top = std::max(0, area.top());
  const int last = std::min(static_cast<int>(OverviewRows.size()), area.bottom() + 1);
  for (int y = top; y < last;) {
    const TRowKind k = OverviewRows[static_cast<std::size_t>(y)];
    int end = y + 1;
    while (end < last && OverviewRows[static_cast<std::size_t>(end)] == k) ++end;
    if (k != TRowKind::Equal) p.fillRect(QRect(0, y, pbDiff->width(), end - y), first->ToQColor(KindColor(k)));
    y = end;
  }
  pbScrollPosMarkerPaint(p);
}

void TFilesFrame::pbScrollPosMarkerPaint(QPainter& p) {
  TCodeEdit* first = Pane(Side1);
  if (first->Lines().Empty()) return;
  p.setPen(QColor(0, 0, 255));
  p.drawLine(0, OverviewClickY, pbDiff->width() - 2, OverviewClickY);
  p.setPen(QColor(255, 0, 0));
  p.setBrush(Qt::NoBrush);
  const int top = first->TopLine();
  const int bottom = top + first->viewport()->height() / first->LineHeight() - 5;
  p.drawRect(QRect(QPoint(1, top), QPoint(pbDiff->width() - 2, std::max(top, bottom))));
}

void TFilesFrame::pbDiffMouseDown(int y) {
  OverviewClickY = y;
  QScrollBar* bar = sbDiff->verticalScrollBar();
  const int keep = bar->value();
  TCodeEdit* first = Pane(Side1);
  const int h = (first->viewport()->height() / first->LineHeight()) / 2;
  first->ScrollToLine(std::max(y - h, 0));
  bar->setValue(keep);
  pbDiff->update();
}

}  // namespace fileview
