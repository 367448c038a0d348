// TLibFrame: the library frame, carrying the library list view and the object list view.
//
// The main window creates it, initialises it once (InitFrame), activates one of its two views
// (ActivateLibList, ActivateObjList) and releases it before it is destroyed (ReleaseFrame).
// Activating a view puts that view's captions on the shared open commands, attaches its open
// handler and hands its counts to the main window's status bar.
#pragma once

#include <QWidget>

#include "libview/CompareCounts.h"

class TMainForm;

class TLibFrame : public QWidget {
  Q_OBJECT
 public:
  TLibFrame(TMainForm& main, QWidget* parent);

  void InitFrame();
  void ReleaseFrame();
  void ActivateLibList();
  void ActivateObjList();

  // The two lists, in the same place; whichever is in front is seen. Null until the lists are
  // built; the main window gives them the focus when it switches views.
  QWidget* lvLibs = nullptr;
  QWidget* lvObjs = nullptr;

  TCompareCounts LibCounts;  // libraries of both sides and how their pairs compare
  TCompareCounts ObjCounts;  // objects of the open library pair
  int ViewMode = 0;          // 0 library list, 1 object list

 protected:
  TMainForm& Main;
};
