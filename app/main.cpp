// The desktop program: the application object titled "Quorvex", the main window with the sides
// or files named on the command line, the event loop. It returns when the window closes (git
// difftool waits for that before it removes its temporary folders; git mergetool reads its exit
// status).
#include <cstdio>
#include <string>

#include <QLocale>

#include "app/Application.h"
#include "app/ExeDir.h"
#include "app/Language.h"
#include "app/Main.h"
#include "app/Settings.h"

using app::TApplication;
using app::TMainForm;

namespace {

const char* const kUsage =
    "usage: quorvex [SIDE1 [SIDE2]]\n"
    "       quorvex [-L LABEL1 [-L LABEL2]] [FILE1 [FILE2]]\n"
    "       quorvex -o MERGED FILE1 BASE FILE2\n\n"
    "Compares two versions of PowerBuilder libraries in a window. A side is a library file (.pbl),\n"
    "a target (.pbt), a workspace (.pbw), a folder of exported objects or of libraries, or a git\n"
    "revision git:REV[:PATH]; two library files open in the object list, other sides in the library\n"
    "list. Two text files are compared in the source view, under their labels where -L gives them\n"
    "(git difftool's names); /dev/null is an empty file. One argument is side 1 or file 1.\n"
    "With -o, FILE1 and FILE2 (two edits of BASE) are merged in the merge view and the result is\n"
    "saved to MERGED; the exit status is 0 when it was saved with no conflict left, else 1 (git\n"
    "mergetool's trustExitCode). Without arguments the program starts with the library list of\n"
    "its last run.\n";

}  // namespace

int main(int argc, char** argv) {
  // Help and version need no display.
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--") break;
    if (a == "--help" || a == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (a == "--version") {
      std::printf("quorvex %s\n", QUORVEX_VERSION);
      return 0;
    }
  }
  TApplication app(argc, argv);
  // The texts are translated as the windows are built: the language goes in first.
  app::InstallLanguage(app::ResolveLanguage(
      app::TIniFile(app::ProgramFileWith(".ini")).ReadString(app::SettingsSection, app::LanguageKey, ""),
      QLocale::system().name()));
  QStringList args = app.arguments().mid(1);
  // A "--" ends the options (a file may start with a dash).
  args.removeOne("--");
  TMainForm mainForm;
  mainForm.show();
  mainForm.OpenArguments(args);
  const int status = app.exec();
  return mainForm.ExitStatus(status);
}
