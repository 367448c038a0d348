#include "app/Main.h"

#include <QActionGroup>
#include <QSignalBlocker>
#include <algorithm>
#include <QCloseEvent>
#include <QColorDialog>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGridLayout>
#include <QInputDialog>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QKeyEvent>
#include <QToolBar>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include "app/About.h"
#include "app/Application.h"
#include "app/ExeDir.h"
#include "app/StatusBar.h"
#include "editor/QtColor.h"
#include "pbparse/Defaults.h"
#include "platform/FileSys.h"
#include "fileview/FileView.h"
#include "mergeview/MergeView.h"
#include "libview/LibView.h"
#include "views/Artwork.h"
#include "platform/CodePage.h"

using compare::Side1;
using compare::Side2;
using views::TCommand;
using views::TCommandId;
using views::TSideCommand;
using views::TCommandGroup;

void InstallFontSubstitutes() {
  static bool done = false;
  if (done) return;
  done = true;
  QFont::insertSubstitutions(QString::fromUtf8("宋体"), {"SimSun", "WenQuanYi Zen Hei", "Noto Sans CJK SC"});
  QFont::insertSubstitutions("SimSun", {"WenQuanYi Zen Hei", "Noto Sans CJK SC"});
  QFont::insertSubstitutions("Courier New", {"Liberation Mono", "DejaVu Sans Mono"});
  QFont::insertSubstitutions("Arial", {"Liberation Sans", "DejaVu Sans"});
}

namespace {
QFont PixelFont(const QString& family, int pixels) {
  QFont f(family);
  f.setPixelSize(pixels);
  return f;
}
}  // namespace

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
  InstallFontSubstitutes();
  setObjectName("MainForm");
  setWindowTitle("Quorvex");
  setWindowIcon(artwork::ProgramIcon());
  setFont(PixelFont("Arial", 11));
  resize(DesignedWidth, DesignedHeight);
  OpenUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
  OnShowError = [this](const std::exception& e) { ShowException(e, this); };
  OnShowInformation = [this](const QString& text) {
    QMessageBox box(QMessageBox::Information, "information", text, QMessageBox::Ok, this);
    box.setTextFormat(Qt::PlainText);
    box.exec();
  };
  ChooseCodePage = [this](int current) {
    QStringList names;
    int index = 0;
    for (const platform::TAnsiCodePage& p : platform::AnsiCodePages()) {
      if (p.Number == current) index = static_cast<int>(names.size());
      names << QString("%1  %2").arg(p.Number).arg(QString::fromUtf8(p.Name));
    }
    bool ok = false;
    const QString item = QInputDialog::getItem(this, QString::fromUtf8("代码页"), QString::fromUtf8("8 位文本和库文件的代码页："),
                                               names, index, false, &ok);
    return ok ? item.section(' ', 0, 0).toInt() : 0;
  };
  OnAskYesNo = [this](const QString& text) {
    QMessageBox box(QMessageBox::Critical, QCoreApplication::applicationName(), text,
                    QMessageBox::Yes | QMessageBox::No, this);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
  };
  OnAskSaveEdits = [this](const QString& text) {
    QMessageBox box(QMessageBox::Question, QCoreApplication::applicationName(), text,
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Cancel);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
      case QMessageBox::Save: return views::TEditsChoice::Save;
      case QMessageBox::Discard: return views::TEditsChoice::Discard;
      default: return views::TEditsChoice::Cancel;
    }
  };
  OnAskChoice = [this](const QString& text, const QString& first, const QString& second) {
    QMessageBox box(QMessageBox::Question, QCoreApplication::applicationName(), text, QMessageBox::NoButton, this);
    box.setTextFormat(Qt::PlainText);
    QPushButton* one = box.addButton(first, QMessageBox::AcceptRole);
    QPushButton* two = box.addButton(second, QMessageBox::RejectRole);
    box.setDefaultButton(one);
    box.setEscapeButton(two);
    box.exec();
    return box.clickedButton() == one;
  };

  ImageList1 = artwork::ToolbarImages();
  ImageList2 = artwork::DisabledToolbarImages();
  CreateFileMenu();
  CreateViewMenu();
  CreateEditMenu();
  CreateSearchMenu();
  CreateActionsMenu();
  CreateOptionsMenu();
  CreateHelpMenu();
  CreateToolBar();
  CreateStatusBar();
  CreateShortcuts();
  CreateCommands();
  OwnCommands = {mnuExit, mnuLibs, mnuObjs, mnuFile, mnuIgnoreBlanks, mnuIgnoreCase, mnuIgnoreComments,
                 mnuAlignSimilar, mnuBySection, mnuIgnorePosition, mnuIgnoreDefaults, mnuLibraryFiles, mnuShowDiffsOnly,
                 Added1, Modified1, Deleted1, mnuCodePage, Contents1, mnuAbout};
  ColorDialog1 = new QColorDialog(this);
  ColorDialog1->setObjectName("ColorDialog1");
  ColorDialog1->setOption(QColorDialog::DontUseNativeDialog);

  // The frames are created first, the settings read next (the stored font must reach the
  // panes), then the frames are initialised and the library list is shown.
  CreateFrames();
  LoadSettings();
  FilesFrame->InitFrame();
  LibFrame->InitFrame();
  LibFrame->ActivateLibList();
  mnuLibs->setChecked(true);
  tbLibMode->setChecked(true);
  // The last run's library list comes back once the window is shown (its pairing shows progress,
  // and what is gone is told in one message over the window).
  QTimer::singleShot(0, this, [this] {
    if (std::any_of(StoredSides.begin(), StoredSides.end(), [](const auto& side) { return !side.empty(); }))
      LibFrame->RestoreSides(StoredSides);
  });
}

TMainForm::~TMainForm() {
  // The files frame, then the library frame, release what they own; the widgets go with the
  // window.
  FilesFrame->DoneFrame();
  LibFrame->ReleaseFrame();
}

// ---- set-up ---------------------------------------------------------------------------------

QMenu* TMainForm::AddMenu(QMenu* parent, const char* name, const QString& title) {
  QMenu* m = parent ? parent->addMenu(title) : menuBar()->addMenu(title);
  m->setObjectName(name);
  m->menuAction()->setObjectName(name);
  connect(m->menuAction(), &QAction::changed, this, [m] {
    bool own = ItemEnabled(m->menuAction());
    if (m->testAttribute(Qt::WA_ForceDisabled) == own) m->setEnabled(own);
  });
  Menus.push_back(m);
  return m;
}

QAction* TMainForm::AddItem(QMenu* menu, const char* name, const QString& caption, const QKeySequence& key) {
  QAction* a = menu->addAction(caption);
  a->setObjectName(name);
  if (!key.isEmpty()) {
    a->setShortcut(key);
    // The window takes the key from its widgets' events (see eventFilter); the action only shows
    // it in its menu.
    a->setShortcutContext(Qt::WidgetShortcut);
  }
  return a;
}

