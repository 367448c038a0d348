// The source comparison view (offscreen): two 100,000-line files loaded and compared to the
// painted result, the refill alone, one synchronised scroll step.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPainter>
#include <QPixmap>

#include <fstream>
#include <string>

#include "BenchForm.h"
#include "app/Main.h"
#include "editor/CodeEditor.h"
#include "fileview/FileView.h"

using fileview::TFilesFrame;
using app::TMainForm;

namespace {

using testsupport::TTempDir;

TMainForm& FilesForm() {
  static TMainForm& form = [] () -> TMainForm& {
    TMainForm& f = BenchForm();
    f.resize(1000, 700);
    f.show();
    f.tbFileClick();
    return f;
  }();
  return form;
}

// Source-like lines; every hundredth one differs between the two files.
struct TTwoFiles {
  TTempDir Dir;
  QString One, Two;
  TTwoFiles() {
    std::ofstream a(Dir.Path() / "one.srw", std::ios::binary), b(Dir.Path() / "two.srw", std::ios::binary);
    for (int i = 0; i < 100000; ++i) {
      std::string line = "\tls_value = of_get_value(" + std::to_string(i) + ", \"column_" + std::to_string(i % 97) + "\")";
      a << line << "\r\n";
      b << (i % 100 == 50 ? line + " // changed" : line) << "\r\n";
    }
    One = QString::fromStdString((Dir.Path() / "one.srw").string());
    Two = QString::fromStdString((Dir.Path() / "two.srw").string());
  }
};

TTwoFiles& Files() {
  static TTwoFiles files;
  return files;
}

void Paint(TFilesFrame& frame) {
  QPixmap canvas(frame.size());
  QPainter p(&canvas);
  frame.render(&p);
}

void LoadCompareAndPaint(benchmark::State& state) {
  TFilesFrame& frame = *FilesForm().FilesFrame;
  TTwoFiles& files = Files();
  for (auto _ : state) {
    frame.LoadFile(files.One, compare::Side1);  // compares against whatever side 2 holds
    frame.LoadFile(files.Two, compare::Side2);
    Paint(frame);
    benchmark::DoNotOptimize(frame.Counts.Changed);
  }
  if (frame.Counts.Changed != 1000) state.SkipWithError("unexpected result");
}
BENCHMARK(LoadCompareAndPaint)->Unit(benchmark::kMillisecond)->Iterations(3);

void FillPanesAlone(benchmark::State& state) {
  TFilesFrame& frame = *FilesForm().FilesFrame;
  frame.LoadFile(Files().One, compare::Side1);
  frame.LoadFile(Files().Two, compare::Side2);
  for (auto _ : state) frame.FillPanes();
  state.SetItemsProcessed(state.iterations() * 100000);
}
BENCHMARK(FillPanesAlone)->Unit(benchmark::kMillisecond);

void SynchronisedScrollStep(benchmark::State& state) {
  TFilesFrame& frame = *FilesForm().FilesFrame;
  frame.LoadFile(Files().One, compare::Side1);
  frame.LoadFile(Files().Two, compare::Side2);
  int line = 0;
  for (auto _ : state) {
    // One line down, as the wheel does: the left pane moves, the right one and the strip follow.
    frame.Pane(compare::Side1)->ScrollToLine(++line % 90000);
    QCoreApplication::processEvents();  // the repaint of both panes and the strip
    benchmark::DoNotOptimize(frame.Pane(compare::Side2)->TopLine());
  }
  if (frame.Pane(compare::Side2)->TopLine() != frame.Pane(compare::Side1)->TopLine()) state.SkipWithError("panes out of step");
}
BENCHMARK(SynchronisedScrollStep)->Unit(benchmark::kMicrosecond);

}  // namespace
