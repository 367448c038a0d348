// The main window's menus and toolbar, and the table of the commands they carry.
#include "app/Main.h"

#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>
#include <QSignalBlocker>
#include <QToolBar>
#include <algorithm>

#include "libview/LibView.h"
#include "views/Artwork.h"

using compare::Side1;
using compare::Side2;
using views::TCommand;
using views::TCommandGroup;
using views::TCommandId;
using views::TSideCommand;

namespace app {

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
  File1 = AddMenu(nullptr, "File1", tr("文件(&F)"));
  mnuOpen1 = AddItem(File1, "mnuOpen1", tr("打开文件 1..."), views::DefaultShortcut({TSideCommand::Open, Side1}));
  mnuOpen2 = AddItem(File1, "mnuOpen2", tr("打开文件 2 ..."), views::DefaultShortcut({TSideCommand::Open, Side2}));
  mnuAddFolder1 = AddItem(File1, "mnuAddFolder1", tr("添加文件夹 1…"));
  mnuAddFolder2 = AddItem(File1, "mnuAddFolder2", tr("添加文件夹 2…"));
  mnuAddRevision1 = AddItem(File1, "mnuAddRevision1", tr("添加 git 版本 1…"));
  mnuAddRevision2 = AddItem(File1, "mnuAddRevision2", tr("添加 git 版本 2…"));
  N9 = AddSeparator(File1, "N9");
  mnuSave1 = AddItem(File1, "mnuSave1", tr("保存文件 1 ..."));
  mnuSave2 = AddItem(File1, "mnuSave2", tr("保存文件 2 ..."));
  mnuSave1->setEnabled(false);
  mnuSave2->setEnabled(false);
  N11 = AddSeparator(File1, "N11");
  N3 = AddSeparator(File1, "N3");
  mnuSaveReport = AddItem(File1, "mnuSaveReport", tr("保存结果为..."));
  mnuSaveReport->setEnabled(false);
  N6 = AddSeparator(File1, "N6");
  mnuExit = AddItem(File1, "mnuExit", tr("退出(&x)"), QKeySequence(Qt::CTRL | Qt::Key_Q));
  connect(mnuExit, &QAction::triggered, this, &TMainForm::mnuExitClick);
}

void TMainForm::CreateViewMenu() {
  N15 = AddMenu(nullptr, "N15", tr("视图(&V)"));
  mnuLibs = AddItem(N15, "mnuLibs", tr("PB库文件列表"), QKeySequence(Qt::Key_F6));
  mnuObjs = AddItem(N15, "mnuObjs", tr("PBL对象列表"), QKeySequence(Qt::Key_F7));
  mnuFile = AddItem(N15, "mnuFile", tr("源代码比较视图"), QKeySequence(Qt::Key_F8));
  mnuMerge = AddItem(N15, "mnuMerge", tr("三方合并视图"));
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
  mnuEdit = AddMenu(nullptr, "mnuEdit", tr("Edit"));
  mnuUndo = AddItem(mnuEdit, "mnuUndo", tr("&Undo"), views::DefaultShortcut(TCommand::Undo));
  mnuRedo = AddItem(mnuEdit, "mnuRedo", tr("&Redo"), views::DefaultShortcut(TCommand::Redo));
  N7 = AddSeparator(mnuEdit, "N7");
  mnuCut = AddItem(mnuEdit, "mnuCut", tr("C&ut"), views::DefaultShortcut(TCommand::Cut));
  mnuCopy = AddItem(mnuEdit, "mnuCopy", tr("C&opy"), views::DefaultShortcut(TCommand::Copy));
  mnuPaste = AddItem(mnuEdit, "mnuPaste", tr("&Paste"), views::DefaultShortcut(TCommand::Paste));
  mnuEdit->menuAction()->setVisible(false);
}

void TMainForm::CreateSearchMenu() {
  mnuSearch = AddMenu(nullptr, "mnuSearch", tr("查找(&S)"));
  mnuFind = AddItem(mnuSearch, "mnuFind", tr("查找..."), views::DefaultShortcut(TCommand::Find));
  mnuFindNext = AddItem(mnuSearch, "mnuFindNext", tr("重复查找"), views::DefaultShortcut(TCommand::FindNext));
  N10 = AddSeparator(mnuSearch, "N10");
  mnuPrev = AddItem(mnuSearch, "mnuPrev", tr("到前一个不同点"), views::DefaultShortcut(TCommand::PrevDiff));
  mnuReplace = AddItem(mnuSearch, "mnuReplace", tr("&Replace"), views::DefaultShortcut(TCommand::Replace));
  mnuNext = AddItem(mnuSearch, "mnuNext", tr("到下一个不同点"), views::DefaultShortcut(TCommand::NextDiff));
  mnuPrev->setEnabled(false);
  mnuNext->setEnabled(false);
  mnuReplace->setVisible(false);
  mnuSearch->menuAction()->setEnabled(false);
}