QAction* TMainForm::AddSeparator(QMenu* menu, const char* name) {
  QAction* a = menu->addSeparator();
  a->setObjectName(name);
  return a;
}

void TMainForm::CreateFileMenu() {
  File1 = AddMenu(nullptr, "File1", QString::fromUtf8("文件(&F)"));
  mnuOpen1 = AddItem(File1, "mnuOpen1", QString::fromUtf8("打开文件 1..."), views::DefaultShortcut({TSideCommand::Open, Side1}));
  mnuOpen2 = AddItem(File1, "mnuOpen2", QString::fromUtf8("打开文件 2 ..."), views::DefaultShortcut({TSideCommand::Open, Side2}));
  mnuAddFolder1 = AddItem(File1, "mnuAddFolder1", QString::fromUtf8("添加文件夹 1…"));
  mnuAddFolder2 = AddItem(File1, "mnuAddFolder2", QString::fromUtf8("添加文件夹 2…"));
  mnuAddRevision1 = AddItem(File1, "mnuAddRevision1", QString::fromUtf8("添加 git 版本 1…"));
  mnuAddRevision2 = AddItem(File1, "mnuAddRevision2", QString::fromUtf8("添加 git 版本 2…"));
  N9 = AddSeparator(File1, "N9");
  mnuSave1 = AddItem(File1, "mnuSave1", QString::fromUtf8("保存文件 1 ..."));
  mnuSave2 = AddItem(File1, "mnuSave2", QString::fromUtf8("保存文件 2 ..."));
  mnuSave1->setEnabled(false);
  mnuSave2->setEnabled(false);
  N11 = AddSeparator(File1, "N11");
  N3 = AddSeparator(File1, "N3");
  mnuSaveReport = AddItem(File1, "mnuSaveReport", QString::fromUtf8("保存结果为..."));
  mnuSaveReport->setEnabled(false);
  N6 = AddSeparator(File1, "N6");
  mnuExit = AddItem(File1, "mnuExit", QString::fromUtf8("退出(&x)"), QKeySequence(Qt::CTRL | Qt::Key_Q));
  connect(mnuExit, &QAction::triggered, this, &TMainForm::mnuExitClick);
}

void TMainForm::CreateViewMenu() {
  N15 = AddMenu(nullptr, "N15", QString::fromUtf8("视图(&V)"));
  mnuLibs = AddItem(N15, "mnuLibs", QString::fromUtf8("PB库文件列表"), QKeySequence(Qt::Key_F6));
  mnuObjs = AddItem(N15, "mnuObjs", QString::fromUtf8("PBL对象列表"), QKeySequence(Qt::Key_F7));
  mnuFile = AddItem(N15, "mnuFile", QString::fromUtf8("源代码比较视图"), QKeySequence(Qt::Key_F8));
  mnuMerge = AddItem(N15, "mnuMerge", QString::fromUtf8("三方合并视图"));
  mnuMerge->setEnabled(false);  // until three files are merged (-o)
  ViewItems = new QActionGroup(this);
  for (QAction* a : {mnuLibs, mnuObjs, mnuFile, mnuMerge}) {
    a->setCheckable(true);
    ViewItems->addAction(a);
  }
  connect(mnuLibs, &QAction::triggered, this, &TMainForm::tbLibModeClick);
  connect(mnuObjs, &QAction::triggered, this, &TMainForm::mnuObjsClick);
  connect(mnuFile, &QAction::triggered, this, &TMainForm::tbFileClick);
  connect(mnuMerge, &QAction::triggered, this, &TMainForm::mnuMergeClick);
}

void TMainForm::CreateEditMenu() {
  mnuEdit = AddMenu(nullptr, "mnuEdit", "Edit");
  mnuUndo = AddItem(mnuEdit, "mnuUndo", "&Undo", views::DefaultShortcut(TCommand::Undo));
  mnuRedo = AddItem(mnuEdit, "mnuRedo", "&Redo", views::DefaultShortcut(TCommand::Redo));
  N7 = AddSeparator(mnuEdit, "N7");
  mnuCut = AddItem(mnuEdit, "mnuCut", "C&ut", views::DefaultShortcut(TCommand::Cut));
  mnuCopy = AddItem(mnuEdit, "mnuCopy", "C&opy", views::DefaultShortcut(TCommand::Copy));
  mnuPaste = AddItem(mnuEdit, "mnuPaste", "&Paste", views::DefaultShortcut(TCommand::Paste));
  mnuEdit->menuAction()->setVisible(false);
}

void TMainForm::CreateSearchMenu() {
  mnuSearch = AddMenu(nullptr, "mnuSearch", QString::fromUtf8("查找(&S)"));
  mnuFind = AddItem(mnuSearch, "mnuFind", QString::fromUtf8("查找..."), views::DefaultShortcut(TCommand::Find));
  mnuFindNext = AddItem(mnuSearch, "mnuFindNext", QString::fromUtf8("重复查找"), views::DefaultShortcut(TCommand::FindNext));
  N10 = AddSeparator(mnuSearch, "N10");
  mnuPrev = AddItem(mnuSearch, "mnuPrev", QString::fromUtf8("到前一个不同点"), views::DefaultShortcut(TCommand::PrevDiff));
  mnuReplace = AddItem(mnuSearch, "mnuReplace", "&Replace", views::DefaultShortcut(TCommand::Replace));
  mnuNext = AddItem(mnuSearch, "mnuNext", QString::fromUtf8("到下一个不同点"), views::DefaultShortcut(TCommand::NextDiff));
  mnuPrev->setEnabled(false);
  mnuNext->setEnabled(false);
  mnuReplace->setVisible(false);
  mnuSearch->menuAction()->setEnabled(false);
}

void TMainForm::CreateActionsMenu() {
  mnuActions = AddMenu(nullptr, "mnuActions", QString::fromUtf8("源码比较"));
  mnuCompare = AddItem(mnuActions, "mnuCompare", "&Compare", views::DefaultShortcut(TCommand::Compare));
  mnuCancel = AddItem(mnuActions, "mnuCancel", "Cancel  C&ompare", views::DefaultShortcut(TCommand::Cancel));
  N8 = AddSeparator(mnuActions, "N8");
  mnuCompareFiles = AddItem(mnuActions, "mnuCompareFiles", "Compare Modified &Files", views::DefaultShortcut(TCommand::CompareFiles));
  N1 = AddSeparator(mnuActions, "N1");
  mnuCopyBlockRight = AddItem(mnuActions, "mnuCopyBlockRight", "Copy Block &Right", views::DefaultShortcut(TCommand::CopyBlockRight));
  mnuCopyBlockLeft = AddItem(mnuActions, "mnuCopyBlockLeft", "Copy Block &Left", views::DefaultShortcut(TCommand::CopyBlockLeft));
  for (QAction* a : {mnuCompare, mnuCancel, mnuCompareFiles, mnuCopyBlockRight, mnuCopyBlockLeft}) {
    a->setVisible(false);
    a->setEnabled(false);
  }
  mnuActions->menuAction()->setVisible(false);
  mnuActions->menuAction()->setEnabled(false);
}

