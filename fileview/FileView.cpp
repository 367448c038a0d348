#include "fileview/FileView.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

#include "app/Main.h"
#include "app/Settings.h"
#include "app/StatusBar.h"
#include "diff/HashUnit.h"
#include "editor/CodeEditor.h"
#include "fileview/FrameParts.h"
#include "compare/Rows.h"
#include "platform/CodePage.h"
#include "platform/FileSys.h"
#include "search/PaneSearch.h"
#include "search/Searches.h"

namespace {

int Digits(int n) {
  int d = 1;
  for (; n >= 10; n /= 10) ++d;
  return d;
}

// The caption bar colour while its side holds edits (red 224, green 224, blue 204).
constexpr TColor kEditedCaption = 0xCCE0E0;
constexpr int kLineNoWidth = 72;

}  // namespace

// ---- creation ---------------------------------------------------------------------------------

TFilesFrame::TFilesFrame(TMainForm& main, QWidget* parent) : QWidget(parent), Main(main) {
  setObjectName("FilesFrame");
  QFont f(QString::fromUtf8("宋体"));
  f.setPixelSize(12);
  setFont(f);
  setAutoFillBackground(true);
  PaneFont = QFont("Courier New");
  PaneFont.setPointSize(10);

  AskYesNo = [this](const QString& text) {
    QMessageBox box(QMessageBox::Critical, QCoreApplication::applicationName(), text,
                    QMessageBox::Yes | QMessageBox::No, &Main);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
  };
  ChooseOpenFile = [this](const QString& folder) {
    return QFileDialog::getOpenFileName(&Main, QString(), folder);
  };
  ChooseSaveFile = [this](const QString& proposal) {
    return QFileDialog::getSaveFileName(&Main, QString(), proposal);
  };
  ChooseReportFile = [this](const QString& folder) {
    QFileDialog dialog(&Main);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter("Text Files (*.txt)");
    dialog.setDefaultSuffix("txt");
    if (!folder.isEmpty()) dialog.setDirectory(folder);
    if (!ReportFileName.isEmpty()) dialog.selectFile(QFileInfo(ReportFileName).fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    return dialog.selectedFiles().first();
  };
  Beep = [] { QApplication::beep(); };
}

TFilesFrame::~TFilesFrame() = default;

namespace {

QLabel* CaptionBar(const char* name, QWidget* parent) {
  auto* bar = new QLabel(parent);
  bar->setObjectName(name);
  bar->setAutoFillBackground(true);
  bar->setFrameShape(QFrame::Panel);
  bar->setFrameShadow(QFrame::Raised);
  bar->setTextFormat(Qt::PlainText);
  return bar;
}

}  // namespace

void TFilesFrame::InitFrame() {
  Engine = std::make_unique<TDiff>();
  Engine->OnProgress = [this](TDiff&, std::int32_t percent) { DiffProgress(percent); };
  // Pending events are processed between search steps (a few times a second is enough to keep
  // the window responsive and let Esc through); the first step of every run always does.
  Engine->OnStep = [this](TDiff&) {
    if (EventsTimer.isValid() && EventsTimer.elapsed() < 25) return;
    EventsTimer.start();
    QCoreApplication::processEvents();
  };
  SourceList1.clear();
  SourceList2.clear();

  auto* frameLayout = new QHBoxLayout(this);
  frameLayout->setContentsMargins(0, 0, 0, 0);
  frameLayout->setSpacing(0);

  sbDiff = new QScrollArea(this);
  sbDiff->setObjectName("sbDiff");
  sbDiff->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  sbDiff->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  sbDiff->setFrameShape(QFrame::NoFrame);
  sbDiff->setWidgetResizable(false);
  pbDiff = new TOverviewStrip(*this, sbDiff);
  pbDiff->resize(kStripWidth, 3);
  sbDiff->setWidget(pbDiff);
  sbDiff->setFixedWidth(kStripWidth + 2);
  sbDiff->hide();
  connect(sbDiff->verticalScrollBar(), &QScrollBar::rangeChanged, this, [this] { AdjustStripWidth(); });
  frameLayout->addWidget(sbDiff);

  auto* column = new QWidget(this);
  auto* columnLayout = new QVBoxLayout(column);
  columnLayout->setContentsMargins(0, 0, 0, 0);
  columnLayout->setSpacing(0);
  frameLayout->addWidget(column, 1);

  pnlMain = new QWidget(column);
  pnlMain->setObjectName("pnlMain");
  auto* mainLayout = new QVBoxLayout(pnlMain);
  mainLayout->setContentsMargins(0, 0, 0, 0);
  Splitter1 = new QSplitter(Qt::Horizontal, pnlMain);
  Splitter1->setObjectName("Splitter1");
  Splitter1->setChildrenCollapsible(false);
  Splitter1->setHandleWidth(3);
  mainLayout->addWidget(Splitter1);
  columnLayout->addWidget(pnlMain, 1);

  auto makeSide = [this](const char* panel, const char* caption, QLabel*& bar, TCodeEdit*& pane) {
    auto* side = new QWidget(Splitter1);
    side->setObjectName(panel);
    auto* l = new QVBoxLayout(side);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(0);
    bar = CaptionBar(caption, side);
    bar->setFont(Main.font());
    l->addWidget(bar);
    pane = new TCodeEdit(side);
    l->addWidget(pane, 1);
    Splitter1->addWidget(side);
    return side;
  };
  pnlLeft = makeSide("pnlLeft", "pnlCaptionLeft", pnlCaptionLeft, Pane1);
  pnlRight = makeSide("pnlRight", "pnlCaptionRight", pnlCaptionRight, Pane2);
  Pane1->setObjectName("Pane1");
  Pane2->setObjectName("Pane2");

  auto makeBar = [this, column, columnLayout](const char* name, const char* noName, const char* lineName,
                                              QLabel*& no, QLabel*& line) {
    auto* bar = new QWidget(column);
    bar->setObjectName(name);
    line = new QLabel(bar);
    line->setObjectName(lineName);
    line->setTextFormat(Qt::PlainText);
    no = new QLabel(bar);
    no->setObjectName(noName);
    no->setTextFormat(Qt::PlainText);
    no->setAutoFillBackground(true);
    QPalette pal = no->palette();
    pal.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));  // silver
    no->setPalette(pal);
    no->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    columnLayout->addWidget(bar);
    return bar;
  };
  Panel1 = makeBar("Panel1", "lblLineNo1", "lblLine1", lblLineNo1, lblLine1);
  Panel2 = makeBar("Panel2", "lblLineNo2", "lblLine2", lblLineNo2, lblLine2);
  for (QWidget* bar : {Panel1, Panel2}) bar->installEventFilter(this);

  pnlDisplay = new QWidget(this);
  pnlDisplay->setObjectName("pnlDisplay");
  pnlDisplay->hide();
  frameLayout->addWidget(pnlDisplay);

  for (TCodeEdit* pane : {Pane1, Pane2}) {
    const bool left = pane == Pane1;
    pane->Lines().OnChange = [this, left](TLines*) {
      if (!Filling) MarkEdited(left, true);
    };
    pane->OnDropFiles = [this, left](TCodeEdit*, const QString& fileName, bool& accepted) {
      LoadFile(fileName, left);
      Main.activateWindow();
      Main.raise();
      accepted = true;
    };
    pane->OnPaintLeftMargin = [this](TCodeEdit* sender, QPainter& canvas, const QRect& rec, int lineNo, int tag) {
      PaintGutter(sender, canvas, rec, lineNo - 1, tag);
    };
    pane->OnCaretPtChange = [this](TCodeEdit* sender) { CaretMoved(sender); };
    pane->OnEnter = [this](TCodeEdit* sender) {
      if (ResultPresent && RememberedLine >= 0) sender->MoveCaretTo(TPoint{0, RememberedLine});
    };
    pane->OnExit = [this](TCodeEdit* sender) {
      const int row = sender->CaretPos().Y;
      RememberedLine = sender->TopLine() <= row && row <= sender->TopLine() + sender->PageRows() ? row : -1;
    };
    pane->OnKeyDown = [this](TCodeEdit* sender, int& key, Qt::KeyboardModifiers shift) {
      PaneKeyDown(sender, key, shift);
    };
    pane->SetFont(PaneFont);
  }
  SetPaneFont(PaneFont);

  Search = std::make_unique<TSearch>();
  RememberedLine = -1;
  OverviewRows.clear();
  SetDialogOwner(&Main);

  // The edit commands are refreshed when their menu opens, also just before one of their keys
  // acts. Outside this view they are off, so that Ctrl+C and the like stay with the control that
  // has the focus there.
  connect(Main.mnuEdit, &QMenu::aboutToShow, this, &TFilesFrame::EditMenuOpened);
  // Files changed by another program are reloaded when the user comes back to this one.
  connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
    if (state == Qt::ApplicationActive && isVisible()) CheckFilesChanged();
  });
  SetCaption(true);
  SetCaption(false);
  ApplyLayout();
}

