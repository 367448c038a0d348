#include "libview/LibView.h"

#include <QAction>

#include "app/Main.h"

TLibFrame::TLibFrame(TMainForm& main, QWidget* parent) : QWidget(parent), Main(main) {
  setObjectName("LibFrame");
  QFont f(QString::fromUtf8("宋体"));
  f.setPixelSize(12);
  setFont(f);
  setAutoFillBackground(true);
}

void TLibFrame::InitFrame() {
  LibCounts = {};
  ObjCounts = {};
  ViewMode = 0;
}

void TLibFrame::ReleaseFrame() {}

void TLibFrame::ActivateLibList() {
  // The library list has no open command of its own yet: whatever another view attached to the
  // open commands is removed, so they never act on a view that is not shown.
  for (QAction* a : {Main.mnuOpen1, Main.mnuOpen2, Main.tbOpen1, Main.tbOpen2}) Main.Detach(a);
  const QString open1 = QString::fromUtf8("打开PB库文件 1");
  const QString open2 = QString::fromUtf8("打开PB库文件 2");
  Main.mnuOpen1->setText(open1);
  Main.mnuOpen2->setText(open2);
  Main.tbOpen1->setToolTip(open1);
  Main.tbOpen2->setToolTip(open2);
  if (lvLibs) lvLibs->raise();
  ViewMode = 0;
  Main.ShowCounts(LibCounts);
}

void TLibFrame::ActivateObjList() {
  for (QAction* a : {Main.mnuOpen1, Main.mnuOpen2, Main.tbOpen1, Main.tbOpen2}) Main.Detach(a);
  const QString open1 = QString::fromUtf8("打开一个PB库文件 1");
  const QString open2 = QString::fromUtf8("打开一个PB库文件 2");
  Main.mnuOpen1->setText(open1);
  Main.mnuOpen2->setText(open2);
  Main.tbOpen1->setToolTip(open1);
  Main.tbOpen2->setToolTip(open2);
  if (lvObjs) lvObjs->raise();
  ViewMode = 1;
  Main.ShowCounts(ObjCounts);
}
