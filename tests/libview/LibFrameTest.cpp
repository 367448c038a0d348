// The library frame on the offscreen platform, in a fake view host's window: adding libraries to both sides, the pairing and
// its progress, clearing, the path history, the object list with its order, icons and colours,
// the double-clicks down to the files frame, libraries that fail or change under the frame, and
// the real libraries of ../shared/testdata.
#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QListView>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <fstream>
#include <memory>

#include <QVBoxLayout>

#include "FakeHost.h"
#include "LibWriter.h"
#include "editor/QtColor.h"
#include "libview/LibView.h"

using editor::ToQColor;
using libview::TLibFrame;
using libview::TListView;

namespace fs = std::filesystem;

using compare::Side1;
using compare::Side2;
using views::TCommandId;
using views::TSideCommand;
using views::TViewKind;

using testsupport::TFakeEntry;
using testsupport::TLibWriter;
using testsupport::TTempDir;

namespace {

const QString kSame = QString::fromUtf8("相同");
const QString kAdded = QString::fromUtf8("增加");
const QString kDeleted = QString::fromUtf8("减少");
const QString kChanged = QString::fromUtf8("更改");

std::string Source(const std::string& name, int lines, const std::string& extra = {}) {
  std::string text = "global type " + name + " from window\r\n";
  for (int i = 0; i < lines; ++i) text += "integer li_" + std::to_string(i) + " = " + std::to_string(i) + "\r\n";
  return text + extra + "end type\r\n";
}

std::string Library(const std::vector<TFakeEntry>& entries, bool unicode = false) {
  TLibWriter w(unicode);
  w.AddNode(entries);
  return w.Build();
}

void SetTime(const fs::path& p, int secondsAgo) {
  fs::last_write_time(p, fs::file_time_type::clock::now() - std::chrono::seconds(secondsAgo));
}

QStringList Column(const QTreeWidget& list, int c) {
  QStringList out;
  for (int i = 0; i < list.topLevelItemCount(); ++i) out << list.topLevelItem(i)->text(c);
  return out;
}

}  // namespace

class LibFrameTest : public QObject {
  Q_OBJECT

  std::unique_ptr<QTemporaryDir> exeDir_;
  std::unique_ptr<testsupport::TFakeHost> host_;
  TLibFrame* frame_ = nullptr;
  QStringList chosen_;  // what the open dialog answers
  int dialogs_ = 0;

  testsupport::TFakeHost& Host() { return *host_; }
  TLibFrame& Frame() { return *frame_; }
  QStringList& Infos() { return host_->Infos; }
  QStringList& Errors() { return host_->Errors; }

  // A fresh frame in a fresh host, whose open dialog answers without showing itself. Its views are
  // activated as the window activates them when it switches.
  void NewFrame() {
    QStringList infos, errors;
    if (host_) {
      infos = host_->Infos;
      errors = host_->Errors;
    }
    host_.reset();
    host_ = std::make_unique<testsupport::TFakeHost>();
    host_->Infos = infos;
    host_->Errors = errors;
    host_->StateDir = exeDir_->path().toStdString();
    auto* layout = new QVBoxLayout(&host_->Window);
    layout->setContentsMargins(0, 0, 0, 0);
    frame_ = new TLibFrame(*host_, &host_->Window);
    layout->addWidget(frame_);
    frame_->ExecuteOpenDialog = [this] {
      ++dialogs_;
      return chosen_;
    };
    frame_->InitFrame();
    frame_->ActivateLibList();
    host_->OnSwitch = [this](TViewKind view) {
      if (view == TViewKind::Libraries) frame_->ActivateLibList();
      if (view == TViewKind::Objects) frame_->ActivateObjList();
    };
  }

  void Add(std::vector<fs::path> files, bool side1) { Frame().AddLibraries(files, side1 ? Side1 : Side2); }

  QString RowResult(const QString& caption) {
    for (int i = 0; i < Frame().lvLibs->topLevelItemCount(); ++i)
      if (Frame().lvLibs->topLevelItem(i)->text(0) == caption) return Frame().lvLibs->topLevelItem(i)->text(1);
    return "(no row)";
  }

  void SelectRow(QTreeWidget& list, int row) {
    list.clearSelection();
    list.topLevelItem(row)->setSelected(true);
  }

 private slots:
  void init() {
    exeDir_ = std::make_unique<QTemporaryDir>();
    host_.reset();
    chosen_.clear();
    dialogs_ = 0;
    NewFrame();
  }
  void cleanup() {
    host_.reset();
  }

  // ---- adding libraries -------------------------------------------------------------------

  void duplicatesAreDroppedOnSide1AndReportedOnSide2() {
    TTempDir dir;
    const std::string lib = Library({{"w_a.srw", Source("w_a", 3), 10}});
    fs::path a = dir.Write("one/a.pbl", lib), b = dir.Write("one/b.pbl", lib), a2 = dir.Write("two/A.PBL", lib);
    Add({a, b}, true);
    Add({a2}, true);  // same file name, another folder and case: silently left out
    QCOMPARE(Frame().Model().LibraryCounts().Count1, 2);
    QVERIFY(Infos().isEmpty());
    QCOMPARE(Host().Folders[Side1], dir.Path() / "two" / "");

    Add({a, a2, b}, false);  // a and A.PBL are one name: the second is reported
    QCOMPARE(Infos(), QStringList({QString::fromStdString(a2.string() + " left out: A.PBL is " + a.string())}));
    QCOMPARE(Frame().Model().LibraryCounts().Count2, 2);
    Add({b}, false);
    QCOMPARE(Infos().size(), 2);
    QCOMPARE(Infos().last(), QString("b.pbl already in Destination"));
    QCOMPARE(Frame().lvLibs->topLevelItemCount(), 2);

    // A missing file is told; the others of the selection are added.
    Infos().clear();
    const fs::path none = dir.Path() / "none.pbl";
    Add({none, dir.Write("c.pbl", lib)}, true);
    QCOMPARE(Infos(), QStringList({QString::fromStdString(none.string()) + " does not exist"}));
    QCOMPARE(Column(*Frame().lvLibs, 0), QStringList({"a.pbl", "b.pbl", "c.pbl"}));
    QCOMPARE(Column(*Frame().lvLibs, 1), QStringList({kSame, kSame, kDeleted}));
  }