void TFilesFrame::DoneFrame() {
  if (Engine) Engine->Cancel();
  RestartPending = false;
  ResultPresent = false;
  SourceList1.clear();
  SourceList2.clear();
  OverviewRows.clear();
  OverviewRows.shrink_to_fit();
}

void TFilesFrame::SetPaneFont(const QFont& f) {
  PaneFont = f;
  if (!Pane1) return;
  Pane1->SetFont(f);
  Pane2->SetFont(f);
  for (QLabel* l : {lblLineNo1, lblLine1, lblLineNo2, lblLine2}) l->setFont(f);
  const int h = QFontMetrics(f).height() + 4;
  Panel1->setFixedHeight(h);
  Panel2->setFixedHeight(h);
  if (ResultPresent) SetGutterWidths();
  PlaceLineBars();
}

// ---- the view's commands ------------------------------------------------------------------

void TFilesFrame::ActivateView() {
  TMainForm& m = Main;
  m.tbObjs->setToolTip("Toggle to Objects View");
  const QString open1 = QString::fromUtf8("打开文本文件 1");
  const QString open2 = QString::fromUtf8("打开文本文件 2");
  m.mnuOpen1->setText(open1);
  m.mnuOpen2->setText(open2);
  m.tbOpen1->setToolTip(open1);
  m.tbOpen2->setToolTip(open2);
  auto open = [this](QObject* sender) { OpenCommand(sender); };
  for (QAction* a : {m.mnuOpen1, m.tbOpen1, m.mnuOpen2, m.tbOpen2}) m.Attach(a, open);

  for (QAction* a : {m.mnuCompare, m.tbCompare}) {
    m.Attach(a, [this](QObject*) { RunCompare(); });
    a->setEnabled(CanCompare());
  }
  for (QAction* a : {m.mnuCancel, m.tbCancel}) m.Attach(a, [this](QObject*) { CancelCompare(); });
  for (QAction* a : {m.mnuHorzSplit, m.tbHorzSplit}) {
    m.Attach(a, [this](QObject* sender) { ToggleSplit(sender); });
    a->setEnabled(true);
  }
  ApplyLayout();
  for (QAction* a : {m.mnuSave1, m.tbSave1, m.mnuSave2, m.tbSave2}) {
    m.Attach(a, [this](QObject* sender) { SaveText(sender); });
    a->setEnabled(true);
  }
  m.Attach(m.mnuSaveReport, [this](QObject*) { SaveReport(); });
  m.mnuSaveReport->setEnabled(ResultPresent);

  m.Attach(m.mnuUndo, [this](QObject*) { if (TCodeEdit* p = ActivePane()) p->Undo(); });
  m.Attach(m.mnuRedo, [this](QObject*) { if (TCodeEdit* p = ActivePane()) p->Redo(); });
  m.Attach(m.mnuCut, [this](QObject*) { if (TCodeEdit* p = ActivePane()) p->CutToClipboard(); });
  m.Attach(m.mnuCopy, [this](QObject*) { if (TCodeEdit* p = ActivePane()) p->CopyToClipboard(); });
  m.Attach(m.mnuPaste, [this](QObject*) { if (TCodeEdit* p = ActivePane()) p->PasteFromClipboard(); });
  m.mnuEdit->menuAction()->setEnabled(true);

  m.Attach(m.mnuFind, [this](QObject*) { FindCommand(); });
  for (QAction* a : {m.mnuFindNext, m.tbFindNext}) m.Attach(a, [this](QObject*) { FindNextCommand(); });
  for (QAction* a : {m.mnuReplace, m.tbReplace}) m.Attach(a, [this](QObject*) { ReplaceCommand(); });
  m.mnuSearch->menuAction()->setEnabled(true);
  m.tbFindNext->setEnabled(true);
  m.tbReplace->setEnabled(true);

  m.Attach(m.mnuFont, [this](QObject*) { FontCommand(); });
  m.mnuOptions->menuAction()->setEnabled(true);

  for (QAction* a : {m.mnuNext, m.tbNext}) m.Attach(a, [this](QObject*) { NextDifference(); });
  for (QAction* a : {m.mnuPrev, m.tbPrev}) m.Attach(a, [this](QObject*) { PrevDifference(); });
  m.mnuActions->menuAction()->setEnabled(true);
  m.mnuNext->setVisible(true);
  m.mnuPrev->setVisible(true);
  m.tbNext->setEnabled(ResultPresent);
  m.tbPrev->setEnabled(ResultPresent);

  m.Attach(m.mnuCopyBlockRight, [this](QObject*) { CopyBlockRight(); });
  m.Attach(m.mnuCopyBlockLeft, [this](QObject*) { CopyBlockLeft(); });
  m.N1->setVisible(true);
  m.mnuCompareFiles->setVisible(false);

  m.StatusBar1->SetPanelText(3, ResultPresent ? QString::fromStdString(OptionsNote) : QString());
  Pane1->setFocus();
  m.ShowCounts(Counts);
}

