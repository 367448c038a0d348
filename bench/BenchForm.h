// The one main window the desktop benchmarks share, on the offscreen platform unless another
// platform is asked for.
#pragma once

#include <QApplication>

#include "LibWriter.h"
#include "app/ExeDir.h"
#include "app/Main.h"

// Created on first use and never destroyed: at exit Qt's own globals may already be gone, and
// the process ends anyway. Its settings file lives in a temporary folder.
inline app::TMainForm& BenchForm() {
  static testsupport::TTempDir exeDir;
  static app::TMainForm* form = nullptr;
  if (!form) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "quorvex-bench";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
    app::SetExeDir(exeDir.Path());
    form = new app::TMainForm();
  }
  return *form;
}