  void openCommandsUseTheDialogAndItsFileType() {
    TTempDir dir;
    const std::string lib = Library({{"w_a.srw", Source("w_a", 3), 10}});
    dir.Write("libs/x.pbl", lib);
    dir.Write("libs/y.pbl", lib);
    std::ofstream(dir.Path() / "app.pbt", std::ios::binary) << "Save Format v3.0(19990112)\r\n"
                                                               "LibList \"libs\\\\x.pbl;libs\\\\y.pbl\";\r\n";
    Host().Folders[Side2] = dir.Path() / "";
    Host().Trigger(TCommandId(TSideCommand::Open, Side2));  // the library list is active: several files, three types
    QCOMPARE(dialogs_, 1);
    QFileDialog& d = *Frame().OpenDialog1;
    QCOMPARE(d.fileMode(), QFileDialog::ExistingFiles);
    QCOMPARE(d.nameFilters(), QStringList({"PowerBuilder Library Files(*.pbl)", "PowerBuilder Target(*.pbt)",
                                           "PowerBuilder WorkSpace(*.pbw)"}));
    QCOMPARE(fs::path(d.directory().absolutePath().toStdString()) / "", Host().Folders[Side2]);
    QCOMPARE(Frame().Model().LibraryCounts().Count2, 0);  // cancelled

    Frame().OpenDialog1TypeChange(2);
    chosen_ = {QString::fromStdString((dir.Path() / "app.pbt").string())};
    Host().Trigger(TCommandId(TSideCommand::Open, Side2));
    QCOMPARE(Frame().Model().LibraryCounts().Count2, 2);
    QCOMPARE(Column(*Frame().lvLibs, 0), QStringList({"x.pbl", "y.pbl"}));
    QCOMPARE(Column(*Frame().lvLibs, 1), QStringList({kAdded, kAdded}));
    QCOMPARE(d.selectedNameFilter(), QString("PowerBuilder Target(*.pbt)"));

    // The object list opens one library at a time.
    Host().SwitchTo(TViewKind::Objects);
    QCOMPARE(Host().Caption(TCommandId(TSideCommand::Open, Side1)), QString::fromUtf8("打开一个PB库文件 1"));
    chosen_.clear();
    Host().Trigger(TCommandId(TSideCommand::Open, Side1));
    QCOMPARE(d.fileMode(), QFileDialog::ExistingFile);
    QCOMPARE(d.nameFilters(), QStringList({"PowerBuilder Library Files(*.pbl)"}));
    QCOMPARE(Frame().FilterIndex(), 2);
  }

  void theOpenDialogStartsEmptyAndSeesUpperCaseLibraries() {
    TTempDir dir;
    dir.Write("libs/a.pbl", "x");
    dir.Write("libs/B.PBL", "x");
    dir.Write("libs/c.txt", "x");
    Host().Folders[Side1] = Host().Folders[Side2] = dir.Path() / "libs" / "";
    QFileDialog& d = *Frame().OpenDialog1;
    QStringList names;
    QString typed;
    Frame().ExecuteOpenDialog = [&]() -> QStringList {
      typed = d.findChild<QLineEdit*>("fileNameEdit")->text();
      auto* view = d.findChild<QListView*>("listView");
      // The listing fills in the background; what it holds is checked below.
      static_cast<void>(QTest::qWaitFor([&] { return view->model()->rowCount(view->rootIndex()) >= 2; }, 3000));
      names.clear();
      for (int i = 0; i < view->model()->rowCount(view->rootIndex()); ++i)
        names << view->model()->index(i, 0, view->rootIndex()).data().toString();
      d.selectFile("a.pbl");  // what the user picked
      return QStringList();
    };
    Host().Trigger(TCommandId(TSideCommand::Open, Side1));
    names.sort();
    QCOMPARE(names, QStringList({"B.PBL", "a.pbl"}));
    Host().Trigger(TCommandId(TSideCommand::Open, Side2));
    QCOMPARE(typed, QString());
  }

  void aWorkspaceAddAsksForOneOkOnly() {
    TTempDir dir;
    const std::string lib = Library({{"w_a.srw", Source("w_a", 3), 10}});
    dir.Write("ws/a.pbl", lib);
    dir.Write("ws/b.pbl", lib);
    Add({dir.Write("other/b.pbl", lib)}, false);
    dir.Write("ws/t1.pbt", "LibList \"a.pbl;b.pbl;gone1.pbl\";\r\n");
    dir.Write("ws/t2.pbt", "LibList \"a.pbl;gone1.pbl;gone2.pbl\";\r\n");
    Frame().OpenDialog1TypeChange(3);
    Add({dir.Write("ws/w.pbw", "@begin Targets\n 0 \"t1.pbt\";\n 1 \"t2.pbt\";\n@end;\n")}, false);
    QCOMPARE(Infos().size(), 1);
    const QStringList lines = Infos()[0].split('\n');
    QCOMPARE(lines.first(), QString("2 do not exist, 1 already in Destination:"));
    QCOMPARE(lines.size(), 4);  // each missing library once, the shared a.pbl merged silently
    QVERIFY(lines.last() == "b.pbl already in Destination");
    QCOMPARE(Frame().Model().LibraryCounts().Count2, 2);
  }