TCodeEdit* TFilesFrame::ActivePane() const {
  QWidget* w = Main.focusWidget();
  if (w == Pane1 || w == Pane1->viewport()) return Pane1;
  if (w == Pane2 || w == Pane2->viewport()) return Pane2;
  return nullptr;
}

void TFilesFrame::EditMenuOpened() {
  TCodeEdit* p = isVisible() ? ActivePane() : nullptr;
  const bool sel = p && p->SelLength() > 0;
  Main.mnuUndo->setEnabled(p && p->CanUndo());
  Main.mnuRedo->setEnabled(p && p->CanRedo());
  Main.mnuCut->setEnabled(sel);
  Main.mnuCopy->setEnabled(sel);
  const QMimeData* clip = QApplication::clipboard()->mimeData();
  Main.mnuPaste->setEnabled(p && clip && clip->hasText());
}

void TFilesFrame::FontCommand() {
  bool ok = false;
  QFont f = QFontDialog::getFont(&ok, PaneFont, &Main, QString(), QFontDialog::MonospacedFonts);
  if (ok) SetPaneFont(f);
}

void TFilesFrame::OpenCommand(QObject* sender) {
  const bool left = sender == Main.mnuOpen1 || sender == Main.tbOpen1;
  const std::filesystem::path& folder = left ? Folder1 : Folder2;
  QString path = ChooseOpenFile(QString::fromStdString(folder.string()));
  if (!path.isEmpty()) LoadFile(path, left);
}