void TMainForm::CreateOptionsMenu() {
  mnuOptions = AddMenu(nullptr, "mnuOptions", QString::fromUtf8("选项(&O)"));
  mnuIgnoreBlanks = AddItem(mnuOptions, "mnuIgnoreBlanks", QString::fromUtf8("忽略空格"));
  mnuIgnoreCase = AddItem(mnuOptions, "mnuIgnoreCase", QString::fromUtf8("忽略大小写"));
  mnuIgnoreComments = AddItem(mnuOptions, "mnuIgnoreComments", QString::fromUtf8("忽略注释"));
  mnuAlignSimilar = AddItem(mnuOptions, "mnuAlignSimilar", QString::fromUtf8("对齐相似行"));
  mnuBySection = AddItem(mnuOptions, "mnuBySection", QString::fromUtf8("按段比较"));
  mnuIgnorePosition = AddItem(mnuOptions, "mnuIgnorePosition", QString::fromUtf8("忽略位置和大小"));
  mnuIgnoreDefaults = AddItem(mnuOptions, "mnuIgnoreDefaults", QString::fromUtf8("忽略迁移默认值"));
  mnuLibraryFiles = AddItem(mnuOptions, "mnuLibraryFiles", QString::fromUtf8("读取库文件而非其旁的导出文件"));
  mnuShowDiffsOnly = AddItem(mnuOptions, "mnuShowDiffsOnly", QString::fromUtf8("只显示不同部分"));
  // The comparison options only carry their check marks, read by the views when they compare.
  for (QAction* a : {mnuIgnoreBlanks, mnuIgnoreCase, mnuIgnoreComments, mnuAlignSimilar, mnuBySection,
                     mnuIgnorePosition, mnuIgnoreDefaults, mnuLibraryFiles, mnuShowDiffsOnly})
    a->setCheckable(true);
  // Which copy of a library kept beside its exports is read: the sides are collected again.
  connect(mnuLibraryFiles, &QAction::triggered, this, [this] { LibFrame->CollectAgain(); });
  // Each comparison option changes what the views show: the lists are classified and a shown
  // source comparison compared again at once.
  for (QAction* a : ComparisonOptionItems())
    connect(a, &QAction::triggered, this, [this, a] { ComparisonOptionChanged(a); });
  connect(mnuShowDiffsOnly, &QAction::triggered, this, &TMainForm::mnuShowDiffsOnlyClick);
  N2 = AddSeparator(mnuOptions, "N2");
  mnuHorzSplit = AddItem(mnuOptions, "mnuHorzSplit", QString::fromUtf8("横排窗口"), views::DefaultShortcut(TCommand::HorzSplit));
  mnuHorzSplit->setCheckable(true);
  // Until a view attaches its handler the item does nothing, its check mark included.
  connect(mnuHorzSplit, &QAction::triggered, this, [this] {
    if (IsAttached(mnuHorzSplit)) return;
    QSignalBlocker quiet(mnuHorzSplit);
    mnuHorzSplit->setChecked(!mnuHorzSplit->isChecked());
  });
  N4 = AddSeparator(mnuOptions, "N4");
  mnuHighlightColors = AddMenu(mnuOptions, "mnuHighlightColors", QString::fromUtf8("设置颜色标志"));
  Added1 = AddItem(mnuHighlightColors, "Added1", QString::fromUtf8("设置[增加]颜色"));
  Modified1 = AddItem(mnuHighlightColors, "Modified1", QString::fromUtf8("设置[修改]颜色"));
  Deleted1 = AddItem(mnuHighlightColors, "Deleted1", QString::fromUtf8("设置[删除]颜色"));
  connect(Added1, &QAction::triggered, this, &TMainForm::Added1Click);
  connect(Modified1, &QAction::triggered, this, &TMainForm::Modified1Click);
  connect(Deleted1, &QAction::triggered, this, &TMainForm::Deleted1Click);
  N5 = AddSeparator(mnuOptions, "N5");
  mnuFont = AddItem(mnuOptions, "mnuFont", QString::fromUtf8("字体 ..."));
  mnuCodePage = AddItem(mnuOptions, "mnuCodePage", QString::fromUtf8("代码页…"));
  connect(mnuCodePage, &QAction::triggered, this, &TMainForm::mnuCodePageClick);
}

void TMainForm::CreateHelpMenu() {
  Help1 = AddMenu(nullptr, "Help1", QString::fromUtf8("帮助(&H)"));
  Contents1 = AddItem(Help1, "Contents1", QString::fromUtf8("查看帮助"), QKeySequence(Qt::Key_F1));
  mnuAbout = AddItem(Help1, "mnuAbout", QString::fromUtf8("关于..."));
  connect(Contents1, &QAction::triggered, this, &TMainForm::Contents1Click);
  connect(mnuAbout, &QAction::triggered, this, &TMainForm::mnuAboutClick);
}

QAction* TMainForm::AddButton(const char* name, const QString& hint, int image) {
  QIcon icon;
  icon.addPixmap(ImageList1.at(image), QIcon::Normal);
  if (image < static_cast<int>(ImageList2.size())) icon.addPixmap(ImageList2[image], QIcon::Disabled);
  QAction* a = ToolBar1->addAction(icon, hint);
  a->setObjectName(name);
  a->setToolTip(hint);
  if (QWidget* button = ToolBar1->widgetForAction(a)) {
    button->setObjectName(name);
    button->setFixedSize(24, 22);
  }
  return a;
}