  void pathsAreShownWithoutDotDotParts() {
    TTempDir dir;
    const fs::path lib = dir.Write("libs/x.pbl", Library({{"w_a.srw", Source("w_a", 3), 10}}));
    fs::create_directories(dir.Path() / "app");
    std::ofstream(dir.Path() / "app" / "app.pbt", std::ios::binary)
        << "LibList \"..\\\\libs\\\\x.pbl;..\\\\libs\\\\none.pbl\";\r\n";
    Frame().OpenDialog1TypeChange(2);
    Add({dir.Path() / "app" / "app.pbt"}, true);
    QCOMPARE(Infos(), QStringList({QString::fromStdString((dir.Path() / "libs" / "none.pbl").string()) +
                                   " does not exist"}));
    SelectRow(*Frame().lvLibs, 0);
    QCOMPARE(Frame().cbOpen[Side1]->currentText(), QString::fromStdString(lib.string()));
  }

  void foldersAndGitRevisionsAreSidesToo() {
    TTempDir dir;
    const fs::path repo = dir.Path() / "repo";
    dir.Write("repo/ws/app.pbl.src/w_a.srw", "$PBExportHeader$w_a.srw\r\nold\r\n");
    auto git = [&](const std::string& args) {
      const std::string cmd = "git -C '" + repo.string() + "' -c user.name=t -c user.email=t@t " + args + " >/dev/null 2>&1";
      return std::system(cmd.c_str());
    };
    if (git("init -q") != 0) QSKIP("git is not installed");
    QCOMPARE(git("add -A") + git("commit -q -m one"), 0);
    dir.Write("repo/ws/app.pbl.src/w_a.srw", "$PBExportHeader$w_a.srw\r\nnew\r\n");
    Frame().ChooseFolder = [&](compare::TSide) { return QString::fromStdString((repo / "ws" / "app.pbl.src").string()); };
    Frame().AskGitSide = [&](compare::TSide) {
      return std::optional<TLibFrame::TGitSide>({QString::fromStdString(repo.string()), "HEAD", "ws/app.pbl.src"});
    };
    Frame().tbFolder[Side1]->click();
    Host().Trigger(TCommandId(TSideCommand::AddRevision, Side2));
    QVERIFY2(Errors().isEmpty() && Infos().isEmpty(), qPrintable((Errors() + Infos()).join('\n')));
    QCOMPARE(Column(*Frame().lvLibs, 0), QStringList({"app.pbl"}));
    QCOMPARE(Column(*Frame().lvLibs, 1), QStringList({kChanged}));
    QCOMPARE(TListView::RowImage(*Frame().lvLibs->topLevelItem(0)), 14);  // a folder of exports
    // Kept with the repository it is a revision of, and found again from there.
    const std::vector<fs::path> two = Frame().SideFiles(Side2);
    QCOMPARE(two.size(), std::size_t(1));
    QCOMPARE(two[0].string(), "git:HEAD:ws/app.pbl.src|" + repo.string());
    const std::array<std::vector<fs::path>, compare::SideCount> stored{Frame().SideFiles(Side1), two};
    NewFrame();
    Frame().RestoreSides(stored);
    QCOMPARE(Column(*Frame().lvLibs, 1), QStringList({kChanged}));
    QVERIFY(Errors().isEmpty() && Infos().isEmpty());
  }

  // The object list's context menu copies an object between two folders of exports (asking
  // before it replaces a file) and deletes one (asking first); its items say why they are off
  // where a side is a library file.
  void objectsAreCopiedAndDeletedBetweenFolders() {
    TTempDir dir;
    auto exportOf = [](const std::string& name, const std::string& body) {
      return "\xEF\xBB\xBF$PBExportHeader$" + name + ".srw\r\nglobal type " + name + " from window\r\n" + body +
             "\r\nend type\r\n";
    };
    const fs::path f1 = dir.Write("one/app.pbl.src/w_a.srw", exportOf("w_a", "int a1")).parent_path();
    dir.Write("one/app.pbl.src/w_b.srw", exportOf("w_b", "int b"));
    const fs::path f2 = dir.Write("two/app.pbl.src/w_a.srw", exportOf("w_a", "int a2")).parent_path();
    dir.Write("two/app.pbl.src/w_c.srw", exportOf("w_c", "int c"));
    Add({f1}, true);
    Add({f2}, false);
    SelectRow(*Frame().lvLibs, 0);
    Frame().lvLibsDblClick();
    QCOMPARE(Column(*Frame().lvObjs, 0), QStringList({"w_a", "w_b", "w_c"}));
    auto item = [&](const char* name) { return Frame().ObjectMenu()->findChild<QAction*>(name); };
    auto select = [&](const QString& name) {
      const int row = Column(*Frame().lvObjs, 0).indexOf(name);
      QVERIFY(row >= 0);
      SelectRow(*Frame().lvObjs, row);
    };
    struct TStep {
      const char* Object;
      const char* Item;
      bool Answer;
      int Questions;        // asked by this step
      QStringList Results;  // the result column after it, by row
      const char* File;     // what the file the step wrote or deleted holds after it ("" gone)
      QString Selected;     // the row selected after it
    };
    // An object the other side lacks is not copied from there.
    select("w_b");
    QVERIFY(!item("mnuCopyLeft")->isEnabled());
    QVERIFY(Host().Status.contains(QString::fromUtf8("右侧没有这个对象")));
    const std::string a2 = exportOf("w_a", "int a2");
    const TStep steps[] = {
        {"w_b", "mnuCopyRight", true, 0, {kChanged, kSame, kAdded}, "two/app.pbl.src/w_b.srw", "w_b"},
        {"w_a", "mnuCopyLeft", false, 1, {kChanged, kSame, kAdded}, "one/app.pbl.src/w_a.srw", "w_a"},
        {"w_a", "mnuCopyLeft", true, 1, {kSame, kSame, kAdded}, "one/app.pbl.src/w_a.srw", "w_a"},
        {"w_c", "mnuDeleteRight", false, 1, {kSame, kSame, kAdded}, "two/app.pbl.src/w_c.srw", "w_c"},
        {"w_c", "mnuDeleteRight", true, 1, {kSame, kSame}, "two/app.pbl.src/w_c.srw", ""},
    };
    const std::string expected[] = {exportOf("w_b", "int b"), exportOf("w_a", "int a1"), a2, exportOf("w_c", "int c"),
                                    ""};
    for (std::size_t i = 0; i < std::size(steps); ++i) {
      const TStep& s = steps[i];
      select(s.Object);
      QAction* a = item(s.Item);
      QVERIFY2(a && a->isEnabled(), s.Item);
      Host().Answer = s.Answer;
      const qsizetype asked = Host().Questions.size();
      a->trigger();
      QCOMPARE(Host().Questions.size() - asked, s.Questions);
      QCOMPARE(Column(*Frame().lvObjs, 1), s.Results);
      std::ifstream in(dir.Path() / s.File, std::ios::binary);
      QCOMPARE(std::string(std::istreambuf_iterator<char>(in), {}), expected[i]);
      const QList<QTreeWidgetItem*> selected = Frame().lvObjs->selectedItems();
      QCOMPARE(selected.isEmpty() ? QString() : selected.front()->text(0), s.Selected);
    }
    // Where a side is a library file, the items that would write it are off and say why.
    const fs::path pbl = dir.Write("lib/app.pbl", Library({{"w_b.srw", "int b\r\n", 10}}));
    Frame().OpenOneLibrary(pbl, Side2);
    select("w_b");
    for (const char* name : {"mnuCopyRight", "mnuDeleteRight"}) {
      QVERIFY2(!item(name)->isEnabled(), name);
      QVERIFY2(item(name)->toolTip().contains(QString::fromUtf8("PB库文件")), name);
    }
    Frame().CopyObjectTo(Side2);
    QVERIFY(Host().Status.contains(QString::fromUtf8("PB库文件")));
    QVERIFY(Errors().isEmpty());
  }