// ---- texts ----------------------------------------------------------------------------------

bool TFilesFrame::CanCompare() const { return !Comparing && !SourceList1.empty() && !SourceList2.empty(); }

void TFilesFrame::ShowSide(std::vector<std::string> lines, bool isLeft) {
  // A text arriving while a comparison runs makes that comparison's result worthless.
  if (Comparing) Engine->Cancel();
  ResultPresent = false;
  SetSyncScrolling(false);
  TCodeEdit* pane = PaneOf(isLeft);
  (isLeft ? SourceList1 : SourceList2) = std::move(lines);
  (isLeft ? Aligned1 : Aligned2) = false;
  Filling = true;
  pane->Lines().Assign(isLeft ? SourceList1 : SourceList2);
  pane->Lines().SetModified(false);
  Filling = false;
  ++TextGeneration;
}

void TFilesFrame::AfterLoad(bool isLeft) {
  TCodeEdit* pane = PaneOf(isLeft);
  // Both captions: the other one loses the options note of a result no longer shown.
  SetCaption(true);
  SetCaption(false);
  pane->SetAutoLineNum(true);
  MarkEdited(isLeft, false);
  sbDiff->hide();
  pane->setFocus();
  Main.mnuCompare->setEnabled(CanCompare());
  Main.tbCompare->setEnabled(CanCompare());
  Main.StatusBar1->SetPanelText(3, QString());
  for (QAction* a : {Main.mnuNext, Main.mnuPrev, Main.tbNext, Main.tbPrev, Main.mnuSaveReport}) a->setEnabled(false);
  CurrentLine = 0;
  ShowCurrentLine();
}

