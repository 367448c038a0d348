// TAboutForm: the about box, a fixed dialog that centres itself over the main window when shown.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace app {

class TAboutForm : public QDialog {
  Q_OBJECT
 public:
  // `owner` is the main window the box centres over.
  explicit TAboutForm(QWidget* owner);

  // Where a box of `boxSize` lands over a main window with outer bounds `main`: centred, with the
  // halves truncated toward zero, so a box larger than the window lies left of or above it.
  static QPoint CentredOver(const QRect& main, const QSize& boxSize);

  QLabel* ProductName = nullptr;
  QLabel* Version = nullptr;
  QPushButton* OKButton = nullptr;

  // Esc closes the box like its OK button.
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;
};

}  // namespace app