void TMainForm::CreateToolBar() {
  ToolBar1 = new QToolBar(this);
  ToolBar1->setObjectName("ToolBar1");
  ToolBar1->setMovable(false);
  ToolBar1->setFloatable(false);
  ToolBar1->setIconSize(QSize(16, 16));
  ToolBar1->setFixedHeight(26);
  ToolBar1->setContentsMargins(4, 0, 0, 0);
  ToolBar1->setStyleSheet("QToolBar { spacing: 0px; } QToolBar::separator { width: 4px; }");
  ToolBar1->toggleViewAction()->setEnabled(false);
  addToolBar(Qt::TopToolBarArea, ToolBar1);

  tbLibMode = AddButton("tbLibMode", "Library list", 13);
  tbObjs = AddButton("tbObjs", "Objects in library", 14);
  tbFile = AddButton("tbFile", "object source code compare", 15);
  ViewButtons = new QActionGroup(this);
  for (QAction* a : {tbLibMode, tbObjs, tbFile}) {
    a->setCheckable(true);
    ViewButtons->addAction(a);
  }
  connect(tbLibMode, &QAction::triggered, this, &TMainForm::tbLibModeClick);
  connect(tbObjs, &QAction::triggered, this, &TMainForm::mnuObjsClick);
  connect(tbFile, &QAction::triggered, this, &TMainForm::tbFileClick);
  ToolBar1->addSeparator();
  tbOpen1 = AddButton("tbOpen1", "Open 1", 0);
  tbOpen2 = AddButton("tbOpen2", "Open 2", 1);
  ToolBar1->addSeparator();
  tbSave1 = AddButton("tbSave1", "Save 1", 2);
  tbSave2 = AddButton("tbSave2", "Save 2", 3);
  tbSave1->setEnabled(false);
  tbSave2->setEnabled(false);
  ToolBar1->addSeparator();
  tbBack = AddButton("tbBack", QString(), 12);  // never shown, no command
  tbBack->setVisible(false);
  tbBack->setEnabled(false);
  tbHorzSplit = AddButton("tbHorzSplit", "Rotate", 4);
  tbHorzSplit->setEnabled(false);
  ToolBar1->addSeparator();
  tbCompare = AddButton("tbCompare", "Compare", 5);
  tbCancel = AddButton("tbCancel", "Cancel Compare", 6);
  tbCompare->setVisible(false);
  tbCancel->setVisible(false);
  ToolBar1->addSeparator();
  tbNext = AddButton("tbNext", "Next Diff", 7);
  tbPrev = AddButton("tbPrev", "Prev Diff", 8);
  tbNext->setEnabled(false);
  tbPrev->setEnabled(false);
  ToolBar1->addSeparator();
  tbFindNext = AddButton("tbFindNext", "Find", 10);
  tbReplace = AddButton("tbReplace", "Replace", 11);
  tbFindNext->setEnabled(false);
  tbReplace->setVisible(false);
  ToolBar1->addSeparator();
  tbHelp = AddButton("tbHelp", "Help", 9);
  connect(tbHelp, &QAction::triggered, this, &TMainForm::Contents1Click);
}

void TMainForm::CreateStatusBar() {
  StatusBar1 = new TStatusBar(this);
  StatusBar1->setObjectName("StatusBar1");
  StatusBar1->setFont(PixelFont(QString::fromUtf8("宋体"), 12));
  StatusBar1->SetPanels({
      {32, QString::fromUtf8("增加"), true},
      {40, QString(), false},
      {32, QString::fromUtf8("更改"), true},
      {40, QString(), false},
      {32, QString::fromUtf8("减少"), true},
      {40, QString(), false},
      {100, QString(), false},
      {50, QString(), true},
  });
  StatusBar1->OnDrawPanel = [this](TStatusBar& bar, int index, QPainter& canvas, const QRect& rect) {
    StatusBar1DrawPanel(bar, index, canvas, rect);
  };
  ProgressBar1 = new QProgressBar(StatusBar1);
  ProgressBar1->setObjectName("ProgressBar1");
  ProgressBar1->setTextVisible(false);
  ProgressBar1->hide();
  connect(StatusBar1, &TStatusBar::PanelsMoved, this, &TMainForm::PlaceProgressBar);
}

void TMainForm::CreateFrames() {
  auto* central = new QWidget(this);
  auto* column = new QVBoxLayout(central);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  auto* host = new QWidget(central);
  auto* cell = new QGridLayout(host);
  cell->setContentsMargins(0, 0, 0, 0);
  FilesFrame = new TFilesFrame(*this, host);
  LibFrame = new TLibFrame(*this, host);
  cell->addWidget(FilesFrame, 0, 0);
  cell->addWidget(LibFrame, 0, 0);
  MergeFrame = new mergeview::TMergeFrame(*this, host);
  cell->addWidget(MergeFrame, 0, 0);
  MergeFrame->hide();
  // The library view is shown first; the files frame stays hidden until its view is chosen, so
  // that nothing behind the library frame takes the focus.
  FilesFrame->hide();
  column->addWidget(host, 1);
  column->addWidget(StatusBar1);
  setCentralWidget(central);
}

bool TMainForm::ItemEnabled(QAction* item) {
  if (item->isVisible()) return item->isEnabled();
  // A hidden QAction always reports itself disabled; showing it for a moment, unseen and
  // without signals, tells the state it was given.
  QSignalBlocker quiet(item);
  item->setVisible(true);
  bool enabled = item->isEnabled();
  item->setVisible(false);
  return enabled;
}

// Every menu item with a key is listed with its enclosing menus. The keys are taken from the
// events of the window's widgets (see eventFilter), so that hidden items and items of hidden
// menus answer them too.
void TMainForm::CreateShortcuts() {
  std::function<void(QMenu*, std::vector<QMenu*>)> walk = [&](QMenu* menu, std::vector<QMenu*> chain) {
    chain.push_back(menu);
    for (QAction* a : menu->actions()) {
      if (QMenu* sub = a->menu()) walk(sub, chain);
      else if (!a->isSeparator()) Shortcuts.push_back({a, chain});
    }
  };
  for (QAction* top : menuBar()->actions())
    if (QMenu* m = top->menu()) walk(m, {});
  qApp->installEventFilter(this);
}

const TMainForm::TShortcutItem* TMainForm::FindShortcut(const QKeyEvent& key) const {
  if (key.key() == 0 || key.key() == Qt::Key_unknown) return nullptr;
  QKeySequence pressed(key.keyCombination());
  for (const TShortcutItem& s : Shortcuts) {
    if (s.Item->shortcut().isEmpty() || s.Item->shortcut() != pressed) continue;
    return &s;
  }
  return nullptr;
}

bool TMainForm::ShortcutReady(const TShortcutItem& s) const {
  if (!IsAttached(s.Item) && !OwnCommands.count(s.Item)) return false;  // nothing would happen
  if (!ItemEnabled(s.Item)) return false;
  for (QMenu* m : s.Menus)
    if (!ItemEnabled(m->menuAction())) return false;
  return true;
}

bool TMainForm::RunShortcut(const TShortcutItem& s) {
  // The enclosing menus' click handlers run first, outermost first; one of them may change the
  // item's state, which is why the item is asked again before it runs.
  for (QMenu* m : s.Menus) emit m->aboutToShow();
  if (!ItemEnabled(s.Item)) return false;
  s.Item->trigger();
  return true;
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress: {
      auto* w = qobject_cast<QWidget*>(watched);
      if (!w || w->window() != this) break;
      auto* key = static_cast<QKeyEvent*>(event);
      const TShortcutItem* s = FindShortcut(*key);
      if (!s) break;
      // The menus' click handlers refresh the item's state before it is asked whether it can
      // take the key (an edit command disabled when its menu last opened may be ready now).
      if (event->type() == QEvent::ShortcutOverride)
        for (QMenu* m : s->Menus) emit m->aboutToShow();
      if (!ShortcutReady(*s)) break;
      if (event->type() == QEvent::ShortcutOverride) {
        // Claim the key: it comes back as a key press, handled below.
        key->accept();
        return true;
      }
      // An item that its menus' handlers have just disabled leaves the key to the control.
      if (RunShortcut(*s)) return true;
      break;
    }
    case QEvent::EnabledChange:
      if (auto* m = qobject_cast<QMenu*>(watched); m && std::find(Menus.begin(), Menus.end(), m) != Menus.end()) {
        bool own = !m->testAttribute(Qt::WA_ForceDisabled);
        if (ItemEnabled(m->menuAction()) != own) m->menuAction()->setEnabled(own);
      }
      break;
    default:
      break;
  }
  return QMainWindow::eventFilter(watched, event);
}