void TFilesFrame::LoadFile(const QString& path, bool isLeft) {
  QFileInfo info(path);
  if (!info.exists() || info.isDir()) return;
  platform::TTextEncoding encoding{};
  std::vector<std::string> lines = LoadSourceLines(ToPath(path), &encoding);
  ShowSide(std::move(lines), isLeft);
  (isLeft ? Name1 : Name2) = path;
  (isLeft ? Encoding1 : Encoding2) = encoding;
  (isLeft ? FileStamp1 : FileStamp2) = FileStamp(path);
  if (auto found = platform::FindFirst(ToPath(path))) (isLeft ? FileTime1 : FileTime2) = found->Time.Seconds;
  (isLeft ? Folder1 : Folder2) = ToPath(info.absolutePath()) / "";
  PaneOf(isLeft)->SetReadOnly(false);  // a file of one's own can be edited and saved
  AfterLoad(isLeft);
  RunCompare();
}

void TFilesFrame::SetSourceText(const QString& caption, const std::vector<std::string>& lines, bool isLeft) {
  ShowSide(lines, isLeft);
  (isLeft ? Name1 : Name2) = caption;
  (isLeft ? Encoding1 : Encoding2) = platform::TTextEncoding::CodePage;
  (isLeft ? FileStamp1 : FileStamp2) = 0;
  AfterLoad(isLeft);
  PaneOf(isLeft)->SetReadOnly(true);
}

std::int64_t TFilesFrame::FileStamp(const QString& path) {
  std::error_code ec;
  auto t = std::filesystem::last_write_time(ToPath(path), ec);
  if (ec) return 0;
  const std::int64_t stamp = t.time_since_epoch().count();
  return stamp != 0 ? stamp : 1;
}

void TFilesFrame::CheckFilesChanged() {
  for (bool left : {true, false}) {
    const std::int64_t recorded = left ? FileStamp1 : FileStamp2;
    if (recorded == 0) continue;
    const QString name = left ? Name1 : Name2;
    const std::int64_t now = FileStamp(name);
    if (now != 0 && now != recorded) LoadFile(name, left);
  }
}

void TFilesFrame::SetCaption(bool isLeft) {
  QLabel* bar = isLeft ? pnlCaptionLeft : pnlCaptionRight;
  const QString& name = isLeft ? Name1 : Name2;
  QString text = name.isEmpty() ? QString() : "  " + name;
  if (ResultPresent && !name.isEmpty()) text += QString::fromStdString(OptionsNote);
  bar->setText(text);
  bar->setToolTip(name);
}

