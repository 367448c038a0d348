// The application object, and its error box for exceptions that no handler caught.
#pragma once

#include <QApplication>
#include <exception>

class QWidget;

namespace app {

// Shows an error in the application's error box: the application's title as caption, the
// error icon, the message with a full stop added when it does not end in one, and an OK button.
void ShowException(const std::exception& e, QWidget* parent = nullptr);

// Catches what an event handler throws and shows it in the error box; the program goes on.
class TApplication : public QApplication {
 public:
  TApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace app
