// The main window's status bar: a row of fixed-width panels, the last one stretching to the
// right edge. A panel shows its text centred, unless it is drawn by its owner through
// OnDrawPanel, which gets a painter whose brush is the face colour and the panel's inner
// rectangle.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <vector>

namespace app {

class TStatusBar : public QWidget {
  Q_OBJECT
 public:
  struct TPanel {
    int Width = 50;
    QString Text;
    bool OwnerDraw = false;
  };

  explicit TStatusBar(QWidget* parent = nullptr);

  void SetPanels(std::vector<TPanel> panels);
  int PanelCount() const { return static_cast<int>(panels_.size()); }
  const TPanel& Panel(int index) const { return panels_.at(index); }
  QString PanelText(int index) const { return panels_.at(index).Text; }
  // Changes a panel's text and repaints that panel at the next paint; call repaint() to show it
  // at once from inside a long computation.
  void SetPanelText(int index, const QString& text);
  // The panel's rectangle inside its bevel, in the bar's coordinates.
  QRect PanelRect(int index) const;

  std::function<void(TStatusBar& bar, int index, QPainter& canvas, const QRect& rect)> OnDrawPanel;

  QSize sizeHint() const override;

 signals:
  // The bar's size changed, so the panel rectangles may have moved.
  void PanelsMoved();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  QRect OuterRect(int index) const;
  std::vector<TPanel> panels_;
};

}  // namespace app