  // ---- classification ---------------------------------------------------------------------

  void pairsAreClassifiedBySizeTimeAndContent() {
    TTempDir dir;
    std::vector<TFakeEntry> objects = {{"w_main.srw", Source("w_main", 20), 100}, {"d_list.srd", "release 9;\r\n", 100}};
    // Equal size and time: the same without reading (neither file is a library at all).
    fs::path junk1 = dir.Write("one/junk.pbl", std::string(3000, 'x')), junk2 = dir.Write("two/junk.pbl", std::string(3000, 'y'));
    // Rebuilt: the same objects in the other variant, with other times.
    fs::path re1 = dir.Write("one/rebuilt.pbl", Library(objects)), re2 = dir.Write("two/rebuilt.pbl", Library(
        {{"w_main.srw", Source("w_main", 20), 500}, {"d_list.srd", "release 9;\r\n\r\n", 600}}, true));
    // One object added.
    auto more = objects;
    more.push_back({"f_new.srf", "global function integer f_new ()\r\nend function\r\n", 100});
    fs::path ch1 = dir.Write("one/changed.pbl", Library(objects)), ch2 = dir.Write("two/changed.pbl", Library(more));
    SetTime(junk1, 1000);
    fs::last_write_time(junk2, fs::last_write_time(junk1));
    SetTime(re1, 2000);
    SetTime(ch1, 2000);
    // A folder holding no exported object opposite a library file is changed.
    fs::create_directories(dir.Path() / "one" / "odd.pbl");
    fs::path odd2 = dir.Write("two/odd.pbl", Library(objects));
    Add({junk1, re1, ch1, dir.Path() / "one" / "odd.pbl"}, true);
    Add({junk2, re2, ch2, odd2}, false);
    QVERIFY2(Errors().isEmpty(), qPrintable(Errors().join('\n')));
    QCOMPARE(RowResult("junk.pbl"), kSame);
    QCOMPARE(RowResult("rebuilt.pbl"), kSame);
    QCOMPARE(RowResult("changed.pbl"), kChanged);
    QCOMPARE(RowResult("odd.pbl"), kChanged);
    const TCompareCounts& c = Frame().Model().LibraryCounts();
    QCOMPARE(QList<int>({c.Count1, c.Count2, c.Added, c.Deleted, c.Changed}), QList<int>({4, 4, 0, 0, 2}));
    QCOMPARE(QList<int>({Host().Counts.Count1, Host().Counts.Count2, Host().Counts.Changed}), QList<int>({4, 4, 2}));
    // Sizes are right-aligned numbers, times the files' own.
    QTreeWidgetItem* row = Frame().lvLibs->findItems("changed.pbl", Qt::MatchExactly).value(0);
    QVERIFY(row);
    QCOMPARE(row->text(3), QString::number(fs::file_size(ch1)));
    QCOMPARE(row->text(5), QString::number(fs::file_size(ch2)));
    QVERIFY(row->text(2) < row->text(4));
    QVERIFY(row->textAlignment(3) & Qt::AlignRight);
  }

  void clearingASideRepairsTheOther() {
    TTempDir dir;
    const std::string lib = Library({{"w_a.srw", Source("w_a", 3), 10}});
    Add({dir.Write("one/a.pbl", lib), dir.Write("one/b.pbl", lib)}, true);
    Add({dir.Write("two/b.pbl", lib), dir.Write("two/c.pbl", lib)}, false);
    QCOMPARE(Frame().lvLibs->topLevelItemCount(), 3);

    Host().SwitchTo(TViewKind::Objects);
    Frame().tbClear[Side1]->click();  // ignored in the object list
    QCOMPARE(Frame().Model().LibraryCounts().Count1, 2);
    Host().SwitchTo(TViewKind::Libraries);

    Frame().tbClear[Side1]->click();
    QCOMPARE(Frame().Model().LibraryCounts().Count1, 0);
    QCOMPARE(Frame().Model().LibraryCounts().Added, 2);
    QCOMPARE(Column(*Frame().lvLibs, 0), QStringList({"b.pbl", "c.pbl"}));
    QCOMPARE(Column(*Frame().lvLibs, 1), QStringList({kAdded, kAdded}));
    QCOMPARE(Column(*Frame().lvLibs, 2), QStringList({"", ""}));
    Frame().tbClear[Side2]->click();
    QCOMPARE(Frame().lvLibs->topLevelItemCount(), 0);
    QCOMPARE(QList<int>({Host().Counts.Count1, Host().Counts.Count2}), QList<int>({0, 0}));
  }

