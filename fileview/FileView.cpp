#include "fileview/FileView.h"

#include <QAction>

#include "app/Main.h"
#include "app/StatusBar.h"

TFilesFrame::TFilesFrame(TMainForm& main, QWidget* parent) : QWidget(parent), Main(main) {
  setObjectName("FilesFrame");
  QFont f(QString::fromUtf8("宋体"));
  f.setPixelSize(12);
  setFont(f);
  setAutoFillBackground(true);
  PaneFont = QFont("Courier New");
  PaneFont.setPointSize(10);
}

void TFilesFrame::InitFrame() {
  ResultPresent = false;
  Counts = {};
}

void TFilesFrame::DoneFrame() { ResultPresent = false; }

void TFilesFrame::ActivateView() {
  // No open command is attached yet: the handlers another view attached are removed, so they
  // never act on a view that is not shown.
  for (QAction* a : {Main.mnuOpen1, Main.mnuOpen2, Main.tbOpen1, Main.tbOpen2}) Main.Detach(a);
  Main.tbObjs->setToolTip("Toggle to Objects View");
  const QString open1 = QString::fromUtf8("打开文本文件 1");
  const QString open2 = QString::fromUtf8("打开文本文件 2");
  Main.mnuOpen1->setText(open1);
  Main.mnuOpen2->setText(open2);
  Main.tbOpen1->setToolTip(open1);
  Main.tbOpen2->setToolTip(open2);
  Main.StatusBar1->SetPanelText(3, QString());
  Main.ShowCounts(Counts);
}

void TFilesFrame::FillPanes() {
  // Nothing is aligned until a comparison has produced a result.
  if (!ResultPresent) return;
}
