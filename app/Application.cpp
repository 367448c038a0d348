#include "app/Application.h"

#include <QMessageBox>

namespace app {

void ShowException(const std::exception& e, QWidget* parent) {
  QString text = QString::fromUtf8(e.what());
  if (!text.isEmpty() && text.back() != u'.') text += u'.';
  QMessageBox box(QMessageBox::Critical, QCoreApplication::applicationName(), text, QMessageBox::Ok, parent);
  box.setTextFormat(Qt::PlainText);  // a message names files, whose names are never markup
  box.exec();
}

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName("Quorvex");
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    ShowException(e, activeWindow());
  }
  return false;
}

}  // namespace app