  void selectingARowShowsBothPaths() {
    TTempDir dir;
    const std::string lib = Library({{"w_a.srw", Source("w_a", 3), 10}});
    fs::path a1 = dir.Write("one/a.pbl", lib), b2 = dir.Write("two/b.pbl", lib);
    Add({a1}, true);
    Add({b2}, false);
    SelectRow(*Frame().lvLibs, 0);
    QCOMPARE(Frame().cbOpen[Side1]->currentText(), QString::fromStdString(a1.string()));
    QCOMPARE(Frame().cbOpen[Side2]->currentText(), QString());
    SelectRow(*Frame().lvLibs, 1);
    QCOMPARE(Frame().cbOpen[Side1]->currentText(), QString());
    QCOMPARE(Frame().cbOpen[Side2]->currentText(), QString::fromStdString(b2.string()));
  }

  // ---- progress ---------------------------------------------------------------------------

  void progressCountsPlaceholdersAndEndsHidden() {
    TTempDir dir;
    const std::string lib = Library({{"w_a.srw", Source("w_a", 3), 10}});
    std::vector<fs::path> one, two;
    for (int i = 0; i < 4; ++i) one.push_back(dir.Write("one/a" + std::to_string(i) + ".pbl", lib));
    for (int i = 0; i < 10; ++i) two.push_back(dir.Write("two/b" + std::to_string(i) + ".pbl", lib));
    Add(one, true);
    QStringList texts;
    bool shown = true;
    int maximum = 0;
    Host().OnProgress = [&](const testsupport::TFakeHost::TProgress& p) {
      if (p.Value == 0 && p.Text.isEmpty()) return;  // the bar set up before the first step
      texts << p.Text;
      shown = shown && p.Visible;
      maximum = p.Maximum;
    };
    Add(two, false);
    QVERIFY(!texts.isEmpty());
    QVERIFY(shown);
    QCOMPARE(maximum, 10);
    QRegularExpression form("^Approx\\. (\\d+)% complete$");
    for (const QString& t : texts) {
      auto m = form.match(t);
      QVERIFY2(m.hasMatch(), qPrintable(t));
      QVERIFY(m.captured(1).toInt() <= 100);
    }
    QVERIFY(form.match(texts.first()).captured(1).toInt() <= 25);
    QCOMPARE(Host().Progress.Text, QString());
    QVERIFY(!Host().Progress.Visible);
  }

  void aLibraryGoneDuringPairingIsReportedAndTheProgressHidden() {
    TTempDir dir;
    fs::path a1 = dir.Write("one/a.pbl", Library({{"w_a.srw", Source("w_a", 3), 10}}));
    fs::path a2 = dir.Write("two/a.pbl", Library({{"w_a.srw", Source("w_a", 4), 20}}));
    SetTime(a1, 500);
    Add({a2}, false);
    fs::remove(a2);  // known to the list, gone from the disk
    Host().Trigger(TCommandId(TSideCommand::Open, Side1));  // the dialog is cancelled: nothing happens
    QVERIFY(Errors().isEmpty());
    chosen_ = {QString::fromStdString(a1.string())};
    Host().Trigger(TCommandId(TSideCommand::Open, Side1));
    QCOMPARE(Errors().size(), 1);
    QVERIFY2(Errors()[0].contains("a.pbl"), qPrintable(Errors()[0]));
    QVERIFY(!Host().Progress.Visible);
    QCOMPARE(Host().Progress.Text, QString());
    // The pairing went on: the pair is changed.
    QCOMPARE(Column(*Frame().lvLibs, 1), QStringList({kChanged}));
    QVERIFY(!Frame().Pairing());
    QVERIFY(Host().IsEnabled(TCommandId(TSideCommand::Open, Side1)) && Frame().tbClear[Side1]->isEnabled());
    // The next change pairs the lists afresh.
    dir.Write("two/a.pbl", Library({{"w_a.srw", Source("w_a", 3), 10}}));
    Frame().tbClear[Side2]->click();
    QCOMPARE(Column(*Frame().lvLibs, 1), QStringList({kDeleted}));
  }

  void commandsWaitWhileAPairingLetsEventsThrough() {
    TTempDir dir;
    // A change inside a long text makes the engine take search steps, which process events.
    fs::path a1 = dir.Write("one/a.pbl", Library({{"w_a.srw", Source("w_a", 400), 10}}));
    fs::path a2 = dir.Write("two/a.pbl", Library({{"w_a.srw", Source("w_a", 400, "x = 1\r\n").replace(3000, 2, "yy"), 20}}));
    SetTime(a1, 500);
    Add({a1}, true);
    bool ran = false, busy = false, clearOff = true, openOff = true, switchesOff = true;
    QTimer::singleShot(0, this, [&] {
      ran = true;
      busy = Frame().Pairing();
      clearOff = !Frame().tbClear[Side1]->isEnabled() && !Frame().tbClear[Side2]->isEnabled();
      openOff = !Host().IsEnabled(TCommandId(TSideCommand::Open, Side1)) &&
                !Host().IsEnabled(TCommandId(TSideCommand::Open, Side2));
      // The view stays as it is: F7 and the buttons do nothing.
      switchesOff = Host().SwitchesHeld;
      Host().ClickSwitch(TViewKind::Objects);
      Frame().tbClear1Click();
      Frame().tbClear2Click();
      Frame().lvLibsDblClick();
      Frame().OpenLibsClick(Side1);
    });
    Add({a2}, false);
    QVERIFY(ran);
    QVERIFY(busy);
    QVERIFY(clearOff);
    QVERIFY(openOff);
    QVERIFY(switchesOff);
    QCOMPARE(Frame().ViewMode(), 0);
    QCOMPARE(dialogs_, 0);
    QCOMPARE(Column(*Frame().lvLibs, 1), QStringList({kChanged}));
    QVERIFY(Frame().tbClear[Side1]->isEnabled() && Host().IsEnabled(TCommandId(TSideCommand::Open, Side2)));
    QVERIFY(!Host().SwitchesHeld);
  }

