#include "app/StatusBar.h"

#include <QPaintEvent>
#include <QPainter>
#include <QStyle>
#include <qdrawutil.h>

namespace app {

namespace {
constexpr int PanelGap = 2;          // between two panels' bevels
constexpr int PanelTextMargin = 4;  // room left and right of a panel's text
}

TStatusBar::TStatusBar(QWidget* parent) : QWidget(parent) {
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void TStatusBar::SetPanels(std::vector<TPanel> panels) {
  panels_ = std::move(panels);
  update();
  emit PanelsMoved();
}

void TStatusBar::SetPanelText(int index, const QString& text) {
  TPanel& p = panels_.at(index);
  if (p.Text == text) return;
  p.Text = text;
  // A panel widens to show its whole text (the last one takes the rest of the bar anyway); it
  // never gets narrower than it was made.
  const int needed = fontMetrics().horizontalAdvance(text) + 2 * PanelTextMargin;
  if (index + 1 < PanelCount() && needed > p.Width) {
    p.Width = needed;
    update();
    emit PanelsMoved();
    return;
  }
  update(OuterRect(index));
}

QRect TStatusBar::OuterRect(int index) const {
  int x = 0;
  for (int i = 0; i < index; ++i) x += panels_[i].Width + PanelGap;
  int w = index + 1 == PanelCount() ? std::max(width() - x, 0) : panels_[index].Width;
  return QRect(x, 2, w, std::max(height() - 2, 0));
}

QRect TStatusBar::PanelRect(int index) const { return OuterRect(index).adjusted(1, 1, -1, -1); }

QSize TStatusBar::sizeHint() const {
  int total = 0;
  for (const TPanel& p : panels_) total += p.Width + PanelGap;
  return QSize(total, std::max(fontMetrics().height() + 7, 19));
}

void TStatusBar::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  emit PanelsMoved();
}

void TStatusBar::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().button());
  for (int i = 0; i < PanelCount(); ++i) {
    QRect outer = OuterRect(i);
    if (!outer.intersects(event->rect())) continue;
    qDrawShadePanel(&painter, outer, palette(), true, 1);
    QRect inner = PanelRect(i);
    if (panels_[i].OwnerDraw) {
      if (OnDrawPanel) {
        painter.save();
        painter.setClipRect(inner);
        painter.setBrush(palette().button());
        painter.setPen(palette().color(QPalette::ButtonText));
        painter.setFont(font());
        OnDrawPanel(*this, i, painter, inner);
        painter.restore();
      }
    } else {
      painter.setPen(palette().color(QPalette::ButtonText));
      painter.drawText(inner, Qt::AlignCenter, panels_[i].Text);
    }
  }
}

}  // namespace app