void TFilesFrame::MarkEdited(bool isLeft, bool edited) {
  QLabel* bar = isLeft ? pnlCaptionLeft : pnlCaptionRight;
  QPalette pal = bar->palette();
  pal.setColor(QPalette::Window, edited ? ::ToQColor(kEditedCaption) : palette().color(QPalette::Button));
  bar->setPalette(pal);
}

// ---- comparing ------------------------------------------------------------------------------

void TFilesFrame::RunCompare() {
  if (Comparing) {
    // A new pair of texts arrived while the last one is being compared: that run stops and the
    // comparison starts over with what the panes hold now.
    Engine->Cancel();
    RestartPending = true;
    return;
  }
  CurrentLine = 0;
  if (!ConfirmDiscardEdits()) return;
  struct TRestore {
    TFilesFrame& f;
    ~TRestore() {
      f.Comparing = false;
      f.Main.mnuCompare->setEnabled(f.CanCompare());
      f.Main.tbCompare->setEnabled(f.CanCompare());
      f.Main.mnuCancel->setEnabled(false);
      f.Main.tbCancel->setEnabled(false);
    }
  } restore{*this};
  bool ok = false;
  do {
    RestartPending = false;
    Counts.Count1 = static_cast<std::int32_t>(SourceList1.size());
    Counts.Count2 = static_cast<std::int32_t>(SourceList2.size());
    Pane1->SetColor(clWindow);
    Pane2->SetColor(clWindow);
    const bool ignoreCase = Main.mnuIgnoreCase->isChecked(), ignoreBlanks = Main.mnuIgnoreBlanks->isChecked();
    std::vector<std::uint32_t> hashes1 = HashLines(SourceList1, ignoreCase, ignoreBlanks);
    std::vector<std::uint32_t> hashes2 = HashLines(SourceList2, ignoreCase, ignoreBlanks);
    Comparing = true;
    Main.mnuCompare->setEnabled(false);
    Main.tbCompare->setEnabled(false);
    Main.mnuCancel->setEnabled(true);
    Main.tbCancel->setEnabled(true);
    const std::uint64_t generation = TextGeneration;
    EventsTimer.invalidate();
    ok = Engine->Execute(hashes1, hashes2);
    // Texts replaced during the run: its records belong to texts no longer shown.
    if (generation != TextGeneration) ok = false;
    if (ok) {
      LastChanges = Engine->Changes();
      LastIgnoreCase = ignoreCase;
      LastIgnoreBlanks = ignoreBlanks;
    }
    Comparing = false;
  } while (RestartPending);
  if (!ok) return;
  ResultPresent = true;
  FillPanes();
  Pane1->MoveCaretTo(TPoint{0, 0});
  Comparing = false;
  Main.mnuCompare->setEnabled(CanCompare());
  Main.tbCompare->setEnabled(CanCompare());
  Main.mnuCancel->setEnabled(false);
  Main.tbCancel->setEnabled(false);
  SetSyncScrolling(true);
  MarkEdited(true, false);
  MarkEdited(false, false);
  SetCaption(true);
  SetCaption(false);
  Pane1->setFocus();
  ShowCaretRow(Pane1);
  for (QAction* a : {Main.mnuNext, Main.mnuPrev, Main.tbNext, Main.tbPrev, Main.mnuSaveReport}) a->setEnabled(true);
}

bool TFilesFrame::ConfirmDiscardEdits() {
  if (!Pane1->Lines().Modified() && !Pane2->Lines().Modified()) return true;
  return AskYesNo("Changes will be lost if you proceed with this compare.\nContinue? ...");
}

void TFilesFrame::CancelCompare() {
  if (Engine) Engine->Cancel();
  RestartPending = false;
  Main.StatusBar1->SetPanelText(3, "Compare cancelled.");
}