  // ---- history ----------------------------------------------------------------------------

  void historyKeepsEachPathOnceNewestFirst() {
    TTempDir dir;
    const std::string lib = Library({{"w_a.srw", Source("w_a", 3), 10}});
    fs::path a = dir.Write("a.pbl", lib), b = dir.Write("b.pbl", lib);
    Host().SwitchTo(TViewKind::Objects);
    Frame().OpenOneLibrary(a, Side1);
    Frame().OpenOneLibrary(b, Side1);
    Frame().OpenOneLibrary(a, Side1);
    Frame().RememberPath(dir.Path() / "B.PBL", Side2);
    const QString qa = QString::fromStdString(a.string()), qb = QString::fromStdString(b.string());
    QCOMPARE(Frame().cbOpen[Side1]->count(), 2);
    QCOMPARE(Frame().cbOpen[Side1]->itemText(0), qa);
    QCOMPARE(Frame().cbOpen[Side1]->itemText(1), qb);
    QCOMPARE(Frame().cbOpen[Side1]->currentText(), qa);
    QCOMPARE(Frame().Model().LibraryPath(Side1), a);
    const fs::path file1 = fs::path(exeDir_->path().toStdString()) / "File1.lst";
    // Newest first, UTF-8 with a byte-order mark, lines ended by CR LF, read again at the next
    // start.
    std::ifstream in(file1, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), {});
    QCOMPARE(bytes, "\xEF\xBB\xBF" + a.string() + "\r\n" + b.string() + "\r\n");
    // A history without the mark was written by an earlier version, in GB18030, whatever the
    // code page set now.
    std::ofstream(fs::path(exeDir_->path().toStdString()) / "File2.lst", std::ios::binary) << "/\xBF\xE2/x.pbl\r\n";
    testsupport::TCodePageScope page(1252);
    NewFrame();
    QCOMPARE(Frame().cbOpen[Side1]->count(), 2);
    QCOMPARE(Frame().cbOpen[Side1]->itemText(0), qa);
    QCOMPARE(Frame().cbOpen[Side2]->itemText(0), QString::fromUtf8("/库/x.pbl"));
    QCOMPARE(Frame().cbOpen[Side1]->currentText(), QString());
  }

  // ---- object list ------------------------------------------------------------------------

  void objectListOrderIconsAndCounts() {
    TTempDir dir;
    fs::path l1 = dir.Write("one/x.pbl", Library({{"w_b.srw", Source("w_b", 2), 10},
                                                 {"d_a.srd", "release 9;\r\n", 10},
                                                 {"q_odd.srq", "odd\r\n", 10},
                                                 {"a_app.sra", "app\r\n", 10},
                                                 {"w_a.srw", Source("w_a", 2), 10}}));
    fs::path l2 = dir.Write("two/x.pbl", Library({{"w_b.srw", Source("w_b", 3), 50},
                                                 {"f_c.srf", "function\r\n", 10},
                                                 {"w_a.srw", Source("w_a", 2), 10},
                                                 {"m_main.srm", "menu\r\n", 10}}));
    Add({l1}, true);
    Add({l2}, false);
    Frame().lvObjs->SortByColumn(1);  // a sort from before is dropped by the fill
    SelectRow(*Frame().lvLibs, 0);
    Frame().lvLibsDblClick();
    QVERIFY(Errors().isEmpty());
    QCOMPARE(Frame().ViewMode(), 1);
    QVERIFY(Host().View == TViewKind::Objects);
    QCOMPARE(Host().Caption(TCommandId(TSideCommand::Open, Side2)), QString::fromUtf8("打开一个PB库文件 2"));
    TListView& list = *Frame().lvObjs;
    QCOMPARE(Column(list, 6), QStringList({"a", "d", "f", "m", "q", "w", "w"}));
    QCOMPARE(Column(list, 0), QStringList({"a_app", "d_a", "f_c", "m_main", "q_odd", "w_a", "w_b"}));
    QCOMPARE(Column(list, 1), QStringList({kDeleted, kDeleted, kAdded, kAdded, kDeleted, kSame, kChanged}));
    QCOMPARE(list.ColumnTag(6), 1);
    QCOMPARE(list.HeaderMark(6), 1);
    QCOMPARE(list.ColumnTag(1), 0);
    // The same order as the pairing's own row order.
    std::vector<std::size_t> order = ObjectRowOrder(Frame().Model().Objects(Side1), Frame().Model().Objects(Side2), Frame().Model().ObjectPairs());
    for (int i = 0; i < list.topLevelItemCount(); ++i)
      QCOMPARE(TListView::RowIndex(*list.topLevelItem(i)), static_cast<int>(order[static_cast<std::size_t>(i)]));
    QList<int> images;
    for (int i = 0; i < list.topLevelItemCount(); ++i) images << TListView::RowImage(*list.topLevelItem(i));
    QCOMPARE(images, QList<int>({1, 2, 3, 5, 0, 8, 8}));
    const TCompareCounts& c = Frame().Model().ObjectCounts();
    QCOMPARE(QList<int>({c.Count1, c.Count2, c.Added, c.Deleted, c.Changed}), QList<int>({5, 4, 2, 3, 1}));
    QCOMPARE(Frame().cbOpen[Side1]->currentText(), QString::fromStdString(l1.string()));
  }

  void aLibraryOnSide2OnlyGivesAddedObjects() {
    TTempDir dir;
    fs::path l2 = dir.Write("two/only.pbl", Library({{"w_a.srw", Source("w_a", 2), 10}, {"w_b.srw", Source("w_b", 2), 10}}));
    Add({l2}, false);
    SelectRow(*Frame().lvLibs, 0);
    Frame().lvLibsDblClick();
    QCOMPARE(Frame().Model().ObjectCounts().Count1, 0);
    QCOMPARE(Frame().Model().ObjectCounts().Added, 2);
    QCOMPARE(Column(*Frame().lvObjs, 1), QStringList({kAdded, kAdded}));
    QCOMPARE(Column(*Frame().lvObjs, 2), QStringList({"", ""}));
    QCOMPARE(Column(*Frame().lvObjs, 3), QStringList({"", ""}));
    QCOMPARE(Column(*Frame().lvObjs, 4).first(), QString("1970-01-01 08:00:10"));
  }

  void controlCharactersInNamesAreShownAsSymbols() {
    TTempDir dir;
    fs::path l2 = dir.Write("two/o\x1bnly.pbl", Library({{"w_\x1b[2J.srw", Source("w_x", 2), 10}}));
    Add({l2}, false);
    QCOMPARE(Column(*Frame().lvLibs, 0), QStringList({QString::fromUtf8("o␛nly.pbl")}));
    SelectRow(*Frame().lvLibs, 0);
    Frame().lvLibsDblClick();
    QCOMPARE(Column(*Frame().lvObjs, 0), QStringList({QString::fromUtf8("w_␛[2J")}));
  }

  void enterOpensTheSelectedPairInBothLists() {
    TTempDir dir;
    Add({dir.Write("one/x.pbl", Library({{"w_a.srw", "a\r\n", 10}}))}, true);
    Add({dir.Write("two/x.pbl", Library({{"w_a.srw", "b\r\n", 20}}))}, false);
    SelectRow(*Frame().lvLibs, 0);
    QTest::keyClick(Frame().lvLibs, Qt::Key_Return);
    QVERIFY(Host().View == TViewKind::Objects);
    SelectRow(*Frame().lvObjs, 0);
    QTest::keyClick(Frame().lvObjs, Qt::Key_Enter);
    QVERIFY(Host().View == TViewKind::Source);
    QCOMPARE(Host().Sources[Side2].Lines.back(), std::string("b"));
  }

  void rowsArePaintedByResultWithIconsAndNewerMarks() {
    TTempDir dir;
    fs::path l1 = dir.Write("one/x.pbl", Library({{"w_new1.srw", "a\r\n", 900}, {"w_new2.srw", "a\r\n", 100},
                                                 {"w_gone.srw", "g\r\n", 100}, {"w_same.srw", "s\r\n", 100}}));
    fs::path l2 = dir.Write("two/x.pbl", Library({{"w_new1.srw", "b\r\n", 100}, {"w_new2.srw", "b\r\n", 900},
                                                 {"w_same.srw", "s\r\n", 100}}));
    Host().SwitchTo(TViewKind::Objects);
    Frame().OpenOneLibrary(l1, Side1);
    Frame().OpenOneLibrary(l2, Side2);
    TListView& list = *Frame().lvObjs;
    QCOMPARE(Column(list, 0), QStringList({"w_gone", "w_new1", "w_new2", "w_same"}));
    list.resize(700, 200);
    list.clearSelection();
    list.setCurrentItem(nullptr);
    Host().Window.resize(800, 400);
    Host().Window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&Host().Window));
    QImage shot = list.viewport()->grab().toImage();
    auto rowRect = [&](int row) { return list.visualItemRect(list.topLevelItem(row)); };
    auto at = [&](int row, int x) { return QColor(shot.pixel(x, rowRect(row).top() + 2)); };
    const int inSize = list.header()->sectionViewportPosition(3) + 2;
    QCOMPARE(at(0, inSize), ToQColor(Host().ViewColors.Del, list.palette()));
    QCOMPARE(at(1, inSize), ToQColor(Host().ViewColors.Mod, list.palette()));
    QCOMPARE(at(3, inSize), QColor(Qt::white));
    // The type icon at the left, then the newer marks: side 1 newer (12), side 2 newer (13),
    // none for equal times.
    auto same = [&](int row, int x, int image) {
      QImage want = Frame().ImageList3[static_cast<std::size_t>(image)].toImage();
      QRect r = rowRect(row);
      for (int y = 0; y < want.height() && r.top() + y < r.bottom(); ++y)
        for (int dx = 0; dx < 16; ++dx) {
          QRgb w = want.pixel(dx, y);
          if (qAlpha(w) != 255) continue;
          if ((shot.pixel(r.left() + x + dx, r.top() + y) & 0xFFFFFF) != (w & 0xFFFFFF)) return false;
        }
      return true;
    };
    QVERIFY(same(0, 1, 8));
    QVERIFY(same(1, 15, 12));
    QVERIFY(same(2, 15, 13));
    QVERIFY(!same(3, 15, 12) && !same(3, 15, 13));
  }

  void doubleClickingAnObjectComparesItsSources() {
    TTempDir dir;
    fs::path l1 = dir.Write("one/x.pbl", Library({{"w_a.srw", "a\r\nb\r\n", 10}, {"w_gone.srw", "g\r\n", 10}}));
    fs::path l2 = dir.Write("two/x.pbl", Library({{"w_a.srw", "a\r\nc\r\n", 20}}, true));
    Host().SwitchTo(TViewKind::Objects);
    Frame().OpenOneLibrary(l1, Side1);
    Frame().OpenOneLibrary(l2, Side2);
    SelectRow(*Frame().lvObjs, 0);
    Frame().lvLibsDblClick();
    const auto& files = Host().Sources;
    QVERIFY(Host().View == TViewKind::Source);
    QCOMPARE(files[Side1].Caption, QString::fromStdString(l1.string()) + "@w_a");
    QCOMPARE(files[Side2].Caption, QString::fromStdString(l2.string()) + "@w_a");
    QCOMPARE(files[Side1].Lines, std::vector<std::string>({"$PBExportHeader$w_a.srw", "a", "b"}));
    QCOMPARE(files[Side2].Lines, std::vector<std::string>({"$PBExportHeader$w_a.srw", "a", "c"}));

    // A side without the object is handed over empty, under its library's name.
    Host().SwitchTo(TViewKind::Objects);
    SelectRow(*Frame().lvObjs, 1);
    Frame().lvLibsDblClick();
    QCOMPARE(files[Side2].Lines, std::vector<std::string>());
    QCOMPARE(files[Side2].Caption, QString::fromStdString(l2.string()) + "@w_gone");
    QVERIFY(Errors().isEmpty());
  }

  void aLibraryThatCannotBeOpenedEmptiesTheRows() {
    TTempDir dir;
    fs::path l1 = dir.Write("x.pbl", Library({{"w_a.srw", "a\r\n", 10}}));
    Host().SwitchTo(TViewKind::Objects);
    Frame().OpenOneLibrary(l1, Side1);
    QCOMPARE(Frame().lvObjs->topLevelItemCount(), 1);
    Frame().ExecuteOpenDialog = [&] { return QStringList({QString::fromStdString((dir.Path() / "none.pbl").string())}); };
    Host().Trigger(TCommandId(TSideCommand::Open, Side2));
    QCOMPARE(Errors().size(), 1);
    QCOMPARE(Frame().lvObjs->topLevelItemCount(), 0);
    Frame().lvLibsDblClick();  // nothing left to open
    QCOMPARE(Errors().size(), 1);
    QCOMPARE(QList<int>({Host().Counts.Count1, Host().Counts.Count2}), QList<int>({1, 0}));
  }

  void aLibraryChangedByAnotherProcessIsReportedNotFatal() {
    TTempDir dir;
    TLibWriter w(false);
    w.BlockData = 100;  // long chains from short texts
    w.AddNode({{"w_a.srw", Source("w_a", 200), 10}, {"w_b.srw", Source("w_b", 200), 10}});
    const std::string bytes = w.Build();
    fs::path l1 = dir.Write("one/x.pbl", bytes), l2 = dir.Write("two/x.pbl", bytes);
    Host().SwitchTo(TViewKind::Objects);
    Frame().OpenOneLibrary(l1, Side1);
    Frame().OpenOneLibrary(l2, Side2);
    QCOMPARE(Column(*Frame().lvObjs, 1), QStringList({kSame, kSame}));

    // Cut short while it is open.
    fs::resize_file(l1, static_cast<std::uintmax_t>(w.DataOffsets[0][1] + 150));
    SelectRow(*Frame().lvObjs, 1);
    Frame().lvLibsDblClick();
    QCOMPARE(Errors().size(), 1);
    QVERIFY2(Errors()[0].contains("truncated") && Errors()[0].contains("x.pbl@w_b"), qPrintable(Errors()[0]));
    QVERIFY(Host().Sources[Side1].Lines.size() < Host().Sources[Side2].Lines.size());

    // Rewritten with other bytes in place: whatever is read, nothing breaks.
    {
      std::ofstream out(l1, std::ios::binary | std::ios::in | std::ios::out);
      out << std::string(bytes.size(), '\xff');
    }
    Host().SwitchTo(TViewKind::Objects);
    for (int row = 0; row < 2; ++row) {
      SelectRow(*Frame().lvObjs, row);
      Frame().lvLibsDblClick();
    }
    QVERIFY(Errors().size() >= 2);
    // Opening it again reads what is there now.
    Errors().clear();
    Host().SwitchTo(TViewKind::Objects);
    chosen_ = {QString::fromStdString(l1.string())};
    Host().Trigger(TCommandId(TSideCommand::Open, Side1));
    QCOMPARE(Errors().size(), 1);
    QVERIFY(Errors()[0].contains("x.pbl"));
  }

  // ---- real libraries ---------------------------------------------------------------------

  void realLibrariesOfTwoReleases() {
    const fs::path data = testsupport::TestDataDir();
    if (data.empty()) QSKIP("../shared/testdata is not there");
    Host().SwitchTo(TViewKind::Objects);
    Frame().OpenOneLibrary(data / "pfcmsg-pb9-8bit.pbl", Side1);
    Frame().OpenOneLibrary(data / "pfcmsg-pb10-16bit.pbl", Side2);
    QVERIFY2(Errors().isEmpty(), qPrintable(Errors().join('\n')));
    const TCompareCounts& c = Frame().Model().ObjectCounts();
    QCOMPARE(c.Count1, 13);
    QCOMPARE(c.Count2, 13);
    QCOMPARE(c.Added + c.Deleted, 0);
    QCOMPARE(Frame().lvObjs->topLevelItemCount(), 13);
    for (const QString& letter : Column(*Frame().lvObjs, 6)) QVERIFY(!letter.isEmpty());

    // On the library list the two files have different names: one row each side.
    Host().SwitchTo(TViewKind::Libraries);
    Add({data / "pfcmsg-pb9-8bit.pbl"}, true);
    Add({data / "pfcmsg-pb10-16bit.pbl", data / "pbexamfn-pb10-16bit.pbl"}, false);
    QCOMPARE(Column(*Frame().lvLibs, 1), QStringList({kAdded, kAdded, kDeleted}));
  }
};

QTEST_MAIN(LibFrameTest)
#include "LibFrameTest.moc"