// ---- shared commands and counts -------------------------------------------------------------

void TMainForm::Attach(QAction* command, TCommandHandler handler) {
  Detach(command);
  Bindings[command] = connect(command, &QAction::triggered, this,
                              [command, handler = std::move(handler)] { handler(command); });
}

void TMainForm::Detach(QAction* command) {
  auto it = Bindings.find(command);
  if (it == Bindings.end()) return;
  disconnect(it->second);
  Bindings.erase(it);
}

bool TMainForm::IsAttached(QAction* command) const { return Bindings.count(command) != 0; }

void TMainForm::ShowCounts(const TCompareCounts& counts) {
  StatusBar1->SetPanelText(1, QString::number(counts.Added));
  StatusBar1->SetPanelText(3, QString::number(counts.Changed));
  StatusBar1->SetPanelText(5, QString::number(counts.Deleted));
  StatusBar1->SetPanelText(6, QString::fromUtf8("左%1行:右%2行").arg(counts.Count1).arg(counts.Count2));
}

void TMainForm::StatusBar1DrawPanel(TStatusBar& bar, int index, QPainter& canvas, const QRect& rect) {
  switch (index) {
    case 0: canvas.setBrush(ToQColor(AddColor, bar.palette())); break;
    case 2: canvas.setBrush(ToQColor(ModColor, bar.palette())); break;
    case 4: canvas.setBrush(ToQColor(DelColor, bar.palette())); break;
    case 7: ProgressBar1->setGeometry(rect); break;
    default: return;
  }
  canvas.fillRect(rect, canvas.brush());
  canvas.drawText(rect.adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop, bar.PanelText(index));
}

void TMainForm::PlaceProgressBar() {
  if (StatusBar1->PanelCount() > 7) ProgressBar1->setGeometry(StatusBar1->PanelRect(7));
}

// ---- views ----------------------------------------------------------------------------------

void TMainForm::DisableOutsideSourceView() {
  for (compare::TSide side : compare::AllSides) SetEnabled({TSideCommand::Save, side}, false);
  for (TCommand c : {TCommand::HorzSplit, TCommand::NextDiff, TCommand::PrevDiff, TCommand::FindNext}) SetEnabled(c, false);
  SetGroupEnabled(TCommandGroup::Search, false);
  SetGroupEnabled(TCommandGroup::Actions, false);
  // The menu item keeps its check mark and stays enabled; only the button goes off.
  mnuHorzSplit->setEnabled(true);
}

void TMainForm::ShowSideCommands(bool on) {
  for (compare::TSide side : compare::AllSides)
    for (TSideCommand c : {TSideCommand::AddFolder, TSideCommand::AddRevision}) CommandItem({c, side})->setEnabled(on);
}

void TMainForm::tbLibModeClick() {
  MergeFrame->hide();
  FilesFrame->hide();
  LibFrame->show();
  ShowSideCommands(true);
  LibFrame->ActivateLibList();
  if (LibFrame->lvLibs) LibFrame->lvLibs->setFocus();
  DisableOutsideSourceView();
  mnuLibs->setChecked(true);
  tbLibMode->setChecked(true);
}

void TMainForm::mnuObjsClick() {
  mnuObjs->setChecked(true);
  tbObjs->setChecked(true);
  MergeFrame->hide();
  FilesFrame->hide();
  LibFrame->show();
  ShowSideCommands(false);
  LibFrame->ActivateObjList();
  if (LibFrame->lvObjs) LibFrame->lvObjs->setFocus();
  DisableOutsideSourceView();
}

void TMainForm::tbFileClick() {
  MergeFrame->hide();
  LibFrame->hide();
  FilesFrame->show();
  ShowSideCommands(false);
  tbObjs->setToolTip("Toggle to Objects View");
  mnuNext->setVisible(true);
  mnuPrev->setVisible(true);
  N1->setVisible(true);
  mnuCompareFiles->setVisible(false);
  FilesFrame->ActivateView();
  mnuFile->setChecked(true);
  tbFile->setChecked(true);
}

void TMainForm::mnuMergeClick() {
  LibFrame->hide();
  FilesFrame->hide();
  MergeFrame->show();
  ShowSideCommands(false);
  DisableOutsideSourceView();
  mnuMerge->setEnabled(true);
  mnuMerge->setChecked(true);
  MergeFrame->ActivateView();
}

int TMainForm::ExitStatus(int loopStatus) const { return MergeRequested ? MergeFrame->ExitStatus() : loopStatus; }

// ---- options, colours, help, about, exit ----------------------------------------------------

void TMainForm::mnuShowDiffsOnlyClick() {
  // The check mark has already turned over; the source view decides what that does to a shown
  // result.
  FilesFrame->ShowDiffsOnlyChanged();
}

std::vector<QAction*> TMainForm::ComparisonOptionItems() const {
  return {mnuIgnoreBlanks, mnuIgnoreCase, mnuIgnoreComments, mnuAlignSimilar, mnuBySection, mnuIgnorePosition,
          mnuIgnoreDefaults};
}

void TMainForm::ComparisonOptionChanged(QAction* option) {
  // The mark has turned over. The source view goes first: kept edits turn the mark back and
  // leave everything as it was.
  if (!MergeFrame->ConfirmOptionsChange() || !FilesFrame->OptionsChanged()) {
    QSignalBlocker quiet(option);
    option->setChecked(!option->isChecked());
    return;
  }
  MergeFrame->OptionsChanged();
  LibFrame->OptionsChanged();
}

void TMainForm::ChooseColor(TColor& color) {
  ColorDialog1->setCurrentColor(ToQColor(color, StatusBar1->palette()));
  if (ColorDialog1->exec() != QDialog::Accepted) return;
  color = FromQColor(ColorDialog1->selectedColor());
  StatusBar1->update();
}

void TMainForm::Added1Click() { ChooseColor(AddColor); }
void TMainForm::Modified1Click() { ChooseColor(ModColor); }
void TMainForm::Deleted1Click() { ChooseColor(DelColor); }

void TMainForm::Contents1Click() {
  std::filesystem::path help = HelpFile();
  if (help.empty()) return;
  if (OpenUrl) OpenUrl(QUrl::fromLocalFile(QString::fromStdString(help.string())));
}