void TFilesFrame::DiffProgress(int percent) {
  Main.StatusBar1->SetPanelText(3, QString::asprintf("Approx. %d%% complete", percent));
  Main.StatusBar1->repaint();
}

void TFilesFrame::SetGutterWidths() {
  Pane1->SetGutterWidth((Digits(Counts.Count1) + 1) * Pane1->CharWidth() + 10);
  Pane2->SetGutterWidth((Digits(Counts.Count2) + 1) * Pane2->CharWidth());
}

void TFilesFrame::FillPanes() {
  // Nothing is aligned until a comparison has produced a result.
  if (!ResultPresent) return;
  const bool diffsOnly = Main.mnuShowDiffsOnly->isChecked();
  const TRowColors colors{clWindow, AddColor, ModColor, DelColor};
  TFilledRows filled =
      FillRows(SourceList1, SourceList2, LastChanges, colors, diffsOnly, LastIgnoreCase, LastIgnoreBlanks);
  Counts = filled.Counts;
  Filling = true;
  TLines& lines1 = Pane1->Lines();
  TLines& lines2 = Pane2->Lines();
  lines1.BeginUpdate();
  lines2.BeginUpdate();
  for (TCodeEdit* pane : {Pane1, Pane2})
    pane->OnMouseWheel = [this](TCodeEdit* sender, Qt::KeyboardModifiers, int delta, QPoint, bool& handled) {
      FrameMouseWheel(sender, delta, handled);
    };
  lines1.Clear();
  lines2.Clear();
  Pane1->SetAutoLineNum(false);
  Pane2->SetAutoLineNum(false);
  SetGutterWidths();
  const int rows = static_cast<int>(filled.Rows.size());
  lines1.Reserve(rows);
  lines2.Reserve(rows);
  FilledInsertPos.assign(filled.Rows.size(), -1);
  auto put = [](TLines& lines, const TRowSide& side) {
    const int i = lines.Add(std::string(side.Text));
    TLineObj& obj = lines.GetLineObj(i);
    obj.Color = side.Color;
    obj.Tag = side.Tag;
    obj.Kind = side.Kind;
    obj.Modified = false;
  };
  for (int i = 0; i < rows; ++i) {
    const TAlignedRow& row = filled.Rows[static_cast<std::size_t>(i)];
    put(lines1, row.Left);
    put(lines2, row.Right);
    FilledInsertPos[static_cast<std::size_t>(i)] = row.InsertPos;
  }
  FilledDiffsOnly = diffsOnly;
  Aligned1 = Aligned2 = true;
  lines1.EndUpdate();
  lines2.EndUpdate();
  lines1.SetModified(false);
  lines2.SetModified(false);
  Filling = false;
  OptionsNote = filled.OptionsNote;
  BuildOverview();
  Pane1->viewport()->update();
  Pane2->viewport()->update();
  SetCaption(true);
  SetCaption(false);
  // The rows changed under the caret: the bars and the block-copy items follow.
  ShowCaretRow(ActivePane() ? ActivePane() : Pane1);
  Main.ShowCounts(Counts);
}

void TFilesFrame::PaintGutter(TCodeEdit* sender, QPainter& canvas, const QRect& marginRec, int row, int tag) {
  const bool left = sender == Pane1;
  const int right = sender->GutterWidth() + marginRec.left();
  if (tag > 0) {
    const std::string num = std::to_string(tag);
    sender->TextOut(canvas, right - (left ? 14 : 4) - sender->TextWidth(num), marginRec.top(), num);
  }
  if (!left || row < 0 || row >= sender->Lines().Count()) return;
  static const char* const kMarks[] = {"", "+", "-", "~"};
  const std::uint8_t kind = sender->Lines().GetLineObj(row).Kind;
  if (kind >= 1 && kind <= 3) sender->TextOut(canvas, right - 10, marginRec.top(), kMarks[kind]);
}

// ---- layout ------------------------------------------------------------------------------

