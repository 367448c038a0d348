// Timings of the editor on a long text: loading 1,000,000 lines, painting one page, paging from
// top to bottom, typing 1,000 characters near the top. Run by hand on the offscreen platform.
#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>

#include <chrono>
#include <cstdio>

#include "editor/CodeEditor.h"

namespace {

template <typename F>
double Millis(F&& f) {
  auto t0 = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  TCodeEdit edit;
  edit.resize(800, 600);
  std::vector<std::string> text;
  text.reserve(1000000);
  for (int i = 0; i < 1000000; ++i)
    text.push_back("    line " + std::to_string(i) + " of the long text\tand a tab");

  double assign = Millis([&] { edit.Lines().Assign(text); });
  QImage image(edit.viewport()->size(), QImage::Format_RGB32);
  double paint = Millis([&] {
    QPainter p(&image);
    edit.Paint(p);
  });
  int pages = 0;
  double paging = Millis([&] {
    std::int32_t last = -1;
    while (edit.TopLine() != last) {
      last = edit.TopLine();
      edit.VertScroll(TCodeEdit::scPageDown);
      ++pages;
    }
  });
  edit.MoveCaretTo({4, 10});
  double typing = Millis([&] {
    for (int i = 0; i < 1000; ++i) edit.ProcessChar(static_cast<std::uint8_t>('a' + i % 26));
    QPainter p(&image);
    edit.Paint(p);
  });
  std::printf("Assign 1,000,000 lines:        %8.1f ms\n", assign);
  std::printf("Paint one page:                %8.1f ms\n", paint);
  std::printf("Page down to the end (%d):  %8.1f ms\n", pages, paging);
  std::printf("Type 1,000 chars at line 10:   %8.1f ms\n", typing);
  return 0;
}