void TMainForm::mnuAboutClick() {
  TAboutForm about(this);
  about.exec();
}

void TMainForm::mnuExitClick() { close(); }

void TMainForm::mnuCodePageClick() {
  const int current = platform::AnsiCodePage();
  const int chosen = ChooseCodePage ? ChooseCodePage(current) : 0;
  if (chosen == 0 || chosen == current) return;
  // Texts read in the old code page are read again: their edits would be lost.
  if (FilesFrame->CodePageTextsEdited() && !AskYesNo("Changes will be lost if you proceed with this compare.\nContinue? ..."))
    return;
  try {
    platform::SetAnsiCodePage(chosen);
  } catch (const std::exception& e) {
    ShowError(e);
    return;
  }
  const bool sourceView = FilesFrame->isVisible();
  LibFrame->ReadAgain(sourceView);
  FilesFrame->ReloadCodePageTexts();
  if (sourceView) tbFileClick();
}

// ---- settings -------------------------------------------------------------------------------

std::filesystem::path TMainForm::SettingsFileName() const { return ProgramFileWith(".ini"); }

void TMainForm::LoadSettings() {
  TIniFile ini(SettingsFileName());
  TSettings s = ReadSettings(ini);
  AddColor = s.Add;
  ModColor = s.Mod;
  DelColor = s.Del;
  QFont font(QString::fromStdString(s.FontName));
  font.setPointSize(s.FontSize > 0 ? s.FontSize : 10);
  FilesFrame->PaneFont = font;
  MergeFrame->SetPaneFont(font);
  mnuHorzSplit->setChecked(s.Horizontal);
  const std::pair<QAction*, bool> marks[] = {
      {mnuIgnoreBlanks, s.IgnoreBlanks}, {mnuIgnoreCase, s.IgnoreCase},         {mnuIgnoreComments, s.IgnoreComments},
      {mnuAlignSimilar, s.AlignSimilar}, {mnuBySection, s.BySection},           {mnuIgnorePosition, s.IgnorePosition},
      {mnuIgnoreDefaults, s.IgnoreDefaults}, {mnuLibraryFiles, s.LibraryFiles},  {mnuShowDiffsOnly, s.ShowDiffsOnly}};
  for (const auto& [item, on] : marks) {
    QSignalBlocker quiet(item);
    item->setChecked(on);
  }
  Folders = s.Folders;
  platform::SetAnsiCodePage(s.CodePage);
  if (s.CodePageUnknown)
    StatusBar1->SetPanelText(7, QString::fromUtf8("设置文件中的代码页无效，使用 936"));
  for (compare::TSide side : compare::AllSides) {
    StoredSides[side].clear();
    for (const std::string& file : s.Sides[side]) StoredSides[side].emplace_back(file);
  }

  QScreen* scr = screen();
  QRect area = scr ? scr->geometry() : QRect(0, 0, 1024, 768);
  const TBounds& b = s.Bounds;
  if (BoundsFitScreen(b, area.x(), area.y(), area.width(), area.height())) {
    move(b.Left, b.Top);
    resize(b.Width, b.Height);
  } else {
    resize(DesignedWidth, DesignedHeight);
    move(area.x() + (area.width() - DesignedWidth) / 2, area.y() + (area.height() - DesignedHeight) / 2);
  }
}

