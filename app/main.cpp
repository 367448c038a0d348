// The desktop program: the application object titled "Quorvex", the main window, the event loop.
#include "app/Application.h"
#include "app/Main.h"

int main(int argc, char** argv) {
  TApplication app(argc, argv);
  TMainForm mainForm;
  mainForm.show();
  return app.exec();
}