void TFilesFrame::ToggleSplit(QObject* sender) {
  // The menu item has turned its own check mark over; the button follows it.
  if (sender != Main.mnuHorzSplit) Main.mnuHorzSplit->setChecked(!Main.mnuHorzSplit->isChecked());
  ApplyLayout();
}

void TFilesFrame::ApplyLayout() {
  const bool stacked = Main.mnuHorzSplit->isChecked();
  Splitter1->setOrientation(stacked ? Qt::Vertical : Qt::Horizontal);
  if (stacked) {
    Main.mnuCopyBlockRight->setText("Copy Block &Down");
    Main.mnuCopyBlockRight->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_D));
    Main.mnuCopyBlockLeft->setText("Copy Block &Up");
    Main.mnuCopyBlockLeft->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_U));
  } else {
    Main.mnuCopyBlockRight->setText("Copy Block &Right");
    Main.mnuCopyBlockRight->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_R));
    Main.mnuCopyBlockLeft->setText("Copy Block &Left");
    Main.mnuCopyBlockLeft->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_L));
  }
  HalveSplit();
  if (TCodeEdit* p = ActivePane()) p->ScrollCaretIntoView();
}

void TFilesFrame::HalveSplit() {
  const bool stacked = Splitter1->orientation() == Qt::Vertical;
  const int whole = stacked ? pnlMain->contentsRect().height() : pnlMain->contentsRect().width();
  const int half = std::max(1, whole / 2);
  Splitter1->setSizes({half, std::max(1, whole - half - Splitter1->handleWidth())});
}

void TFilesFrame::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  HalveSplit();
  AdjustStripWidth();
}

bool TFilesFrame::eventFilter(QObject* watched, QEvent* event) {
  if ((watched == Panel1 || watched == Panel2) && event->type() == QEvent::Resize) PlaceLineBars();
  return QWidget::eventFilter(watched, event);
}

// ---- current line -------------------------------------------------------------------------

void TFilesFrame::CaretMoved(TCodeEdit* pane) {
  if (ResultPresent && ActivePane() == pane) ShowCaretRow(pane);
}

void TFilesFrame::ShowCaretRow(TCodeEdit* pane) {
  const int row = pane->CaretPos().Y;
  const bool d = row < pane->Lines().Count() && pane->Lines().GetLineObj(row).Color != pane->Color();
  Main.mnuCopyBlockRight->setEnabled(d && pane == Pane1);
  Main.mnuCopyBlockLeft->setEnabled(d && pane == Pane2);
  CurrentLine = row;
  ShowCurrentLine();
}

void TFilesFrame::ShowCurrentLine() {
  auto show = [this](TCodeEdit* pane, QLabel* no, QLabel* line) {
    const int row = CurrentLine;
    if (!ResultPresent || row < 0 || row >= pane->Lines().Count()) {
      no->clear();
      line->clear();
      return;
    }
    const TLineObj& obj = pane->Lines().GetLineObj(row);
    no->setText(obj.Tag != 0 ? QString::number(obj.Tag) : QString());
    line->setText(FromCodePage(pane->ExpandTabs(pane->Lines().Get(row))));
  };
  show(Pane1, lblLineNo1, lblLine1);
  show(Pane2, lblLineNo2, lblLine2);
  PlaceLineBars();
}

void TFilesFrame::PlaceLineBars() {
  if (!Panel1) return;
  auto place = [](QWidget* bar, QLabel* no, QLabel* line, TCodeEdit* pane) {
    const int h = bar->height();
    no->setGeometry(0, 0, kLineNoWidth, h);
    const int x = kLineNoWidth - pane->CharWidth() * pane->LeftCol();
    const int w = std::max(line->sizeHint().width(), bar->width() - x) + 8;
    line->setGeometry(x + 4, 0, w, h);
    no->raise();
  };
  place(Panel1, lblLineNo1, lblLine1, Pane1);
  place(Panel2, lblLineNo2, lblLine2, Pane2);
}
