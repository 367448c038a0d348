// The library and object views only read what they show: adding libraries, a target, a
// workspace, a folder of exports and a git revision to the sides, the pairing with its content checks, opening a pair's objects, opening
// single libraries, and comparing one object's sources leave every file's bytes and time as they
// were (a repository's own files included) and open each for reading only.
#include <QtTest>
#include <cstdlib>
#include <memory>
#include <optional>

#include "FileWatch.h"
#include "LibWriter.h"
#include "app/ExeDir.h"
#include "app/Main.h"
#include "app/Settings.h"
#include "fileview/FileView.h"
#include "libview/LibView.h"

using testsupport::TFakeEntry;
using testsupport::TLibWriter;
using testsupport::TTempDir;
using libview::TLibFrame;
using app::SetExeDir;
using app::TMainForm;
namespace fs = std::filesystem;

namespace {

std::string Library(bool unicode, std::int32_t time, const std::string& extra) {
  TLibWriter w(unicode);
  w.BlockData = 40;
  int root = w.AddNode({TFakeEntry{"w_main.srw", "global type w_main from window\r\nend type\r\n" + extra, time, 0},
                        TFakeEntry{"d_list.srd", "release 10;\r\n", 5, 0}});
  int child = w.AddNode({TFakeEntry{"n_cst.sru", "global type n_cst\r\nend type\r\n", 5, 0}});
  w.SetChildren(root, child, -1);
  return w.Build();
}

}  // namespace

class ReadOnlyViewsTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TTempDir> files_, exeDir_;
  std::unique_ptr<TMainForm> form_;
  QStringList messages_;
  fs::path lib1_, shared1_, pbt1_, lib2_, shared2_, pbt2_, pbw2_;
  std::vector<fs::path> dirs_, all_;
  std::map<fs::path, testsupport::TSnapshot> before_;

  TLibFrame& Frame() { return *form_->LibFrame; }

  void Check(testsupport::TWatch& watch, const std::vector<fs::path>& mustRead) {
    testsupport::TFileEvents events = watch.Take();
    for (const std::string& c : events.Changes) QFAIL(c.c_str());
    for (const fs::path& f : mustRead)
      QVERIFY2(events.Opened.count(f), qPrintable(QString::fromStdString(f.string()) + " was not opened"));
    const std::vector<fs::path> writable = testsupport::OpenForWriting(all_);
    QVERIFY2(writable.empty(), writable.empty() ? "" : writable.front().c_str());
    for (const fs::path& f : all_) QVERIFY2(testsupport::Snap(f) == before_[f], f.c_str());
    QVERIFY2(messages_.isEmpty(), qPrintable(messages_.join('\n')));
  }

  void Select(QTreeWidget& list, int row) {
    list.clearSelection();
    list.topLevelItem(row)->setSelected(true);
  }

 private slots:
  void init() {
    files_ = std::make_unique<TTempDir>();
    exeDir_ = std::make_unique<TTempDir>();
    SetExeDir(exeDir_->Path());
    const fs::path root = files_->Path();
    lib1_ = files_->Write("one/main.pbl", Library(false, 100, ""));
    shared1_ = files_->Write("one/shared.pbl", Library(false, 5, ""));
    pbt1_ = files_->Write("one/app.pbt", "Save Format v3.0(19990112)\r\nliblist \"main.pbl;shared.pbl\";\r\n");
    lib2_ = files_->Write("two/lib/main.pbl", Library(true, 200, "event open;\r\nend event\r\n"));
    shared2_ = files_->Write("two/lib/shared.pbl", Library(true, 5, ""));
    pbt2_ = files_->Write("two/app/app.pbt", "Save Format v3.0(19990112)\r\nliblist \"..\\\\lib\\\\main.pbl;..\\\\lib\\\\shared.pbl\";\r\n");
    pbw2_ = files_->Write("two/ws.pbw", "Save Format v3.0(19990112)\r\n@begin Targets\r\n 0 \"app\\\\app.pbt\";\r\n@end;\r\n");
    dirs_ = {root / "one", root / "two", root / "two/lib", root / "two/app"};
    all_.clear();
    for (const auto& e : fs::recursive_directory_iterator(root))
      if (e.is_regular_file()) all_.push_back(e.path());
    for (const fs::path& f : all_) fs::permissions(f, fs::perms(0444));
    for (const fs::path& d : dirs_) fs::permissions(d, fs::perms(0555));
    for (const fs::path& f : all_) before_[f] = testsupport::Snap(f);
    messages_.clear();
    form_ = std::make_unique<TMainForm>();
    form_->OnShowInformation = [this](const QString& text) { messages_ << text; };
    form_->OnShowError = [this](const std::exception& e) { messages_ << QString::fromStdString(e.what()); };
    form_->OnAskYesNo = [](const QString&) { return true; };
  }
  void cleanup() {
    form_.reset();
    SetExeDir({});
    for (const fs::path& d : dirs_) fs::permissions(d, fs::perms::owner_all);
  }

  void librariesTargetsAndWorkspacesAreOnlyRead() {
    testsupport::TWatch watch(dirs_);
    Frame().OpenDialog1TypeChange(1);
    Frame().AddLibraries({lib1_, shared1_}, compare::Side1);  // nothing to pair with: file information only
    Check(watch, {});
    Frame().tbClear1Click();
    Frame().OpenDialog1TypeChange(2);
    Frame().AddLibraries({pbt1_}, compare::Side1);
    Frame().OpenDialog1TypeChange(3);
    Frame().AddLibraries({pbw2_}, compare::Side2);  // paired with side 1: the main libraries are compared
    QCOMPARE(Frame().Model().LibraryCounts().Changed, 1);
    Check(watch, {pbt1_, pbw2_, pbt2_, lib1_, lib2_});

    // The changed pair's objects, then one object's sources side by side.
    for (int row = 0; row < Frame().lvLibs->topLevelItemCount(); ++row)
      if (Frame().lvLibs->topLevelItem(row)->text(0) == "main.pbl") Select(*Frame().lvLibs, row);
    Frame().lvLibsDblClick();
    QCOMPARE(Frame().ViewMode(), 1);
    QCOMPARE(Frame().Model().ObjectCounts().Changed, 1);
    for (int row = 0; row < Frame().lvObjs->topLevelItemCount(); ++row)
      if (Frame().lvObjs->topLevelItem(row)->text(0) == "w_main") Select(*Frame().lvObjs, row);
    Frame().lvLibsDblClick();
    QCOMPARE(form_->FilesFrame->Text(compare::Side1).Count() + 2, form_->FilesFrame->Text(compare::Side2).Count());
    Check(watch, {lib1_, lib2_});
    form_.reset();  // closes what the views held open
    Check(watch, {});
  }

  void foldersAndGitRevisionsAreOnlyRead() {
    if (std::system("git --version >/dev/null 2>&1") != 0) QSKIP("git is not installed");
    const fs::path root = files_->Path(), repo = root / "repo";
    const fs::path ws = files_->Write("ws/x.pbl.src/w_main.srw", "$PBExportHeader$w_main.srw\r\nforward\r\nend forward\r\n");
    files_->Write("ws/x.pbl.src/n_cst.sru", "$PBExportHeader$n_cst.sru\r\nx\r\n");
    files_->Write("repo/src/x.pbl.src/w_main.srw", "$PBExportHeader$w_main.srw\r\nforward\r\nchanged\r\nend forward\r\n");
    files_->Write("repo/src/x.pbl.src/n_cst.sru", "$PBExportHeader$n_cst.sru\r\nx\r\n");
    const std::string git = "cd '" + repo.string() + "' && git -c user.name=t -c user.email=t@example.org ";
    QCOMPARE(std::system((git + "init -q && " + git + "add -A && " + git + "commit -qm one").c_str()), 0);
    all_.clear();
    for (const auto& e : fs::recursive_directory_iterator(root))
      if (e.is_regular_file()) all_.push_back(e.path());
    for (const fs::path& f : all_) before_[f] = testsupport::Snap(f);
    std::vector<fs::path> watched{root / "ws", ws.parent_path(), repo, repo / ".git", repo / "src", repo / "src/x.pbl.src"};
    testsupport::TWatch watch(watched);

    Frame().ChooseFolder = [&](compare::TSide) { return QString::fromStdString(ws.parent_path().string()); };
    Frame().AskGitSide = [&](compare::TSide) {
      return std::optional<TLibFrame::TGitSide>({QString::fromStdString(repo.string()), "HEAD", "src"});
    };
    Frame().AddFolderClick(compare::Side1);
    Frame().AddRevisionClick(compare::Side2);
    QCOMPARE(Frame().Model().LibraryCounts().Changed, 1);
    Select(*Frame().lvLibs, 0);
    Frame().lvLibsDblClick();
    QCOMPARE(Frame().Model().ObjectCounts().Changed, 1);
    for (int row = 0; row < Frame().lvObjs->topLevelItemCount(); ++row)
      if (Frame().lvObjs->topLevelItem(row)->text(0) == "w_main") Select(*Frame().lvObjs, row);
    Frame().lvLibsDblClick();
    QCOMPARE(form_->FilesFrame->Counts.Added, 1);
    Check(watch, {ws});
    form_.reset();
    Check(watch, {});
  }

  void singleLibrariesOfTheObjectListAreOnlyRead() {
    testsupport::TWatch watch(dirs_);
    form_->mnuObjsClick();
    Frame().OpenOneLibrary(shared1_, compare::Side1);
    Frame().OpenOneLibrary(shared2_, compare::Side2);
    QCOMPARE(Frame().Model().ObjectCounts().Count1, 3);
    Select(*Frame().lvObjs, 0);
    Frame().lvLibsDblClick();
    form_->mnuObjsClick();
    Frame().OpenOneLibrary(lib2_, compare::Side1);  // another library in place of an open one
    Check(watch, {shared1_, shared2_, lib2_});
    form_.reset();
    Check(watch, {});
  }
};

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  app.setApplicationName("Quorvex");
  ReadOnlyViewsTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "ReadOnlyViewsTest.moc"
