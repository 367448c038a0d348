// The desktop views on the large inputs of scripts/large.sh: two 1,000,000-line texts compared in
// the source view; a 100 MB library of 50,000 entries on side 1 and its changed 16-bit copy on
// side 2, paired in the library list and then object by object. Skipped unless QUORVEX_LARGE names the folder of those inputs; prints the time and the
// peak resident memory of each step for bench/RESULTS.md.
#include <sys/resource.h>

#include <QElapsedTimer>
#include <QtTest>
#include <memory>

#include "LibWriter.h"
#include "app/ExeDir.h"
#include "app/Main.h"
#include "editor/CodeEditor.h"
#include "fileview/FileView.h"
#include "libview/LibView.h"

using fileview::TFilesFrame;
using libview::TLibFrame;
using app::SetExeDir;
using app::TMainForm;

namespace fs = std::filesystem;

class LargeViewsTest : public QObject {
  Q_OBJECT

  static long PeakMb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024;
  }

  fs::path root_;
  testsupport::TTempDir exeDir_;

 private slots:
  void init() {
    const QByteArray dir = qgetenv("QUORVEX_LARGE");
    if (dir.isEmpty()) QSKIP("QUORVEX_LARGE is not set (scripts/large.sh sets it)");
    root_ = dir.toStdString();
    SetExeDir(exeDir_.Path());
  }

  void largeTextsInTheSourceView() {
    const fs::path& root = root_;
    auto form = std::make_unique<TMainForm>();
    form->resize(1000, 700);
    form->show();
    form->tbFileClick();
    TFilesFrame& frame = *form->FilesFrame;
    QElapsedTimer t;
    t.start();
    frame.LoadFile(QString::fromStdString((root / "text1.txt").string()), compare::Side1);
    frame.LoadFile(QString::fromStdString((root / "text2.txt").string()), compare::Side2);
    QCoreApplication::processEvents();
    qInfo("| source view: two 1,000,000-line texts loaded, compared and shown | %.2f s | %ld MB |",
          t.elapsed() / 1000.0, PeakMb());
    QVERIFY(frame.ResultPresent);
    QCOMPARE(frame.Counts.Count1, 1000000);
    t.restart();
    form->mnuShowDiffsOnly->trigger();
    form->mnuShowDiffsOnly->trigger();
    qInfo("| source view: showing the differences only and everything again | %.2f s | %ld MB |",
          t.elapsed() / 1000.0, PeakMb());
    QCOMPARE(frame.Pane(compare::Side1)->Lines().Count(), frame.Pane(compare::Side2)->Lines().Count());
  }

  void largeLibrariesInTheViews() {
    const fs::path& root = root_;
    auto form = std::make_unique<TMainForm>();
    TLibFrame& frame = *form->LibFrame;
    QStringList messages;
    form->OnShowInformation = [&](const QString& text) { messages << text; };
    form->OnShowError = [&](const std::exception& e) { messages << QString::fromStdString(e.what()); };
    QElapsedTimer t;

    t.start();
    frame.AddLibraries({root / "one" / "big.pbl"}, compare::Side1);
    frame.AddLibraries({root / "u16" / "big.pbl"}, compare::Side2);
    qInfo("| library list: pairing 100 MB 8-bit with its changed 16-bit copy | %.2f s | %ld MB |",
          t.elapsed() / 1000.0, PeakMb());
    QCOMPARE(frame.Model().LibraryCounts().Changed, 1);

    t.restart();
    frame.lvLibs->topLevelItem(0)->setSelected(true);
    frame.lvLibsDblClick();
    qInfo("| object list: 50,000 pairs, every one compared by its source | %.2f s | %ld MB |", t.elapsed() / 1000.0,
          PeakMb());
    QCOMPARE(frame.Model().ObjectCounts().Count1, 50000);
    QCOMPARE(frame.Model().ObjectCounts().Changed + frame.Model().ObjectCounts().Added + frame.Model().ObjectCounts().Deleted, 500 + 50 + 50);

    t.restart();
    frame.lvObjs->topLevelItem(frame.lvObjs->topLevelItemCount() / 2)->setSelected(true);
    frame.lvLibsDblClick();
    qInfo("| one object's sources side by side | %.2f s | %ld MB |", t.elapsed() / 1000.0, PeakMb());
    QVERIFY(!form->FilesFrame->Text(compare::Side1).Empty());
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join('\n')));
    form.reset();
    SetExeDir({});
  }
};

QTEST_MAIN(LargeViewsTest)
#include "LargeViewsTest.moc"