void TMainForm::CreateActionsMenu() {
  mnuActions = AddMenu(nullptr, "mnuActions", tr("源码比较"));
  mnuCompare = AddItem(mnuActions, "mnuCompare", tr("&Compare"), views::DefaultShortcut(TCommand::Compare));
  mnuCancel = AddItem(mnuActions, "mnuCancel", tr("Cancel  C&ompare"), views::DefaultShortcut(TCommand::Cancel));
  N8 = AddSeparator(mnuActions, "N8");
  mnuCompareFiles = AddItem(mnuActions, "mnuCompareFiles", tr("Compare Modified &Files"),
                            views::DefaultShortcut(TCommand::CompareFiles));
  N1 = AddSeparator(mnuActions, "N1");
  mnuCopyBlockRight = AddItem(mnuActions, "mnuCopyBlockRight", tr("Copy Block &Right"),
                              views::DefaultShortcut(TCommand::CopyBlockRight));
  mnuCopyBlockLeft =
      AddItem(mnuActions, "mnuCopyBlockLeft", tr("Copy Block &Left"), views::DefaultShortcut(TCommand::CopyBlockLeft));
  for (QAction* a : {mnuCompare, mnuCancel, mnuCompareFiles, mnuCopyBlockRight, mnuCopyBlockLeft}) {
    a->setVisible(false);
    a->setEnabled(false);
  }
  mnuActions->menuAction()->setVisible(false);
  mnuActions->menuAction()->setEnabled(false);
}

void TMainForm::CreateOptionsMenu() {
  mnuOptions = AddMenu(nullptr, "mnuOptions", tr("选项(&O)"));
  mnuIgnoreBlanks = AddItem(mnuOptions, "mnuIgnoreBlanks", tr("忽略空格"));
  mnuIgnoreCase = AddItem(mnuOptions, "mnuIgnoreCase", tr("忽略大小写"));
  mnuIgnoreComments = AddItem(mnuOptions, "mnuIgnoreComments", tr("忽略注释"));
  mnuAlignSimilar = AddItem(mnuOptions, "mnuAlignSimilar", tr("对齐相似行"));
  mnuBySection = AddItem(mnuOptions, "mnuBySection", tr("按段比较"));
  mnuIgnorePosition = AddItem(mnuOptions, "mnuIgnorePosition", tr("忽略位置和大小"));
  mnuIgnoreDefaults = AddItem(mnuOptions, "mnuIgnoreDefaults", tr("忽略迁移默认值"));
  mnuLibraryFiles = AddItem(mnuOptions, "mnuLibraryFiles", tr("读取库文件而非其旁的导出文件"));
  mnuShowDiffsOnly = AddItem(mnuOptions, "mnuShowDiffsOnly", tr("只显示不同部分"));
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
  mnuHorzSplit = AddItem(mnuOptions, "mnuHorzSplit", tr("横排窗口"), views::DefaultShortcut(TCommand::HorzSplit));
  mnuHorzSplit->setCheckable(true);
  // Until a view attaches its handler the item does nothing, its check mark included.
  connect(mnuHorzSplit, &QAction::triggered, this, [this] {
    if (IsAttached(mnuHorzSplit)) return;
    QSignalBlocker quiet(mnuHorzSplit);
    mnuHorzSplit->setChecked(!mnuHorzSplit->isChecked());
  });
  N4 = AddSeparator(mnuOptions, "N4");
  mnuHighlightColors = AddMenu(mnuOptions, "mnuHighlightColors", tr("设置颜色标志"));
  Added1 = AddItem(mnuHighlightColors, "Added1", tr("设置[增加]颜色"));
  Modified1 = AddItem(mnuHighlightColors, "Modified1", tr("设置[修改]颜色"));
  Deleted1 = AddItem(mnuHighlightColors, "Deleted1", tr("设置[删除]颜色"));
  connect(Added1, &QAction::triggered, this, &TMainForm::Added1Click);
  connect(Modified1, &QAction::triggered, this, &TMainForm::Modified1Click);
  connect(Deleted1, &QAction::triggered, this, &TMainForm::Deleted1Click);
  N5 = AddSeparator(mnuOptions, "N5");
  mnuFont = AddItem(mnuOptions, "mnuFont", tr("字体 ..."));
  mnuCodePage = AddItem(mnuOptions, "mnuCodePage", tr("代码页…"));
  connect(mnuCodePage, &QAction::triggered, this, &TMainForm::mnuCodePageClick);
  mnuLanguage = AddMenu(mnuOptions, "mnuLanguage", tr("语言(&L)"));
  mnuLanguageZh = AddItem(mnuLanguage, "mnuLanguageZh", tr("中文(&C)"));
  mnuLanguageEn = AddItem(mnuLanguage, "mnuLanguageEn", tr("&English"));
  mnuLanguageSystem = AddItem(mnuLanguage, "mnuLanguageSystem", tr("跟随系统(&S)"));
  auto* languages = new QActionGroup(this);
  for (auto [item, language] : {std::pair{mnuLanguageZh, "zh"}, {mnuLanguageEn, "en"}, {mnuLanguageSystem, ""}}) {
    item->setCheckable(true);
    languages->addAction(item);
    connect(item, &QAction::triggered, this, [this, language] { mnuLanguageClick(language); });
  }
}