void TMainForm::SaveSettings() {
  TSettings s;
  // The left and top edges are the window's outer ones (as move() takes them), the size is the
  // window's own, without the desktop's frame: the pair restores the window exactly.
  s.Bounds = {x(), y(), width(), height()};
  s.Add = AddColor;
  s.Mod = ModColor;
  s.Del = DelColor;
  s.FontName = FilesFrame->PaneFont.family().toStdString();
  s.FontSize = FilesFrame->PaneFont.pointSize();
  s.Horizontal = mnuHorzSplit->isChecked();
  s.IgnoreBlanks = mnuIgnoreBlanks->isChecked();
  s.IgnoreCase = mnuIgnoreCase->isChecked();
  s.IgnoreComments = mnuIgnoreComments->isChecked();
  s.AlignSimilar = mnuAlignSimilar->isChecked();
  s.BySection = mnuBySection->isChecked();
  s.IgnorePosition = mnuIgnorePosition->isChecked();
  s.IgnoreDefaults = mnuIgnoreDefaults->isChecked();
  s.LibraryFiles = mnuLibraryFiles->isChecked();
  s.ShowDiffsOnly = mnuShowDiffsOnly->isChecked();
  s.Folders = Folders;
  s.CodePage = platform::AnsiCodePage();
  for (compare::TSide side : compare::AllSides)
    for (const std::filesystem::path& file : LibFrame->SideFiles(side)) s.Sides[side].push_back(file.string());
  bool normal = !(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
  TIniFile ini(SettingsFileName());
  WriteSettings(ini, s, normal);
}

void TMainForm::closeEvent(QCloseEvent* event) {
  // Edits typed or copied into a pane are saved, dropped or keep the window open, as the user
  // says for each edited side.
  if (!FilesFrame->ResolveEdits(false) || !MergeFrame->ResolveEdits()) {
    event->ignore();
    return;
  }
  try {
    SaveSettings();
  } catch (const std::exception& e) {
    // The window stays open: the user may make the file writable and close again.
    ShowException(e, this);
    event->ignore();
    return;
  }
  event->accept();
}

// ---- the command line ---------------------------------------------------------------------

bool TMainForm::IsSideArgument(const QString& arg) {
  if (arg.startsWith("git:")) return true;
  const QFileInfo info(arg);
  if (info.isDir()) return true;
  const QString ext = info.suffix().toLower();
  return ext == "pbl" || ext == "pbt" || ext == "pbw";
}

void TMainForm::OpenArguments(const QStringList& given) {
  if (given.isEmpty()) return;
  for (auto& side : StoredSides) side.clear();
  MergeRequested = given.contains("-o") || given.contains("--output");
  QTimer::singleShot(0, this, [this, given] {
    try {
      if (MergeRequested) {
        OpenMerge(given);
        return;
      }
      // -L LABEL (--label LABEL, -LLABEL), once for each text file, shows LABEL instead of its path.
      QStringList args;
      std::array<QString, compare::SideCount> labels;
      std::size_t labelCount = 0;
      for (int i = 0; i < given.size(); ++i) {
        const QString& a = given[i];
        const bool separate = a == "-L" || a == "--label";
        if (!separate && !(a.startsWith("-L") && a.size() > 2)) {
          args << a;
          continue;
        }
        if (separate && i + 1 >= given.size()) throw std::invalid_argument("-L needs a label.");
        if (labelCount == labels.size()) throw std::invalid_argument("Give at most one label for each file.");
        labels[labelCount++] = separate ? given[++i] : a.mid(2);
      }
      if (args.isEmpty()) throw std::invalid_argument("Name the files the labels are for.");
      if (args.size() > 2) throw std::invalid_argument("Name at most two sides or two files.");
      const bool sides = IsSideArgument(args[0]);
      if (args.size() == 2 && IsSideArgument(args[1]) != sides)
        throw std::invalid_argument("Name two libraries (or targets, workspaces, folders) or two text files, not one of each.");
      for (const QString& a : args)
        if (!a.startsWith("git:") && !QFileInfo::exists(a)) throw platform::TFileError(a.toStdString() + ": no such file");
      if (!sides) {
        tbFileClick();
        FilesFrame->LoadFiles({args[0], args.value(1)}, labels);
        return;
      }
      auto isLibrary = [](const QString& a) { return QFileInfo(a).isFile() && QFileInfo(a).suffix().toLower() == "pbl"; };
      if (args.size() == 2 && isLibrary(args[0]) && isLibrary(args[1])) {
        mnuObjsClick();
        LibFrame->OpenOneLibrary(QFileInfo(args[0]).absoluteFilePath().toStdString(), compare::Side1);
        LibFrame->OpenOneLibrary(QFileInfo(args[1]).absoluteFilePath().toStdString(), compare::Side2);
        return;
      }
      std::array<std::vector<std::filesystem::path>, compare::SideCount> given;
      for (int i = 0; i < args.size(); ++i)  // a git side names a revision, not a file: kept as written
        given[static_cast<std::size_t>(i)].emplace_back(
            (args[i].startsWith("git:") ? args[i] : QFileInfo(args[i]).absoluteFilePath()).toStdString());
      LibFrame->RestoreSides(given);
    } catch (const std::exception& e) {
      ShowError(e);
    }
  });
}

// -o MERGED FILE1 BASE FILE2 (Meld's order, git mergetool's $MERGED $LOCAL $BASE $REMOTE).
void TMainForm::OpenMerge(const QStringList& given) {
  QStringList args = given;
  const qsizetype at = std::max(args.indexOf("-o"), args.indexOf("--output"));
  if (at + 1 >= args.size()) throw std::invalid_argument("-o needs the merged file: -o MERGED FILE1 BASE FILE2.");
  const QString output = args[at + 1];
  args.remove(at, 2);
  if (args.size() != 3) throw std::invalid_argument("Name three files to merge: -o MERGED FILE1 BASE FILE2.");
  for (const QString& a : args)
    if (!QFileInfo(a).isFile() && a != "/dev/null") throw platform::TFileError(a.toStdString() + ": no such file");
  MergeFrame->LoadFiles(output, {args[0], args[1], args[2]});
  mnuMergeClick();
  activateWindow();  // its keys act in the result pane at once
}

// ---- the view host ----------------------------------------------------------------------------

namespace {
// The menu item and the toolbar button (if any) of each command.
struct TCommandSlot {
  TCommandId Id;
  QAction* TMainForm::*Item;
  QAction* TMainForm::*Button;
};
constexpr TCommandSlot CommandSlots[] = {
    {{TSideCommand::Open, Side1}, &TMainForm::mnuOpen1, &TMainForm::tbOpen1},
    {{TSideCommand::Open, Side2}, &TMainForm::mnuOpen2, &TMainForm::tbOpen2},
    {{TSideCommand::Save, Side1}, &TMainForm::mnuSave1, &TMainForm::tbSave1},
    {{TSideCommand::Save, Side2}, &TMainForm::mnuSave2, &TMainForm::tbSave2},
    {{TSideCommand::AddFolder, Side1}, &TMainForm::mnuAddFolder1, nullptr},
    {{TSideCommand::AddFolder, Side2}, &TMainForm::mnuAddFolder2, nullptr},
    {{TSideCommand::AddRevision, Side1}, &TMainForm::mnuAddRevision1, nullptr},
    {{TSideCommand::AddRevision, Side2}, &TMainForm::mnuAddRevision2, nullptr},
    {TCommand::SaveReport, &TMainForm::mnuSaveReport, nullptr},
    {TCommand::Undo, &TMainForm::mnuUndo, nullptr},
    {TCommand::Redo, &TMainForm::mnuRedo, nullptr},
    {TCommand::Cut, &TMainForm::mnuCut, nullptr},
    {TCommand::Copy, &TMainForm::mnuCopy, nullptr},
    {TCommand::Paste, &TMainForm::mnuPaste, nullptr},
    {TCommand::Find, &TMainForm::mnuFind, nullptr},
    {TCommand::FindNext, &TMainForm::mnuFindNext, &TMainForm::tbFindNext},
    {TCommand::Replace, &TMainForm::mnuReplace, &TMainForm::tbReplace},
    {TCommand::NextDiff, &TMainForm::mnuNext, &TMainForm::tbNext},
    {TCommand::PrevDiff, &TMainForm::mnuPrev, &TMainForm::tbPrev},
    {TCommand::Compare, &TMainForm::mnuCompare, &TMainForm::tbCompare},
    {TCommand::Cancel, &TMainForm::mnuCancel, &TMainForm::tbCancel},
    {TCommand::CompareFiles, &TMainForm::mnuCompareFiles, nullptr},
    {TCommand::CopyBlockRight, &TMainForm::mnuCopyBlockRight, nullptr},
    {TCommand::CopyBlockLeft, &TMainForm::mnuCopyBlockLeft, nullptr},
    {TCommand::HorzSplit, &TMainForm::mnuHorzSplit, &TMainForm::tbHorzSplit},
    {TCommand::Font, &TMainForm::mnuFont, nullptr},
};

// Whether the table names every command once, each per-side command once for every side.
constexpr bool EachCommandOnce() {
  std::array<int, views::CommandIdCount> seen{};
  for (const TCommandSlot& slot : CommandSlots) ++seen[static_cast<std::size_t>(slot.Id.Index())];
  return std::size(CommandSlots) == views::CommandIdCount &&
         std::all_of(seen.begin(), seen.end(), [](int n) { return n == 1; });
}
static_assert(EachCommandOnce(), "a command or a side's command has no menu item, or two");
}  // namespace

void TMainForm::CreateCommands() {
  for (const TCommandSlot& slot : CommandSlots)
    Commands[static_cast<std::size_t>(slot.Id.Index())] = {this->*slot.Item, slot.Button ? this->*slot.Button : nullptr};
  for (const TCommandParts& parts : Commands) Q_ASSERT(parts.Item);
}

QAction* TMainForm::CommandItem(TCommandId command) const { return Commands[static_cast<std::size_t>(command.Index())].Item; }
QAction* TMainForm::CommandButton(TCommandId command) const {
  return Commands[static_cast<std::size_t>(command.Index())].Button;
}

QMenu* TMainForm::GroupMenu(TCommandGroup group) const {
  switch (group) {
    case TCommandGroup::Edit: return mnuEdit;
    case TCommandGroup::Search: return mnuSearch;
    case TCommandGroup::Actions: return mnuActions;
    default: return mnuOptions;
  }
}

void TMainForm::Bind(TCommandId command, THandler handler) {
  QAction* item = CommandItem(command);
  QAction* button = CommandButton(command);
  // The split command's button carries no check mark of its own: it turns the menu item's over,
  // as clicking the item does by itself.
  const bool flipsItem = command == TCommand::HorzSplit;
  Attach(item, [handler](QObject*) { handler(); });
  if (button)
    Attach(button, [this, item, flipsItem, handler](QObject*) {
      if (flipsItem) SetStacked(!item->isChecked());
      handler();
    });
}

void TMainForm::SetEnabled(TCommandId command, bool enabled) {
  CommandItem(command)->setEnabled(enabled);
  if (QAction* button = CommandButton(command)) button->setEnabled(enabled);
}

bool TMainForm::IsEnabled(TCommandId command) const { return ItemEnabled(CommandItem(command)); }

void TMainForm::SetCaption(TCommandId command, const QString& caption) {
  CommandItem(command)->setText(caption);
  if (QAction* button = CommandButton(command)) button->setToolTip(caption);
}

QString TMainForm::Caption(TCommandId command) const { return CommandItem(command)->text(); }

void TMainForm::SetShortcut(TCommandId command, const QKeySequence& key) { CommandItem(command)->setShortcut(key); }

void TMainForm::SetGroupEnabled(TCommandGroup group, bool enabled) {
  GroupMenu(group)->menuAction()->setEnabled(enabled);
}

void TMainForm::SetGroupRefresh(TCommandGroup group, THandler refresh) {
  QMetaObject::Connection& c = GroupRefresh[static_cast<std::size_t>(group)];
  disconnect(c);
  c = connect(GroupMenu(group), &QMenu::aboutToShow, this, std::move(refresh));
}

views::TViewOptions TMainForm::Options() const {
  views::TViewOptions o;
  o.Compare.IgnoreCase = mnuIgnoreCase->isChecked();
  o.Compare.IgnoreBlanks = mnuIgnoreBlanks->isChecked();
  o.Compare.IgnoreComments = mnuIgnoreComments->isChecked();
  o.Compare.AlignSimilar = mnuAlignSimilar->isChecked();
  o.Compare.BySection = mnuBySection->isChecked();
  o.Compare.IgnorePosition = mnuIgnorePosition->isChecked();
  o.Compare.IgnoreDefaults = mnuIgnoreDefaults->isChecked();
  o.Compare.Defaults = DefaultsTable().get();
  o.ShowDiffsOnly = mnuShowDiffsOnly->isChecked();
  o.Stacked = mnuHorzSplit->isChecked();
  o.LibraryFiles = mnuLibraryFiles->isChecked();
  return o;
}

void TMainForm::SetShowDiffsOnly(bool on) {
  QSignalBlocker quiet(mnuShowDiffsOnly);
  mnuShowDiffsOnly->setChecked(on);
}

void TMainForm::SetStacked(bool on) {
  QSignalBlocker quiet(mnuHorzSplit);
  mnuHorzSplit->setChecked(on);
}

std::shared_ptr<const pbparse::TDefaults> TMainForm::DefaultsTable() const {
  // Read once, when first needed: the table shipped beside the program (or in share/quorvex) and
  // the user's own additions. A table that cannot be read leaves the defaults unknown; the
  // structured comparison then counts every attribute.
  if (!DefaultsRead) {
    DefaultsRead = true;
    try {
      Defaults = pbparse::LoadDefaults(QCoreApplication::applicationDirPath().toStdString()).Table;
    } catch (const std::exception&) {
      Defaults.reset();
    }
  }
  return Defaults;
}

views::TViewColors TMainForm::Colors() const { return {AddColor, ModColor, DelColor}; }

std::filesystem::path TMainForm::Folder(compare::TSide side) const { return Folders[side]; }

void TMainForm::SetFolder(compare::TSide side, const std::filesystem::path& folder) {
  Folders[side] = folder;
}

std::filesystem::path TMainForm::StateFolder() const { return ExeDir(); }

void TMainForm::ShowNote(const QString& text) {
  StatusBar1->SetPanelText(3, text);
  StatusBar1->repaint();
}

void TMainForm::ShowStatus(const QString& text) {
  StatusBar1->SetPanelText(7, text);
  StatusBar1->repaint();
}

void TMainForm::ShowProgress(int value, int maximum, const QString& text) {
  ProgressBar1->setRange(0, maximum);
  ProgressBar1->setValue(value);
  ProgressBar1->setVisible(true);
  StatusBar1->SetPanelText(7, text);
  StatusBar1->repaint();
}

void TMainForm::HideProgress() {
  StatusBar1->SetPanelText(7, QString());
  ProgressBar1->setVisible(false);
}

void TMainForm::SwitchTo(views::TViewKind view) {
  switch (view) {
    case views::TViewKind::Libraries: tbLibModeClick(); break;
    case views::TViewKind::Objects: mnuObjsClick(); break;
    case views::TViewKind::Source: tbFileClick(); break;
  }
}

void TMainForm::HoldViewSwitches(bool held) {
  if (held) {
    HeldSwitches.clear();
    for (QAction* a : {mnuLibs, mnuObjs, mnuFile, tbLibMode, tbObjs, tbFile}) {
      HeldSwitches.emplace_back(a, ItemEnabled(a));
      a->setEnabled(false);
    }
  } else {
    for (auto& [a, enabled] : HeldSwitches) a->setEnabled(enabled);
    HeldSwitches.clear();
  }
}

void TMainForm::CompareSources(std::array<views::TSourceText, compare::SideCount> texts) {
  // The new texts replace both panes: their edits are asked about first; cancelled, the last
  // comparison stays.
  if (!FilesFrame->ResolveEdits(false)) return;
  tbFileClick();
  for (compare::TSide side : compare::AllSides)
    FilesFrame->SetSourceText(texts[side].Caption, texts[side].Lines, side);
  FilesFrame->RunCompare();
}

void TMainForm::Raise() {
  activateWindow();
  raise();
}

void TMainForm::ShowError(const std::exception& error) {
  if (OnShowError) OnShowError(error);
}

void TMainForm::ShowInformation(const QString& text) {
  if (OnShowInformation) OnShowInformation(text);
}

bool TMainForm::AskYesNo(const QString& text) { return OnAskYesNo && OnAskYesNo(text); }

views::TEditsChoice TMainForm::AskSaveEdits(const QString& text) {
  return OnAskSaveEdits ? OnAskSaveEdits(text) : views::TEditsChoice::Cancel;
}

bool TMainForm::AskChoice(const QString& text, const QString& first, const QString& second) {
  return OnAskChoice && OnAskChoice(text, first, second);
}
