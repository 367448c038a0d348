// The editor pane on a long text (offscreen): filling it with 1,000,000 lines (copied, or as
// references to a text held elsewhere), painting one page, paging from top to bottom, typing
// 1,000 characters near the top and painting.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>

#include <memory>
#include <string>
#include <vector>

#include "BenchForm.h"
#include "editor/CodeEditor.h"

using editor::TCodeEdit;
using editor::TLineSource;
using editor::TLines;

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

// The long text as a source the pane's lines can refer to.
struct TLongSource : TLineSource {
  std::int32_t Count() const override { return static_cast<std::int32_t>(LongText().size()); }
  std::string_view Line(std::int32_t i) const override { return LongText()[static_cast<std::size_t>(i)]; }
};

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

void EditorFillMillionReferences(benchmark::State& state) {
  TCodeEdit& edit = Pane();
  auto source = std::make_shared<TLongSource>();
  for (auto _ : state) {
    TLines& lines = edit.Lines();
    lines.BeginUpdate();
    lines.Clear();
    lines.SetSource(source);
    for (std::int32_t i = 0; i < source->Count(); ++i) lines.AddRef(i);
    lines.EndUpdate();
    lines.SetModified(false);
  }
  state.SetItemsProcessed(state.iterations() * 1000000);
  edit.Lines().Assign(LongText());
}
BENCHMARK(EditorFillMillionReferences)->Unit(benchmark::kMillisecond)->Iterations(3);

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
