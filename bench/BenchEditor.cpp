// The editor pane on a long text (offscreen): filling it with 1,000,000 lines, painting one page,
// paging from top to bottom, typing 1,000 characters near the top and painting.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>

#include <string>
#include <vector>

#include "BenchForm.h"
#include "editor/CodeEditor.h"

namespace {

const std::vector<std::string>& LongText() {
  static const std::vector<std::string> text = [] {
    std::vector<std::string> t;
    t.reserve(1000000);
    for (int i = 0; i < 1000000; ++i) t.push_back("    line " + std::to_string(i) + " of the long text\tand a tab");
    return t;
  }();
  return text;
}

// A pane of 800 × 600 pixels holding the long text.
TCodeEdit& Pane() {
  static TCodeEdit* edit = [] {
    BenchForm();  // the application object
    auto* e = new TCodeEdit();
    e->resize(800, 600);
    e->Lines().Assign(LongText());
    return e;
  }();
  return *edit;
}

void PaintPage(TCodeEdit& edit) {
  QImage image(edit.viewport()->size(), QImage::Format_RGB32);
  QPainter p(&image);
  edit.Paint(p);
}

void EditorFillMillionLines(benchmark::State& state) {
  TCodeEdit& edit = Pane();
  for (auto _ : state) edit.Lines().Assign(LongText());
  state.SetItemsProcessed(state.iterations() * 1000000);
}
BENCHMARK(EditorFillMillionLines)->Unit(benchmark::kMillisecond)->Iterations(3);

void EditorPaintPage(benchmark::State& state) {
  TCodeEdit& edit = Pane();
  for (auto _ : state) PaintPage(edit);
}
BENCHMARK(EditorPaintPage)->Unit(benchmark::kMillisecond);

void EditorPageToTheEnd(benchmark::State& state) {
  TCodeEdit& edit = Pane();
  for (auto _ : state) {
    edit.SetTopLine(0);
    std::int32_t last = -1;
    while (edit.TopLine() != last) {
      last = edit.TopLine();
      edit.VertScroll(TCodeEdit::scPageDown);
    }
  }
}
BENCHMARK(EditorPageToTheEnd)->Unit(benchmark::kMillisecond)->Iterations(3);

void EditorTypeAndPaint(benchmark::State& state) {
  TCodeEdit& edit = Pane();
  for (auto _ : state) {
    edit.MoveCaretTo({4, 10});
    for (int i = 0; i < 1000; ++i) edit.ProcessChar(static_cast<std::uint8_t>('a' + i % 26));
    PaintPage(edit);
  }
}
BENCHMARK(EditorTypeAndPaint)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
