// The main window on the offscreen platform: start-up state, view switching, counts, colours,
// shortcuts, the about box, help and the settings file.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QColorDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QScreen>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QUrl>
#include <fstream>
#include <memory>
#include <sstream>

#include "LibWriter.h"
#include "app/About.h"
#include "app/ExeDir.h"
#include "app/Language.h"
#include "app/Main.h"
#include "editor/CodeEditor.h"
#include "app/StatusBar.h"
#include "editor/QtColor.h"
#include "platform/CodePage.h"
#include "fileview/FileView.h"
#include "libview/LibView.h"
#include "mergeview/MergeView.h"
#include "platform/FileSys.h"
#include "search/FindReplace.h"

using editor::TCodeEdit;
using editor::TColor;
using editor::TPoint;
using editor::ToQColor;
using app::AddColor;
using app::DefaultAddColor;
using app::DefaultDelColor;
using app::DefaultModColor;
using app::DelColor;
using app::Folder1;
using app::Folder2;
using app::ModColor;
using app::ProgramFileWith;
using app::SetExeDir;
using app::InstallLanguage;
using app::RemoveLanguage;
using app::ResolveLanguage;
using app::TAboutForm;
using app::TMainForm;
using app::TStatusBar;
using search::TFindForm;

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Runs `act`, which opens a modal dialog, and hands the dialog to `onShown` once it is up.
void WithModal(const std::function<void()>& act, const std::function<void(QWidget*)>& onShown) {
  bool handled = false;
  QTimer poll;
  poll.setInterval(10);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    QWidget* w = QApplication::activeModalWidget();
    if (!w || handled || !w->isVisible()) return;
    handled = true;
    onShown(w);
  });
  poll.start();
  act();
  poll.stop();
  QVERIFY2(handled, "no dialog was shown");
}

}  // namespace

class MainFormTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  std::unique_ptr<TMainForm> form_;

  std::filesystem::path Ini() const { return ProgramFileWith(".ini"); }
  void PutIni(const std::string& text) { std::ofstream(Ini(), std::ios::binary) << text; }
  TMainForm& NewForm() {
    form_ = std::make_unique<TMainForm>();
    return *form_;
  }
  TMainForm& ShownForm() {
    TMainForm& f = NewForm();
    f.show();
    f.activateWindow();
    [&] { QVERIFY(QTest::qWaitForWindowActive(&f)); }();
    return f;
  }
  QRect Screen() const { return QGuiApplication::primaryScreen()->geometry(); }
  // Closes the window and says whether the close went through.
  bool CloseForm() {
    bool closed = form_->close();
    if (closed) form_.reset();
    return closed;
  }

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    SetExeDir(dir_.path().toStdString());
  }
  void init() {
    std::filesystem::remove_all(Ini());
    std::filesystem::remove(ProgramFileWith(".chm"));
    AddColor = DefaultAddColor;
    ModColor = DefaultModColor;
    DelColor = DefaultDelColor;
  }
  void cleanup() {
    if (form_) {
      std::filesystem::remove_all(Ini());
      form_->close();
      form_.reset();
    }
  }

  void startUpWindow() {
    TMainForm& f = NewForm();
    QCOMPARE(QCoreApplication::applicationName(), QString("Quorvex"));
    QCOMPARE(f.windowTitle(), QString("Quorvex"));
    QCOMPARE(f.size(), QSize(645, 329));
    QCOMPARE(f.pos(), QPoint(Screen().x() + (Screen().width() - 645) / 2, Screen().y() + (Screen().height() - 329) / 2));
    QCOMPARE(f.font().family(), QString("Arial"));
    QCOMPARE(f.font().pixelSize(), 11);
    QCOMPARE(f.StatusBar1->font().family(), QString::fromUtf8("宋体"));
    QCOMPARE(f.StatusBar1->font().pixelSize(), 12);
    QCOMPARE(f.FilesFrame->PaneFont.family(), QString("Courier New"));
    QCOMPARE(f.FilesFrame->PaneFont.pointSize(), 10);
    QVERIFY(f.LibFrame->isVisibleTo(&f));
    QVERIFY(!f.FilesFrame->isVisibleTo(&f));
  }

  void startUpMenuBar() {
    TMainForm& f = NewForm();
    QStringList titles;
    for (QAction* a : f.menuBar()->actions()) titles << a->text() + (a->isVisible() ? "" : "(hidden)") + (TMainForm::ItemEnabled(a) ? "" : "(disabled)");
    QCOMPARE(titles, QStringList({QString::fromUtf8("文件(&F)"), QString::fromUtf8("视图(&V)"), "Edit(hidden)",
                                  QString::fromUtf8("查找(&S)(disabled)"), QString::fromUtf8("源码比较(hidden)(disabled)"),
                                  QString::fromUtf8("选项(&O)"), QString::fromUtf8("帮助(&H)")}));
  }

  void altKeysOpenTheirMenus() {
    TMainForm& f = NewForm();
    f.show();
    QVERIFY(QTest::qWaitForWindowActive(&f));
    const std::vector<std::pair<Qt::Key, QMenu*>> keys{{Qt::Key_F, f.File1}, {Qt::Key_O, f.mnuOptions}, {Qt::Key_H, f.Help1}};
    for (const auto& [key, menu] : keys) {
      QTest::keyClick(&f, key, Qt::AltModifier);
      QTRY_COMPARE(QApplication::activePopupWidget(), static_cast<QWidget*>(menu));
      menu->close();
    }
  }

  void startUpItems_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("state");  // e = enabled, d = disabled, h = hidden, c = checked
    auto row = [](const char* name, const char* caption, const char* key, const char* state) {
      QTest::newRow(name) << name << QString::fromUtf8(caption) << key << state;
    };
    row("mnuOpen1", "打开PB库文件 1", "Ctrl+1", "e");
    row("mnuOpen2", "打开PB库文件 2", "Ctrl+2", "e");
    row("mnuAddFolder1", "添加文件夹 1…", "", "e");
    row("mnuAddRevision2", "添加 git 版本 2…", "", "e");
    row("mnuSave1", "保存文件 1 ...", "", "d");
    row("mnuSave2", "保存文件 2 ...", "", "d");
    row("mnuSaveReport", "保存结果为...", "", "d");
    row("mnuExit", "退出(&x)", "Ctrl+Q", "e");
    row("mnuLibs", "PB库文件列表", "F6", "ec");
    row("mnuObjs", "PBL对象列表", "F7", "e");
    row("mnuFile", "源代码比较视图", "F8", "e");
    row("mnuUndo", "&Undo", "Ctrl+Z", "e");
    row("mnuRedo", "&Redo", "Ctrl+Shift+Z", "e");
    row("mnuCut", "C&ut", "Ctrl+X", "e");
    row("mnuCopy", "C&opy", "Ctrl+C", "e");
    row("mnuPaste", "&Paste", "Ctrl+V", "e");
    row("mnuFind", "查找...", "Ctrl+F", "e");
    row("mnuFindNext", "重复查找", "F3", "e");
    row("mnuPrev", "到前一个不同点", "Ctrl+P", "d");
    row("mnuReplace", "&Replace", "Ctrl+R", "eh");
    row("mnuNext", "到下一个不同点", "Ctrl+N", "d");
    row("mnuCompare", "&Compare", "F9", "dh");
    row("mnuCancel", "Cancel  C&ompare", "Esc", "dh");
    row("mnuCompareFiles", "Compare Modified &Files", "Return", "dh");
    row("mnuCopyBlockRight", "Copy Block &Right", "Ctrl+Alt+R", "dh");
    row("mnuCopyBlockLeft", "Copy Block &Left", "Ctrl+Alt+L", "dh");
    row("mnuIgnoreBlanks", "忽略空格", "", "e");
    row("mnuIgnoreCase", "忽略大小写", "", "e");
    row("mnuIgnoreComments", "忽略注释", "", "e");
    row("mnuAlignSimilar", "对齐相似行", "", "e");
    row("mnuShowDiffsOnly", "只显示不同部分", "", "e");
    row("mnuHorzSplit", "横排窗口", "Ctrl+H", "e");
    row("Added1", "设置[增加]颜色", "", "e");
    row("Modified1", "设置[修改]颜色", "", "e");
    row("Deleted1", "设置[删除]颜色", "", "e");
    row("mnuFont", "字体 ...", "", "e");
    row("Contents1", "查看帮助", "F1", "e");
    row("mnuAbout", "关于...", "", "e");
  }
  void startUpItems() {
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QString, key);
    QFETCH(QString, state);
    TMainForm& f = NewForm();
    QAction* a = nullptr;
    for (QMenu* m : f.findChildren<QMenu*>())
      for (QAction* i : m->actions())
        if (i->objectName() == name) a = i;
    QVERIFY2(a, qPrintable(name));
    QCOMPARE(a->text(), caption);
    QCOMPARE(a->shortcut().toString(QKeySequence::PortableText), key);
    QCOMPARE(TMainForm::ItemEnabled(a), state.contains('e'));
    QCOMPARE(a->isVisible(), !state.contains('h'));
    QCOMPARE(a->isChecked(), state.contains('c'));
  }

  void startUpToolBar() {
    TMainForm& f = NewForm();
    QStringList buttons;
    for (QAction* a : f.ToolBar1->actions()) {
      if (a->isSeparator()) {
        buttons << "|";
        continue;
      }
      QString s = a->objectName() + ":" + a->toolTip();
      if (!a->isVisible()) s += "(hidden)";
      if (!TMainForm::ItemEnabled(a)) s += "(disabled)";
      if (a->isChecked()) s += "(down)";
      buttons << s;
    }
    QCOMPARE(buttons,
             QStringList({"tbLibMode:Library list(down)", "tbObjs:Objects in library", "tbFile:object source code compare",
                          "|", QString::fromUtf8("tbOpen1:打开PB库文件 1"), QString::fromUtf8("tbOpen2:打开PB库文件 2"), "|",
                          "tbSave1:Save 1(disabled)", "tbSave2:Save 2(disabled)", "|", "tbBack:(hidden)(disabled)",
                          "tbHorzSplit:Rotate(disabled)", "|", "tbCompare:Compare(hidden)", "tbCancel:Cancel Compare(hidden)",
                          "|", "tbNext:Next Diff(disabled)", "tbPrev:Prev Diff(disabled)", "|", "tbFindNext:Find(disabled)",
                          "tbReplace:Replace(hidden)", "|", "tbHelp:Help"}));
    QCOMPARE(int(f.ImageList1.size()), 16);
    QCOMPARE(int(f.ImageList2.size()), 13);
    for (const QPixmap& p : f.ImageList1) QCOMPARE(p.size(), QSize(16, 16));
  }

  void statusBarPanels() {
    TMainForm& f = ShownForm();
    TStatusBar* bar = f.StatusBar1;
    QCOMPARE(bar->PanelCount(), 8);
    const int widths[] = {32, 40, 32, 40, 32, 40, 100};
    for (int i = 0; i < 7; ++i) QCOMPARE(bar->Panel(i).Width, widths[i]);
    QCOMPARE(bar->PanelText(0), QString::fromUtf8("增加"));
    QCOMPARE(bar->PanelText(2), QString::fromUtf8("更改"));
    QCOMPARE(bar->PanelText(4), QString::fromUtf8("减少"));
    QCOMPARE(bar->PanelText(6), QString::fromUtf8("左0行:右0行"));
    QVERIFY(bar->PanelRect(7).right() >= bar->width() - 3);  // the last panel stretches
    // A longer text widens its panel to show it whole.
    f.ShowCounts({1228, 1259, 0, 0, 0});
    QVERIFY(bar->PanelRect(6).width() >= bar->fontMetrics().horizontalAdvance(bar->PanelText(6)));
    // The owner-drawn labels sit on their colours.
    QImage img = bar->grab().toImage();
    QCOMPARE(QColor(img.pixel(bar->PanelRect(0).bottomRight() - QPoint(1, 1))), QColor(0xA8, 0xCC, 0xF0));
    QCOMPARE(QColor(img.pixel(bar->PanelRect(2).bottomRight() - QPoint(1, 1))), QColor(0x8A, 0xFB, 0x6F));
    QCOMPARE(QColor(img.pixel(bar->PanelRect(4).bottomRight() - QPoint(1, 1))), QColor(0xFF, 0x77, 0xBB));
  }

  void progressBarFollowsPanel7() {
    TMainForm& f = ShownForm();
    QVERIFY(!f.ProgressBar1->isVisible());
    QCOMPARE(f.ProgressBar1->parentWidget(), static_cast<QWidget*>(f.StatusBar1));
    f.resize(900, 400);
    QTRY_COMPARE(f.ProgressBar1->geometry(), f.StatusBar1->PanelRect(7));
    int wide = f.ProgressBar1->width();
    f.resize(700, 400);
    QTRY_COMPARE(f.ProgressBar1->geometry(), f.StatusBar1->PanelRect(7));
    QCOMPARE(f.ProgressBar1->width(), wide - 200);
  }

  void showCounts_data() {
    QTest::addColumn<int>("count1");
    QTest::addColumn<int>("count2");
    QTest::addColumn<int>("added");
    QTest::addColumn<int>("changed");
    QTest::addColumn<int>("deleted");
    QTest::addColumn<QString>("panel6");
    QTest::newRow("lines") << 120 << 118 << 3 << 7 << 5 << QString::fromUtf8("左120行:右118行");
    QTest::newRow("zeros") << 0 << 0 << 0 << 0 << 0 << QString::fromUtf8("左0行:右0行");
    QTest::newRow("negative and large") << -1 << 2147483647 << 1000000 << 0 << 0 << QString::fromUtf8("左-1行:右2147483647行");
  }
  void showCounts() {
    QFETCH(int, count1);
    QFETCH(int, count2);
    QFETCH(int, added);
    QFETCH(int, changed);
    QFETCH(int, deleted);
    QFETCH(QString, panel6);
    TMainForm& f = NewForm();
    f.ShowCounts({count1, count2, added, deleted, changed});
    QCOMPARE(f.StatusBar1->PanelText(1), QString::number(added));
    QCOMPARE(f.StatusBar1->PanelText(3), QString::number(changed));
    QCOMPARE(f.StatusBar1->PanelText(5), QString::number(deleted));
    QCOMPARE(f.StatusBar1->PanelText(6), panel6);
    QCOMPARE(f.StatusBar1->PanelText(0), QString::fromUtf8("增加"));
  }

  // The state every library view leaves behind.
  void CheckLibraryViewState(TMainForm& f) {
    QVERIFY(!f.mnuSave1->isEnabled());
    QVERIFY(!f.mnuSave2->isEnabled());
    QVERIFY(!f.mnuSearch->menuAction()->isEnabled());
    QVERIFY(!f.tbSave1->isEnabled());
    QVERIFY(!f.tbSave2->isEnabled());
    QVERIFY(!f.tbHorzSplit->isEnabled());
    QVERIFY(!f.tbNext->isEnabled());
    QVERIFY(!f.tbPrev->isEnabled());
    QVERIFY(!f.tbFindNext->isEnabled());
    QVERIFY(!f.mnuActions->menuAction()->isEnabled());
    QVERIFY(f.LibFrame->isVisible());
    QVERIFY(!f.FilesFrame->isVisible());
  }

  void viewSwitching_data() {
    QTest::addColumn<int>("how");  // 0 key, 1 toolbar, 2 menu item
    QTest::newRow("keys") << 0;
    QTest::newRow("toolbar") << 1;
    QTest::newRow("menu") << 2;
  }
  void viewSwitching() {
    QFETCH(int, how);
    TMainForm& f = ShownForm();
    auto go = [&](Qt::Key key, QAction* button, QAction* item) {
      if (how == 0) QTest::keyClick(&f, key);
      else if (how == 1) button->trigger();
      else item->trigger();
    };
    // Something a source view would have enabled, to see the library views turn it off.
    f.mnuSave1->setEnabled(true);
    f.tbNext->setEnabled(true);
    f.mnuSearch->menuAction()->setEnabled(true);
    f.mnuActions->menuAction()->setEnabled(true);

    go(Qt::Key_F7, f.tbObjs, f.mnuObjs);
    QVERIFY(f.mnuObjs->isChecked() && !f.mnuLibs->isChecked());
    QVERIFY(f.tbObjs->isChecked() && !f.tbLibMode->isChecked());
    QCOMPARE(f.LibFrame->ViewMode(), 1);
    QCOMPARE(f.mnuOpen1->text(), QString::fromUtf8("打开一个PB库文件 1"));
    QCOMPARE(f.tbOpen2->toolTip(), QString::fromUtf8("打开一个PB库文件 2"));
    CheckLibraryViewState(f);

    go(Qt::Key_F8, f.tbFile, f.mnuFile);
    QVERIFY(f.mnuFile->isChecked() && !f.mnuObjs->isChecked());
    QVERIFY(f.tbFile->isChecked() && !f.tbObjs->isChecked());
    QVERIFY(f.FilesFrame->isVisible());
    QVERIFY(!f.LibFrame->isVisible());
    QCOMPARE(f.mnuOpen1->text(), QString::fromUtf8("打开文本文件 1"));
    QCOMPARE(f.tbOpen1->toolTip(), QString::fromUtf8("打开文本文件 1"));
    QCOMPARE(f.tbObjs->toolTip(), QString("Toggle to Objects View"));

    f.mnuSave2->setEnabled(true);
    f.tbPrev->setEnabled(true);
    f.tbFindNext->setEnabled(true);
    go(Qt::Key_F6, f.tbLibMode, f.mnuLibs);
    QVERIFY(f.mnuLibs->isChecked() && f.tbLibMode->isChecked() && !f.tbFile->isChecked());
    QCOMPARE(f.LibFrame->ViewMode(), 0);
    QCOMPARE(f.mnuOpen2->text(), QString::fromUtf8("打开PB库文件 2"));
    CheckLibraryViewState(f);
  }

  void eachViewShowsItsCounts() {
    TMainForm& f = NewForm();
    // Objects 4 and 5: one added, two changed.
    testsupport::TTempDir dir;
    auto lib = [&](const char* name, std::vector<testsupport::TFakeEntry> entries) {
      testsupport::TLibWriter w(false);
      w.AddNode(std::move(entries));
      return dir.Write(name, w.Build());
    };
    const fs::path one = lib("one.pbl", {{"w_a.srw", "a\r\n", 10}, {"w_b.srw", "b\r\n", 10}, {"w_c.srw", "c\r\n", 10},
                                         {"w_d.srw", "d\r\n", 10}});
    const fs::path two = lib("two.pbl", {{"w_a.srw", "a\r\n", 10}, {"w_b.srw", "B\r\n", 20}, {"w_c.srw", "C\r\n", 20},
                                         {"w_d.srw", "d\r\n", 10}, {"w_e.srw", "e\r\n", 10}});
    f.LibFrame->OpenOneLibrary(one, compare::Side1);
    f.LibFrame->OpenOneLibrary(two, compare::Side2);
    f.FilesFrame->Counts = {120, 118, 3, 1, 0};
    f.mnuObjsClick();
    QCOMPARE(f.StatusBar1->PanelText(6), QString::fromUtf8("左4行:右5行"));
    QCOMPARE(f.StatusBar1->PanelText(3), QString("2"));
    f.tbFileClick();
    QCOMPARE(f.StatusBar1->PanelText(6), QString::fromUtf8("左120行:右118行"));
    QCOMPARE(f.StatusBar1->PanelText(1), QString("3"));
    f.tbLibModeClick();
    QCOMPARE(f.StatusBar1->PanelText(6), QString::fromUtf8("左0行:右0行"));
  }

  void attachReplacesHandler() {
    TMainForm& f = NewForm();
    QStringList calls;
    f.Attach(f.mnuOpen1, [&](QObject* s) { calls << "first:" + s->objectName(); });
    f.Attach(f.mnuOpen1, [&](QObject* s) { calls << "second:" + s->objectName(); });
    f.Attach(f.tbOpen1, [&](QObject* s) { calls << "button:" + s->objectName(); });
    f.mnuOpen1->trigger();
    f.tbOpen1->trigger();
    QCOMPARE(calls, QStringList({"second:mnuOpen1", "button:tbOpen1"}));
    // Every view attaches its own open command, so switching views drops the old one.
    f.FilesFrame->ChooseOpenFile = [&](const QString&) {
      calls << "files view";
      return QString();
    };
    f.tbFileClick();
    calls.clear();
    f.mnuOpen1->trigger();
    QCOMPARE(calls, QStringList({"files view"}));
    calls.clear();
    // Other commands keep their handler across view switches.
    f.Attach(f.mnuHorzSplit, [&](QObject*) { calls << "split"; });
    f.tbLibModeClick();
    QTest::keyClick(&f, Qt::Key_H, Qt::ControlModifier);
    QCOMPARE(calls, QStringList({"split"}));
  }

  void shortcutsOfHiddenItemsAndDisabledMenus() {
    TMainForm& f = ShownForm();
    int replaced = 0, found = 0, compared = 0;
    f.Attach(f.mnuReplace, [&](QObject*) { ++replaced; });
    f.Attach(f.mnuFind, [&](QObject*) { ++found; });
    f.Attach(f.mnuCompare, [&](QObject*) { ++compared; });
    QTest::keyClick(&f, Qt::Key_F, Qt::ControlModifier);  // the search menu is disabled
    QTest::keyClick(&f, Qt::Key_R, Qt::ControlModifier);
    QCOMPARE(found + replaced, 0);
    f.mnuSearch->menuAction()->setEnabled(true);
    QTest::keyClick(&f, Qt::Key_F, Qt::ControlModifier);
    QTest::keyClick(&f, Qt::Key_R, Qt::ControlModifier);  // hidden item, enabled menu
    QCOMPARE(found, 1);
    QCOMPARE(replaced, 1);
    // Disabling the menu widget itself counts the same as disabling its menu bar entry.
    f.mnuSearch->setEnabled(false);
    QVERIFY(!f.mnuSearch->menuAction()->isEnabled());
    QTest::keyClick(&f, Qt::Key_R, Qt::ControlModifier);
    QCOMPARE(replaced, 1);
    // Hidden menu, hidden item: works once both are enabled.
    QTest::keyClick(&f, Qt::Key_F9);
    f.mnuCompare->setEnabled(true);
    QTest::keyClick(&f, Qt::Key_F9);
    QCOMPARE(compared, 0);
    f.mnuActions->menuAction()->setEnabled(true);
    QTest::keyClick(&f, Qt::Key_F9);
    QCOMPARE(compared, 1);
    // A changed key takes effect.
    f.mnuCompare->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_D));
    QTest::keyClick(&f, Qt::Key_F9);
    QTest::keyClick(&f, Qt::Key_D, Qt::ControlModifier | Qt::AltModifier);
    QCOMPARE(compared, 2);
  }

  void shortcutRunsEnclosingMenusFirst() {
    TMainForm& f = ShownForm();
    QStringList order;
    connect(f.mnuOptions, &QMenu::aboutToShow, this, [&] { order << "options"; });
    connect(f.mnuHighlightColors, &QMenu::aboutToShow, this, [&] { order << "colours"; });
    bool copyOn = true;
    connect(f.mnuEdit, &QMenu::aboutToShow, this, [&] {
      order << "edit";
      f.mnuUndo->setEnabled(false);  // nothing to undo
      f.mnuCopy->setEnabled(copyOn);
    });
    f.Attach(f.mnuUndo, [&](QObject*) { order << "undo"; });
    f.Attach(f.mnuCopy, [&](QObject*) { order << "copy"; });
    f.Attach(f.mnuHorzSplit, [&](QObject*) { order << "split"; });
    // The menu refreshes its items when the key is offered; a disabled item leaves the key.
    QTest::keyClick(&f, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(order, QStringList({"edit"}));
    copyOn = false;
    QTest::keyClick(&f, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(order, QStringList({"edit", "edit"}));
    // An item its menu enables takes the key; the menu runs again right before the item.
    copyOn = true;
    QTest::keyClick(&f, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(order, QStringList({"edit", "edit", "edit", "edit", "copy"}));
    order.clear();
    QTest::keyClick(&f, Qt::Key_H, Qt::ControlModifier);
    QCOMPARE(order, QStringList({"options", "options", "split"}));
  }

  void keysWithoutActiveItemStayWithTheControl() {
    TMainForm& f = ShownForm();
    auto* edit = new QLineEdit(f.LibFrame);
    edit->show();
    edit->setFocus();
    QTRY_VERIFY(edit->hasFocus());
    int returns = 0;
    connect(edit, &QLineEdit::returnPressed, this, [&] { ++returns; });
    QTest::keyClick(edit, Qt::Key_Return);  // mnuCompareFiles is never enabled
    QCOMPARE(returns, 1);
    // The edit items are enabled but nothing is attached yet: Ctrl+A, Ctrl+X work in the box.
    edit->setText("abc");
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(edit->text(), QString());
    // Once attached and enabled by its menu, the edit command takes the key.
    int cuts = 0;
    f.Attach(f.mnuCut, [&](QObject*) { ++cuts; });
    connect(f.mnuEdit, &QMenu::aboutToShow, this, [&] { f.mnuCut->setEnabled(true); });
    edit->setText("abc");
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(cuts, 1);
    QCOMPARE(edit->text(), QString("abc"));
  }

  void splitItemDoesNothingUntilAttached() {
    TMainForm& f = NewForm();
    f.mnuHorzSplit->trigger();
    QVERIFY(!f.mnuHorzSplit->isChecked());
    bool seen = false;
    f.Attach(f.mnuHorzSplit, [&](QObject*) { seen = f.mnuHorzSplit->isChecked(); });
    f.mnuHorzSplit->trigger();
    QVERIFY(seen);
  }

  void optionsOnlyToggle() {
    TMainForm& f = NewForm();
    QVERIFY(!f.mnuIgnoreBlanks->isChecked() && !f.mnuIgnoreCase->isChecked() && !f.mnuShowDiffsOnly->isChecked());
    f.mnuIgnoreBlanks->trigger();
    f.mnuIgnoreCase->trigger();
    f.mnuShowDiffsOnly->trigger();
    QVERIFY(f.mnuIgnoreBlanks->isChecked() && f.mnuIgnoreCase->isChecked() && f.mnuShowDiffsOnly->isChecked());
    QVERIFY(!f.FilesFrame->ResultPresent);
    f.mnuShowDiffsOnly->trigger();
    QVERIFY(!f.mnuShowDiffsOnly->isChecked());
  }

  void colourCommand_data() {
    QTest::addColumn<int>("which");
    QTest::newRow("added") << 0;
    QTest::newRow("modified") << 1;
    QTest::newRow("deleted") << 2;
  }
  void colourCommand() {
    QFETCH(int, which);
    TMainForm& f = ShownForm();
    QAction* items[] = {f.Added1, f.Modified1, f.Deleted1};
    TColor* vars[] = {&AddColor, &ModColor, &DelColor};
    const TColor before = *vars[which];
    const int panel = which * 2;
    QPoint probe = f.StatusBar1->PanelRect(panel).bottomRight() - QPoint(1, 1);
    int framePaints = 0;
    struct TCounter : QObject {
      int* n;
      bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++*n;
        return false;
      }
    } counter;
    counter.n = &framePaints;
    f.LibFrame->installEventFilter(&counter);

    // Cancelled: nothing changes.
    WithModal([&] { items[which]->trigger(); }, [&](QWidget* w) {
      QCOMPARE(w, static_cast<QWidget*>(f.ColorDialog1));
      QCOMPARE(f.ColorDialog1->currentColor(), ToQColor(before, f.palette()));
      f.ColorDialog1->setCurrentColor(Qt::red);
      f.ColorDialog1->reject();
    });
    QCOMPARE(*vars[which], before);

    WithModal([&] { items[which]->trigger(); }, [&](QWidget*) {
      f.ColorDialog1->setCurrentColor(QColor(0x12, 0x34, 0x56));
      f.ColorDialog1->accept();
    });
    QCOMPARE(*vars[which], TColor(0x563412));
    QTRY_COMPARE(QColor(f.StatusBar1->grab().toImage().pixel(probe)), QColor(0x12, 0x34, 0x56));
    QTest::qWait(20);
    framePaints = 0;
    f.StatusBar1->repaint();
    QCOMPARE(framePaints, 0);
  }

  void aboutBox_data() {
    QTest::addColumn<bool>("maximised");
    QTest::newRow("normal") << false;
    QTest::newRow("maximised") << true;
  }
  void aboutBox() {
    QFETCH(bool, maximised);
    TMainForm& f = ShownForm();
    if (maximised) {
      f.showMaximized();
      QTRY_VERIFY(f.isMaximized());
      QTRY_COMPARE(f.frameGeometry().size(), f.screen()->availableGeometry().size());
    }
    WithModal([&] { f.mnuAbout->trigger(); }, [&](QWidget* w) {
      auto* about = qobject_cast<TAboutForm*>(w);
      QVERIFY(about);
      QCOMPARE(about->windowTitle(), QString("Quorvex - About"));
      QCOMPARE(about->size(), QSize(355, 205));
      QCOMPARE(about->ProductName->text(), QString("Quorvex"));
      QCOMPARE(about->ProductName->font().pixelSize(), 16);
      QVERIFY(about->ProductName->font().bold());
      QCOMPARE(about->Version->text(), QString("1.0"));
      QCOMPARE(about->Version->pos(), QPoint(157, 16));
      QCOMPARE(about->OKButton->geometry(), QRect(137, 170, 75, 23));
      QRect main = f.frameGeometry();
      QCOMPARE(about->frameGeometry().topLeft(),
               QPoint(main.left() + (main.width() - about->frameGeometry().width()) / 2,
                      main.top() + (main.height() - about->frameGeometry().height()) / 2));
      QTest::keyClick(about, Qt::Key_Escape);
      QCOMPARE(about->result(), int(QDialog::Accepted));
    });
  }

  void aboutBoxLargerThanWindowLandsLeftAndAbove() {
    QCOMPARE(TAboutForm::CentredOver(QRect(100, 100, 200, 100), QSize(355, 205)), QPoint(100 - 77, 100 - 52));
    QCOMPARE(TAboutForm::CentredOver(QRect(0, 0, 201, 100), QSize(355, 206)), QPoint(-77, -53));
  }

  void helpOpensChmOnlyWhenPresent() {
    TMainForm& f = NewForm();
    QList<QUrl> opened;
    f.OpenUrl = [&](const QUrl& u) {
      opened << u;
      return true;
    };
    f.tbHelp->trigger();
    f.Contents1->trigger();
    QVERIFY(opened.isEmpty());
    std::ofstream(ProgramFileWith(".chm")) << "help";
    f.tbHelp->trigger();
    QCOMPARE(opened.size(), 1);
    QCOMPARE(opened[0], QUrl::fromLocalFile(QString::fromStdString(ProgramFileWith(".chm").string())));
  }

  void settingsFileAfterFirstClose() {
    TMainForm& f = ShownForm();
    QPoint pos = f.pos();
    QSize size = f.size();
    QVERIFY(CloseForm());
    std::string expected = "[Options]\nBounds.Left=" + std::to_string(pos.x()) + "\nBounds.Top=" + std::to_string(pos.y()) +
                           "\nBounds.Width=" + std::to_string(size.width()) + "\nBounds.Height=" +
                           std::to_string(size.height()) +
                           "\nAddColor=$00F0CCA8\nModColor=$006FFB8A\nDelColor=$00BB77FF\nFont.Name=Courier New\n"
                           "Font.size=10\nHorizontal=0\nFolder.1=\nFolder.2=\nCodePage=936\n"
                           "IgnoreBlanks=0\nIgnoreCase=0\nIgnoreComments=0\nAlignSimilar=0\nBySection=0\n"
                           "IgnorePosition=0\nIgnoreDefaults=0\nShowDiffsOnly=0\n";
    QCOMPARE(QString::fromStdString(ReadAll(Ini())), QString::fromStdString(expected));
  }

  // Without the table of migration defaults the option cannot ignore anything: said once.
  void ignoringDefaultsWithoutTheTableIsSaidOnce() {
    TMainForm& f = NewForm();
    QStringList told;
    f.OnShowInformation = [&](const QString& text) { told << text; };
    f.mnuIgnoreDefaults->trigger();
    for (int i = 0; i < 3; ++i) f.Options();
    if (f.Options().Compare.Defaults) QSKIP("a table of migration defaults is installed where the program looks");
    QTRY_COMPARE(told.size(), 1);
    QVERIFY2(told[0].contains("dwdefaults.txt"), qPrintable(told[0]));
  }

  void theLibraryListComesBackAtTheNextStart() {
    testsupport::TTempDir dir;
    testsupport::TLibWriter w(false);
    w.AddNode({{"w_a.srw", "a\r\n", 10}});
    const std::string lib = w.Build();
    const fs::path one = dir.Write("one/x.pbl", lib), two = dir.Write("two/x.pbl", lib), gone = dir.Write("two/y.pbl", lib);
    TMainForm& f = NewForm();
    f.LibFrame->AddLibraries({one}, compare::Side1);
    f.LibFrame->AddLibraries({two, gone}, compare::Side2);
    QVERIFY(CloseForm());
    fs::remove(gone);
    QStringList told;
    TMainForm& g = NewForm();
    g.OnShowInformation = [&](const QString& text) { told << text; };
    QTRY_COMPARE(g.LibFrame->lvLibs->topLevelItemCount(), 1);
    QCOMPARE(g.LibFrame->Model().LibraryCounts().Count1, 1);
    QCOMPARE(g.LibFrame->Model().LibraryCounts().Count2, 1);
    QCOMPARE(told, QStringList({QString::fromStdString(gone.string()) + " does not exist"}));
    // Stored as the files added, with absolute paths, in the order added.
    QVERIFY(CloseForm());
    const std::string ini = ReadAll(Ini());
    QVERIFY(ini.find("Side1.1=" + one.string() + "\n") != std::string::npos);
    QVERIFY(ini.find("Side2.1=" + two.string() + "\n") != std::string::npos);
    QVERIFY(ini.find("Side2.2=") == std::string::npos);  // told once, then forgotten
  }

  void theCommandLineNamesSidesOrFiles() {
    testsupport::TTempDir dir;
    testsupport::TLibWriter w(false);
    w.AddNode({{"w_a.srw", "a\r\n", 10}});
    const fs::path lib1 = dir.Write("one/x.pbl", w.Build()), lib2 = dir.Write("two/x.pbl", w.Build());
    const fs::path text1 = dir.Write("a.txt", "1\r\n2\r\n"), text2 = dir.Write("b.txt", "1\r\n3\r\n");
    auto q = [](const fs::path& p) { return QString::fromStdString(p.string()); };
    // Two library files: the object list.
    TMainForm& f = NewForm();
    f.OpenArguments({q(lib1), q(lib2)});
    QTRY_VERIFY(f.mnuObjs->isChecked());
    QCOMPARE(f.LibFrame->Model().ObjectCounts().Count1, 1);
    QCOMPARE(f.LibFrame->Model().ObjectCounts().Count2, 1);
    // Two text files: the source view.
    TMainForm& g = NewForm();
    g.OpenArguments({q(text1), q(text2)});
    QTRY_VERIFY(g.FilesFrame->ResultPresent);
    QCOMPARE(g.FilesFrame->Counts.Changed, 1);
    // One side: side 1 of the library list.
    TMainForm& h = NewForm();
    h.OpenArguments({q(lib1)});
    QTRY_COMPARE(h.LibFrame->Model().LibraryCounts().Count1, 1);
    QCOMPARE(h.LibFrame->Model().LibraryCounts().Count2, 0);
    // A side and a file, or a missing file: told, and the window stays as it is.
    QStringList errors;
    const auto noteError = [&](const std::exception& e) { errors << QString::fromStdString(e.what()); };
    TMainForm& k = NewForm();
    k.OnShowError = noteError;
    k.OpenArguments({q(lib1), q(text1)});
    QTRY_COMPARE(errors.size(), 1);
    k.OpenArguments({q(dir.Path() / "none.txt")});
    QTRY_COMPARE(errors.size(), 2);
    QVERIFY(errors[1].contains("none.txt"));
    // git difftool's added file: /dev/null and the file, under its labels; no message.
    TMainForm& m = NewForm();  // k is gone from here on
    m.OnShowError = noteError;
    m.OpenArguments({"-L", "a/new.txt", "-Lb/new.txt", "/dev/null", q(text1)});
    QTRY_VERIFY(m.FilesFrame->ResultPresent);
    QCOMPARE(m.FilesFrame->Name(compare::Side1), QString("a/new.txt"));
    QCOMPARE(m.FilesFrame->Name(compare::Side2), QString("b/new.txt"));
    QCOMPARE(m.FilesFrame->Counts.Added, 2);
    QCOMPARE(m.FilesFrame->Counts.Deleted, 0);
    QVERIFY(m.FilesFrame->Pane(compare::Side1)->ReadOnly());
    QCOMPARE(errors.size(), 2);
  }

  // git difftool runs the configured command with the two files, or (-d) the two folders of a
  // dir-diff, whose work-tree files are symbolic links. The command here hands its arguments to
  // the window as the program's command line would, and holds git until the window has read them.
  void gitDifftoolHandsOverFilesAndFolders() {
    if (QStandardPaths::findExecutable("git").isEmpty()) QSKIP("git is not installed");
    testsupport::TTempDir dir;
    const fs::path repo = dir.Path() / "repo", handoff = dir.Path() / "args", done = dir.Path() / "done";
    dir.Write("repo/app/x.pbl.src/w_main.srw", "$PBExportHeader$w_main.srw\r\nforward\r\nend forward\r\n");
    dir.Write("repo/app/x.pbl.src/n_a.sru", "$PBExportHeader$n_a.sru\r\nx\r\n");
    const fs::path tool = dir.Write("tool.sh", "#!/bin/sh\nprintf '%s\\n%s\\n%s\\n' \"$PWD\" \"$1\" \"$2\" > \"" + handoff.string() +
                                                   ".tmp\" && mv \"" + handoff.string() + ".tmp\" \"" + handoff.string() +
                                                   "\"\nwhile [ ! -e \"" + done.string() + "\" ]; do sleep 0.05; done\nrm \"" +
                                                   done.string() + "\"\n");
    fs::permissions(tool, fs::perms::owner_all);
    auto start = [&](const QStringList& args) {
      auto* p = new QProcess(this);
      p->setWorkingDirectory(QString::fromStdString(repo.string()));
      p->start("git", QStringList{"-c", "user.name=t", "-c", "user.email=t@example.org", "-c",
                                  "difftool.quorvex.cmd=" + QString::fromStdString(tool.string()) + " \"$LOCAL\" \"$REMOTE\""} +
                          args);
      return p;
    };
    for (const QStringList& args : {QStringList{"init", "-q"}, QStringList{"add", "-A"}, QStringList{"commit", "-qm", "one"}}) {
      QProcess* p = start(args);
      QVERIFY(p->waitForFinished(20000) && p->exitCode() == 0);
    }
    dir.Write("repo/app/x.pbl.src/w_main.srw", "$PBExportHeader$w_main.srw\r\nforward\r\nchanged\r\nend forward\r\n");
    auto handedOver = [&] {
      if (!QTest::qWaitFor([&] { return fs::exists(handoff); }, 20000)) return QStringList();
      std::ifstream in(handoff);
      // git runs the tool in the work tree's top folder and may name a work-tree file relative to it.
      std::string cwd, a, b;
      std::getline(in, cwd);
      std::getline(in, a);
      std::getline(in, b);
      fs::remove(handoff);
      return QStringList{QString::fromStdString((fs::path(cwd) / a).string()), QString::fromStdString((fs::path(cwd) / b).string())};
    };
    // Two files: the source view.
    QProcess* run = start({"difftool", "--tool=quorvex", "--no-prompt", "HEAD", "--", "app/x.pbl.src/w_main.srw"});
    QStringList errors;
    const auto noteError = [&](const std::exception& e) { errors << QString::fromStdString(e.what()); };
    TMainForm& f = NewForm();
    f.OnShowError = noteError;
    const QStringList files = handedOver();
    QCOMPARE(files.size(), 2);
    f.OpenArguments(files);
    QTRY_VERIFY(f.FilesFrame->ResultPresent);
    QCOMPARE(f.FilesFrame->Counts.Added, 1);
    std::ofstream(done).put('\n');
    QVERIFY(run->waitForFinished(20000));
    // Two folders, the work tree's side as links: the library list with the changed library.
    run = start({"difftool", "-d", "--tool=quorvex", "--no-prompt", "HEAD"});
    TMainForm& g = NewForm();  // f is gone from here on
    g.OnShowError = noteError;
    const QStringList folders = handedOver();
    QCOMPARE(folders.size(), 2);
    QVERIFY(fs::is_symlink(folders[1].toStdString() + "/app/x.pbl.src/w_main.srw"));
    g.OpenArguments(folders);
    QTRY_COMPARE(g.LibFrame->Model().LibraryCounts().Count2, 1);
    QCOMPARE(g.LibFrame->Model().LibraryCounts().Count1, 1);
    QCOMPARE(g.LibFrame->Model().LibraryCounts().Changed, 1);
    std::ofstream(done).put('\n');
    QVERIFY(run->waitForFinished(20000));
    QCOMPARE(run->exitCode(), 0);
    QCOMPARE(errors, QStringList());
  }

  // git mergetool with the documented set-up, the program replaced by a script that hands the
  // files over and exits with the status the window gives: a merge closed unsaved fails and
  // leaves the file unmerged; one settled by keys and saved is taken as resolved.
  void gitMergetoolTakesTheSavedResultAndTheExitStatus() {
    if (QStandardPaths::findExecutable("git").isEmpty()) QSKIP("git is not installed");
    testsupport::TTempDir dir;
    const fs::path repo = dir.Path() / "repo", handoff = dir.Path() / "args", done = dir.Path() / "done";
    const std::string head = "$PBExportHeader$n_a.sru\r\nglobal type n_a from nonvisualobject\r\nend type\r\n\r\n"
                             "event constructor;\r\nlong ll_x = ";
    dir.Write("repo/n_a.sru", head + "1\r\nend event\r\n");
    const fs::path tool = dir.Write("tool.sh", "#!/bin/sh\nprintf '%s\\n%s\\n%s\\n%s\\n%s\\n' \"$PWD\" \"$1\" \"$2\" \"$3\" \"$4\" > \"" +
                                                   handoff.string() + ".tmp\" && mv \"" + handoff.string() + ".tmp\" \"" +
                                                   handoff.string() + "\"\nwhile [ ! -e \"" + done.string() +
                                                   "\" ]; do sleep 0.05; done\nstatus=$(cat \"" + done.string() + "\")\nrm \"" +
                                                   done.string() + "\"\nexit $status\n");
    fs::permissions(tool, fs::perms::owner_all);
    auto git = [&](const QStringList& args) {
      auto* p = new QProcess(this);
      p->setWorkingDirectory(QString::fromStdString(repo.string()));
      p->start("git", QStringList{"-c", "user.name=t", "-c", "user.email=t@example.org", "-c", "init.defaultBranch=main",
                                  "-c", "mergetool.quorvex.cmd=" + QString::fromStdString(tool.string()) +
                                            " \"$MERGED\" \"$LOCAL\" \"$BASE\" \"$REMOTE\"",
                                  "-c", "mergetool.quorvex.trustExitCode=true", "-c", "mergetool.keepBackup=false"} +
                          args);
      return p;
    };
    auto run = [&](const QStringList& args) {
      QProcess* p = git(args);
      return p->waitForFinished(20000) ? p->exitCode() : -1;
    };
    QCOMPARE(run({"init", "-q"}), 0);
    QCOMPARE(run({"add", "-A"}), 0);
    QCOMPARE(run({"commit", "-qm", "base"}), 0);
    QCOMPARE(run({"checkout", "-qb", "other"}), 0);
    dir.Write("repo/n_a.sru", head + "3\r\nend event\r\n");
    QCOMPARE(run({"commit", "-qam", "theirs"}), 0);
    QCOMPARE(run({"checkout", "-q", "main"}), 0);
    dir.Write("repo/n_a.sru", head + "2\r\nend event\r\n");
    QCOMPARE(run({"commit", "-qam", "ours"}), 0);
    QCOMPARE(run({"merge", "-q", "other"}), 1);
    auto handedOver = [&] {
      QStringList files;
      if (!QTest::qWaitFor([&] { return fs::exists(handoff); }, 20000)) return files;
      std::ifstream in(handoff);
      std::string cwd, file;
      std::getline(in, cwd);
      while (std::getline(in, file)) files << QString::fromStdString((fs::path(cwd) / file).string());
      fs::remove(handoff);
      return QStringList{"-o"} + files;
    };
    auto finish = [&](TMainForm& f) {
      std::ofstream(done.string() + ".tmp") << f.ExitStatus(0);
      fs::rename(done.string() + ".tmp", done);
    };
    for (const bool save : {false, true}) {
      QProcess* tool = git({"mergetool", "--tool=quorvex", "--no-prompt"});
      TMainForm& f = ShownForm();
      QStringList errors;
      f.OnShowError = [&](const std::exception& e) { errors << QString::fromStdString(e.what()); };
      const QStringList args = handedOver();
      QCOMPARE(args.size(), 5);
      f.OpenArguments(args);
      QTRY_VERIFY(f.MergeFrame->Loaded());
      QVERIFY(f.MergeFrame->isVisible());
      QCOMPARE(f.MergeFrame->Model().ConflictsLeft(), 1);
      if (save) {
        TCodeEdit* result = f.MergeFrame->ResultPane();
        QTest::keyClick(result->viewport(), Qt::Key_3, Qt::AltModifier);  // side 2
        QTest::keyClick(result->viewport(), Qt::Key_S, Qt::ControlModifier);
        QVERIFY(!f.MergeFrame->Edited());
      }
      finish(f);
      QVERIFY(tool->waitForFinished(20000));
      QCOMPARE(tool->exitCode() == 0, save);
      QCOMPARE(errors, QStringList());
      QVERIFY(CloseForm());
    }
    QCOMPARE(platform::ReadFileBytes(repo / "n_a.sru"), head + "3\r\nend event\r\n");
    QProcess* unmerged = git({"diff", "--name-only", "--diff-filter=U"});
    QVERIFY(unmerged->waitForFinished(20000));
    QCOMPARE(unmerged->readAllStandardOutput(), QByteArray());
  }

  // A merge that cannot start says why, naming the file, and its exit status is 1.
  void mergeArgumentsThatCannotBeMergedAreNamed() {
    testsupport::TTempDir dir;
    const QString a = QString::fromStdString(dir.Write("a.txt", "x\n").string()),
                  bin = QString::fromStdString(dir.Write("bin.txt", std::string("x\0y\n", 4)).string()),
                  out = QString::fromStdString((dir.Path() / "out.txt").string()),
                  missing = QString::fromStdString((dir.Path() / "missing.txt").string());
    const std::pair<QStringList, QString> cases[] = {
        {{"-o", out, a, missing, a}, "missing.txt: no such file"},
        {{"-o", out, a, a, bin}, "bin.txt: a binary file, not text"},
        {{"-o", out, a, a}, "Name three files to merge: -o MERGED FILE1 BASE FILE2."},
        {{a, a, a, "-o"}, "-o needs the merged file: -o MERGED FILE1 BASE FILE2."},
    };
    for (const auto& [args, message] : cases) {
      TMainForm& f = NewForm();
      QStringList errors;
      f.OnShowError = [&](const std::exception& e) { errors << QString::fromStdString(e.what()); };
      f.OpenArguments(args);
      QTRY_COMPARE(errors.size(), 1);
      QVERIFY2(errors[0].endsWith(message), qPrintable(errors[0]));
      QVERIFY(!f.MergeFrame->Loaded());
      QCOMPARE(f.ExitStatus(0), 1);
      QVERIFY(!QFile::exists(out));
      QVERIFY(CloseForm());
    }
  }

  void aNewCodePageReadsTheTextsAgain() {
    testsupport::TTempDir dir;
    const fs::path a = dir.Write("a.txt", "c\xA9 1997\r\n"), b = dir.Write("b.txt", "c\xA9 2003\r\n");
    TMainForm& f = NewForm();
    f.OpenArguments({QString::fromStdString(a.string()), QString::fromStdString(b.string())});
    QTRY_VERIFY(f.FilesFrame->ResultPresent);
    f.ChooseCodePage = [](int current) { return current == 936 ? 1252 : 0; };
    f.mnuCodePage->trigger();
    QCOMPARE(platform::AnsiCodePage(), 1252);
    // Read again in 1252: the byte A9 is the copyright sign, held in GB18030.
    QCOMPARE(f.FilesFrame->Text(compare::Side1).Line(0), std::string_view("c\x81\x30\x84\x38 1997"));
    QVERIFY(f.FilesFrame->ResultPresent);
    platform::SetAnsiCodePage(936);
    // An unknown number in the settings file reads as 936, and the status bar says so.
    QVERIFY(CloseForm());
    PutIni("[Options]\nCodePage=12345\n");
    TMainForm& g = NewForm();
    QCOMPARE(platform::AnsiCodePage(), 936);
    QVERIFY(g.StatusBar1->PanelText(7).contains("936"));
  }

  void settingsAreApplied() {
    PutIni("[options]\nBounds.Left=40\nBounds.Top=30\nBounds.Width=500\nBounds.Height=300\nAddColor=15781032\n"
           "ModColor=006FFB8A\nDelColor=$000000FF\nFont.Name=Liberation Mono\nFont.size=12\nHorizontal=2\n"
           "Folder.1=/data/side1/\nFolder.2=\nMine=kept\n");
    TMainForm& f = NewForm();
    QCOMPARE(f.pos(), QPoint(40, 30));
    QCOMPARE(f.size(), QSize(500, 300));
    QCOMPARE(AddColor, TColor(15781032));
    QCOMPARE(ModColor, DefaultModColor);
    QCOMPARE(DelColor, TColor(0xFF));
    QCOMPARE(f.FilesFrame->PaneFont.family(), QString("Liberation Mono"));
    QCOMPARE(f.FilesFrame->PaneFont.pointSize(), 12);
    QVERIFY(f.mnuHorzSplit->isChecked());
    QCOMPARE(QString::fromStdString(Folder1.string()), QString("/data/side1/"));
    QVERIFY(Folder2.empty());
    QVERIFY(CloseForm());
    std::string text = ReadAll(Ini());
    QVERIFY(text.find("Mine=kept\n") != std::string::npos);
    QVERIFY(text.find("AddColor=$00F0CCA8\n") != std::string::npos);
    QVERIFY(text.find("Horizontal=1\n") != std::string::npos);
    QVERIFY(text.find("Folder.1=/data/side1/\n") != std::string::npos);
  }

  void horizontalWordIsFalse() {
    PutIni("[Options]\nHorizontal=true\n");
    QVERIFY(!NewForm().mnuHorzSplit->isChecked());
  }

  void invalidBoundsAreCentred_data() {
    QTest::addColumn<QString>("bounds");
    QRect s = QGuiApplication::primaryScreen()->geometry();
    auto row = [](const char* name, int l, int t, int w, int h) {
      QTest::newRow(name) << QString("Bounds.Left=%1\nBounds.Top=%2\nBounds.Width=%3\nBounds.Height=%4\n").arg(l).arg(t).arg(w).arg(h);
    };
    row("zero width", 10, 10, 0, 300);
    row("zero height", 10, 10, 500, 0);
    row("negative width", 10, 10, -5, 300);
    row("left at screen width", s.right() + 1, 10, 500, 300);
    row("top at screen height", 10, s.bottom() + 1, 500, 300);
    row("entirely left", -500, 10, 500, 300);
    row("entirely above", 10, -300, 500, 300);
  }
  void invalidBoundsAreCentred() {
    QFETCH(QString, bounds);
    PutIni("[Options]\n" + bounds.toStdString());
    TMainForm& f = NewForm();
    QCOMPARE(f.size(), QSize(645, 329));
    QCOMPARE(f.pos(), QPoint(Screen().x() + (Screen().width() - 645) / 2, Screen().y() + (Screen().height() - 329) / 2));
  }

  void partlyVisibleBoundsAreKept() {
    PutIni("[Options]\nBounds.Left=-400\nBounds.Top=-100\nBounds.Width=500\nBounds.Height=300\n");
    TMainForm& f = NewForm();
    QCOMPARE(f.pos(), QPoint(-400, -100));
  }

  void closingMaximisedKeepsNormalBounds() {
    PutIni("[Options]\nBounds.Left=40\nBounds.Top=30\nBounds.Width=500\nBounds.Height=300\n");
    TMainForm& f = ShownForm();
    f.showMaximized();
    QTRY_VERIFY(f.isMaximized());
    AddColor = 0x010203;
    QVERIFY(CloseForm());
    std::string text = ReadAll(Ini());
    QVERIFY(text.find("Bounds.Left=40\nBounds.Top=30\nBounds.Width=500\nBounds.Height=300\n") != std::string::npos);
    QVERIFY(text.find("AddColor=$00010203\n") != std::string::npos);
    TMainForm& again = NewForm();
    QCOMPARE(again.pos(), QPoint(40, 30));
    QCOMPARE(again.size(), QSize(500, 300));
    QVERIFY(!again.isMaximized());
  }

  // Closing the window, the exit command (Ctrl+Q) and a new pair of texts ask for each edited
  // side, by its file's name: save, discard or cancel. Cancel keeps everything as it was.
  void editedPanesAreAskedAboutBeforeTheyGo() {
    testsupport::TTempDir dir;
    const fs::path a = dir.Write("a.txt", "1\r\n2\r\n"), b = dir.Write("b.txt", "1\r\n3\r\n");
    TMainForm& f = ShownForm();
    QCOMPARE(f.mnuExit->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    f.OpenArguments({QString::fromStdString(a.string()), QString::fromStdString(b.string())});
    QTRY_VERIFY(f.FilesFrame->ResultPresent);
    TCodeEdit* right = f.FilesFrame->Pane(compare::Side2);
    right->MoveCaretTo(TPoint{0, 1});
    right->InsertText("x");
    QStringList asked;
    views::TEditsChoice answer = views::TEditsChoice::Cancel;
    f.OnAskSaveEdits = [&](const QString& text) {
      asked << text;
      return answer;
    };
    // Cancel: the window stays, the edit too; the object list's texts do not replace the panes.
    QTest::keyClick(right, Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(f.isVisible());
    QCOMPARE(asked.size(), 1);
    QVERIFY(asked[0].startsWith(QString::fromStdString(b.string())));
    f.CompareSources({views::TSourceText{"lib@x", {"p"}}, views::TSourceText{"lib@x", {"q"}}});
    QCOMPARE(asked.size(), 2);
    QCOMPARE(right->Lines().ToVector(), std::vector<std::string>({"1", "x3"}));
    // Save: written to its file, then the window closes without asking again.
    answer = views::TEditsChoice::Save;
    QVERIFY(CloseForm());
    QCOMPARE(asked.size(), 3);
    QCOMPARE(ReadAll(b), std::string("1\r\nx3\r\n"));
    QCOMPARE(ReadAll(a), std::string("1\r\n2\r\n"));
  }

  // The questions as the user sees them: plain text, a question icon, the answers' buttons.
  void theEditQuestionsAreQuestions() {
    TMainForm& f = ShownForm();
    const QString text = "<b>a.txt</b>";
    WithModal([&] { QCOMPARE(f.OnAskSaveEdits(text), views::TEditsChoice::Cancel); }, [&](QWidget* w) {
      auto* box = qobject_cast<QMessageBox*>(w);
      QVERIFY(box);
      QCOMPARE(box->textFormat(), Qt::PlainText);
      QCOMPARE(box->icon(), QMessageBox::Question);
      QCOMPARE(box->standardButtons(), QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
      box->button(QMessageBox::Cancel)->click();
    });
    WithModal([&] { QVERIFY(f.OnAskChoice(text, "reload", "keep")); }, [&](QWidget* w) {
      auto* box = qobject_cast<QMessageBox*>(w);
      QVERIFY(box);
      QCOMPARE(box->icon(), QMessageBox::Question);
      QCOMPARE(box->text(), text);
      QCOMPARE(box->buttons().size(), 2);
      static_cast<QPushButton*>(box->defaultButton())->click();
      QCOMPARE(box->defaultButton()->text(), QString("reload"));
    });
  }

  // An option ticked with the lists open classifies them again at once, keeps the selected row,
  // and is back at the next start.
  void optionsApplyAtOnceAndAreRemembered() {
    testsupport::TTempDir dir;
    auto lib = [](const char* text, std::int32_t time) {
      testsupport::TLibWriter w(false);
      w.AddNode({{"w_a.srw", text, time}, {"w_b.srw", "same\r\n", 10}});
      return w.Build();
    };
    const fs::path one = dir.Write("one/x.pbl", lib("value = 1\r\n", 10)),
                   two = dir.Write("two/x.pbl", lib("VALUE = 1\r\n", 20));
    TMainForm& f = ShownForm();
    f.LibFrame->AddLibraries({one}, compare::Side1);
    f.LibFrame->AddLibraries({two}, compare::Side2);
    f.LibFrame->lvLibs->topLevelItem(0)->setSelected(true);
    f.LibFrame->OpenLibraryPair();
    QCOMPARE(f.LibFrame->Model().ObjectCounts().Changed, 1);
    QTreeWidgetItem* b = nullptr;
    for (int i = 0; i < f.LibFrame->lvObjs->topLevelItemCount(); ++i)
      if (f.LibFrame->lvObjs->topLevelItem(i)->text(0).startsWith("w_b")) b = f.LibFrame->lvObjs->topLevelItem(i);
    QVERIFY(b);
    b->setSelected(true);
    f.mnuIgnoreCase->trigger();
    QCOMPARE(f.LibFrame->Model().ObjectCounts().Changed, 0);
    QVERIFY(f.LibFrame->lvObjs->Selected());
    QVERIFY(f.LibFrame->lvObjs->Selected()->text(0).startsWith("w_b"));
    QCOMPARE(f.LibFrame->lvObjs->selectedItems().size(), 1);
    f.mnuBySection->trigger();
    QVERIFY(CloseForm());
    QVERIFY(ReadAll(Ini()).find("IgnoreCase=1\n") != std::string::npos);
    TMainForm& g = NewForm();
    QVERIFY(g.mnuIgnoreCase->isChecked() && g.mnuBySection->isChecked());
    QVERIFY(!g.mnuIgnoreBlanks->isChecked() && !g.mnuShowDiffsOnly->isChecked());
    QVERIFY(g.Options().Compare.IgnoreCase && g.Options().Compare.BySection);
  }

  // The older source-control layout: the exports beside a library file are read, and the file is
  // said to differ from them; the option reads the library files instead, at once and next time.
  void libraryFilesBesideTheirExports() {
    testsupport::TTempDir dir;
    testsupport::TLibWriter w(false);
    w.AddNode({{"w_a.srw", "a\r\n", 10}});
    for (const char* side : {"one", "two"}) {
      dir.Write(std::string(side) + "/app.pbl", w.Build());
      dir.Write(std::string(side) + "/app.pbg", "@begin Libraries\r\n \"app.pbl\" \"\";\r\n@end;\r\n");
    }
    dir.Write("one/w_a.srw", "$PBExportHeader$w_a.srw\r\na\r\n");
    dir.Write("two/w_a.srw", "$PBExportHeader$w_a.srw\r\nb\r\n");
    TMainForm& f = NewForm();
    QStringList told;
    f.OnShowInformation = [&](const QString& text) { told << text; };
    f.OpenArguments({QString::fromStdString((dir.Path() / "one").string()), QString::fromStdString((dir.Path() / "two").string())});
    QTRY_COMPARE(f.LibFrame->lvLibs->topLevelItemCount(), 1);
    QCOMPARE(f.LibFrame->lvLibs->topLevelItem(0)->text(1), QString::fromUtf8("更改"));
    QCOMPARE(told, QStringList{QString::fromStdString((dir.Path() / "two").string()) + ": app.pbl and its exports in this folder differ in 1 object"});
    f.mnuLibraryFiles->trigger();
    QCOMPARE(f.LibFrame->lvLibs->topLevelItemCount(), 1);
    QCOMPARE(f.LibFrame->lvLibs->topLevelItem(0)->text(1), QString::fromUtf8("相同"));
    QVERIFY(CloseForm());
    QVERIFY(NewForm().mnuLibraryFiles->isChecked());
  }

  void messageBoxesShowNamesAsTheyAre() {
    TMainForm& f = ShownForm();
    const QString name = "<h2>Click OK to delete your work</h2><img src=x>.pbl";
    const std::vector<std::function<void()>> shows{
        [&] { f.OnShowInformation(name + " does not exist"); },
        [&] { f.OnShowError(std::runtime_error(name.toStdString())); },
        [&] { f.OnAskYesNo(name + "?"); }};
    for (const auto& show : shows) {
      WithModal(show, [&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        QVERIFY(box);
        QCOMPARE(box->textFormat(), Qt::PlainText);
        QVERIFY(box->text().startsWith(name));
        box->reject();
      });
    }
  }

  // In English no menu, menu item, toolbar tip, list column or find dialog text is Chinese; in
  // Chinese the find dialog is. The language chosen in the menu is kept for the next start.
  void languages() {
    // The setting wins; without one, every zh locale is Chinese and any other English.
    QCOMPARE(ResolveLanguage("en", "zh_CN"), std::string("en"));
    QCOMPARE(ResolveLanguage("zh", "de_DE"), std::string("zh"));
    QCOMPARE(ResolveLanguage("", "zh_TW"), std::string("zh"));
    QCOMPARE(ResolveLanguage("fr", "zh_CN"), std::string("zh"));
    QCOMPARE(ResolveLanguage("", "en_US"), std::string("en"));
    QCOMPARE(ResolveLanguage("", "C"), std::string("en"));
    struct TRemoveLanguage {
      ~TRemoveLanguage() { RemoveLanguage(); }
    } removeAtEnd;
    auto chinese = [](const QString& s) {
      return std::any_of(s.begin(), s.end(), [](QChar c) { return c.unicode() >= 0x2E80 && c.unicode() <= 0xFFEF; });
    };
    QVERIFY(InstallLanguage("en"));
    TMainForm& f = NewForm();
    QStringList texts;
    for (QMenu* m : f.findChildren<QMenu*>()) {
      texts << m->title();
      for (QAction* a : m->actions()) texts << a->text();
    }
    for (QAction* a : f.ToolBar1->actions()) texts << a->toolTip();
    for (QTreeWidget* list :
         {static_cast<QTreeWidget*>(f.LibFrame->lvLibs), static_cast<QTreeWidget*>(f.LibFrame->lvObjs)})
      for (int i = 0; i < list->columnCount(); ++i) texts << list->headerItem()->text(i);
    for (int i = 0; i < f.StatusBar1->PanelCount(); ++i) texts << f.StatusBar1->PanelText(i);
    {
      TFindForm find(&f);
      find.ApplyFindLayout();
      texts << find.windowTitle();
      for (QWidget* w : find.findChildren<QWidget*>())
        if (auto* b = qobject_cast<QAbstractButton*>(w)) texts << b->text();
      QCOMPARE(find.windowTitle(), QString("Find text"));
    }
    texts.removeIf([&](const QString& s) { return !chinese(s); });
    QVERIFY2(texts.isEmpty(), qPrintable(texts.join(" | ")));
    QString told;
    f.OnShowInformation = [&told](const QString& text) { told = text; };
    f.mnuLanguageZh->trigger();
    QVERIFY(!told.isEmpty() && !chinese(told));
    QVERIFY(CloseForm());
    QVERIFY(ReadAll(Ini()).find("\nLanguage=zh\n") != std::string::npos);

    QVERIFY(InstallLanguage("zh"));
    TMainForm& zh = NewForm();
    QVERIFY(zh.mnuLanguageZh->isChecked());
    TFindForm find(&zh);
    find.ApplyFindLayout();
    QVERIFY(chinese(find.windowTitle()));
    QVERIFY(chinese(find.btnCancel->text()));
  }

  void unwritableSettingsKeepWindowOpen() {
    TMainForm& f = ShownForm();
    std::filesystem::create_directory(Ini());  // a folder stands where the file should be
    QString shown;
    WithModal([&] { QVERIFY(!form_->close()); }, [&](QWidget* w) {
      auto* box = qobject_cast<QMessageBox*>(w);
      QVERIFY(box);
      shown = box->windowTitle() + "|" + box->text();
      QCOMPARE(box->icon(), QMessageBox::Critical);
      box->accept();
    });
    QCOMPARE(shown, "Quorvex|Unable to write to " + QString::fromStdString(std::filesystem::absolute(Ini()).string()) + ".");
    QVERIFY(f.isVisible());
    std::filesystem::remove_all(Ini());
    QVERIFY(CloseForm());
    QVERIFY(std::filesystem::is_regular_file(Ini()));
  }
};

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  app.setApplicationName("Quorvex");
  MainFormTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "MainFormTest.moc"
