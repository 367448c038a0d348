#include "app/About.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include "views/Artwork.h"

namespace app {

namespace {
QFont BoldArial(int pixels) {
  QFont f("Arial");
  f.setPixelSize(pixels);
  f.setBold(true);
  return f;
}
}  // namespace

TAboutForm::TAboutForm(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
  setObjectName("AboutForm");
  setWindowTitle(tr("Quorvex - About"));
  setFixedSize(355, 205);

  // A panel lowered outside and raised inside.
  auto* outer = new QFrame(this);
  outer->setObjectName("Panel1");
  outer->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  outer->setLineWidth(1);
  outer->setGeometry(20, 12, 298, 141);
  auto* inner = new QFrame(outer);
  inner->setFrameStyle(QFrame::Panel | QFrame::Raised);
  inner->setLineWidth(1);
  inner->setGeometry(1, 1, 296, 139);

  auto* icon = new QLabel(outer);
  icon->setObjectName("ProgramIcon");
  icon->setPixmap(artwork::ProgramPixmap(32));
  icon->setGeometry(14, 13, 32, 32);

  ProductName = new QLabel("Quorvex", outer);
  ProductName->setObjectName("ProductName");
  ProductName->setFont(BoldArial(16));
  ProductName->move(52, 22);
  ProductName->adjustSize();

  Version = new QLabel("1.0", outer);
  Version->setObjectName("Version");
  Version->setFont(BoldArial(13));
  Version->move(157, 16);
  Version->adjustSize();

  OKButton = new QPushButton(tr("&OK"), this);
  OKButton->setObjectName("OKButton");
  OKButton->setGeometry(137, 170, 75, 23);
  OKButton->setDefault(true);
  connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
}

void TAboutForm::reject() { accept(); }

QPoint TAboutForm::CentredOver(const QRect& main, const QSize& boxSize) {
  // C++ division truncates toward zero, as the placement wants.
  return QPoint(main.left() + (main.width() - boxSize.width()) / 2,
                main.top() + (main.height() - boxSize.height()) / 2);
}

void TAboutForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (QWidget* main = parentWidget() ? parentWidget()->window() : nullptr)
    move(CentredOver(main->frameGeometry(), frameGeometry().size()));
}

}  // namespace app
