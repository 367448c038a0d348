// TFilesFrame: the source comparison view, two text panes aligned line by line.
//
// The main window creates it, initialises it once (InitFrame) after the settings have set its
// font, activates it when the source comparison view is chosen (ActivateView), asks it to
// rebuild the aligned display when "show only differences" changes while a result is shown
// (FillPanes), and lets it free what it owns before the window goes (DoneFrame).
#pragma once

#include <QFont>
#include <QWidget>

#include "libview/CompareCounts.h"

class TMainForm;

class TFilesFrame : public QWidget {
  Q_OBJECT
 public:
  TFilesFrame(TMainForm& main, QWidget* parent);

  void InitFrame();
  void DoneFrame();
  void ActivateView();
  void FillPanes();

  // The panes' font: the font the font command's dialog (FontDialog1) starts from and stores the
  // user's choice in. Set from the settings before InitFrame and saved with them.
  QFont PaneFont;

  bool ResultPresent = false;  // the panes show an aligned comparison result
  TCompareCounts Counts;       // lines of both texts and how many were added, deleted, changed

 protected:
  TMainForm& Main;
};