void TMainForm::CreateHelpMenu() {
  Help1 = AddMenu(nullptr, "Help1", tr("帮助(&H)"));
  Contents1 = AddItem(Help1, "Contents1", tr("查看帮助"), QKeySequence(Qt::Key_F1));
  mnuAbout = AddItem(Help1, "mnuAbout", tr("关于..."));
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

  tbLibMode = AddButton("tbLibMode", tr("Library list"), 13);
  tbObjs = AddButton("tbObjs", tr("Objects in library"), 14);
  tbFile = AddButton("tbFile", tr("object source code compare"), 15);
  ViewButtons = new QActionGroup(this);
  for (QAction* a : {tbLibMode, tbObjs, tbFile}) {
    a->setCheckable(true);
    ViewButtons->addAction(a);
  }
  connect(tbLibMode, &QAction::triggered, this, &TMainForm::tbLibModeClick);
  connect(tbObjs, &QAction::triggered, this, &TMainForm::mnuObjsClick);
  connect(tbFile, &QAction::triggered, this, &TMainForm::tbFileClick);
  ToolBar1->addSeparator();
  tbOpen1 = AddButton("tbOpen1", tr("Open 1"), 0);
  tbOpen2 = AddButton("tbOpen2", tr("Open 2"), 1);
  ToolBar1->addSeparator();
  tbSave1 = AddButton("tbSave1", tr("Save 1"), 2);
  tbSave2 = AddButton("tbSave2", tr("Save 2"), 3);
  tbSave1->setEnabled(false);
  tbSave2->setEnabled(false);
  ToolBar1->addSeparator();
  tbBack = AddButton("tbBack", QString(), 12);  // never shown, no command
  tbBack->setVisible(false);
  tbBack->setEnabled(false);
  tbHorzSplit = AddButton("tbHorzSplit", tr("Rotate"), 4);
  tbHorzSplit->setEnabled(false);
  ToolBar1->addSeparator();
  tbCompare = AddButton("tbCompare", tr("Compare"), 5);
  tbCancel = AddButton("tbCancel", tr("Cancel Compare"), 6);
  tbCompare->setVisible(false);
  tbCancel->setVisible(false);
  ToolBar1->addSeparator();
  tbNext = AddButton("tbNext", tr("Next Diff"), 7);
  tbPrev = AddButton("tbPrev", tr("Prev Diff"), 8);
  tbNext->setEnabled(false);
  tbPrev->setEnabled(false);
  ToolBar1->addSeparator();
  tbFindNext = AddButton("tbFindNext", tr("Find"), 10);
  tbReplace = AddButton("tbReplace", tr("Replace"), 11);
  tbFindNext->setEnabled(false);
  tbReplace->setVisible(false);
  ToolBar1->addSeparator();
  tbHelp = AddButton("tbHelp", tr("Help"), 9);
  connect(tbHelp, &QAction::triggered, this, &TMainForm::Contents1Click);
}

// ---- the commands' items ----------------------------------------------------------------------

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
    Commands[static_cast<std::size_t>(slot.Id.Index())] = {this->*slot.Item,
                                                           slot.Button ? this->*slot.Button : nullptr};
  for (const TCommandParts& parts : Commands) Q_ASSERT(parts.Item);
}

QAction* TMainForm::CommandItem(TCommandId command) const {
  return Commands[static_cast<std::size_t>(command.Index())].Item;
}
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

}  // namespace app
