// The library frame on the offscreen platform: pairing two sides of 100 libraries each, where
// most names meet with other times so that the content checks read both libraries, and opening
// a pair of 3 MB libraries into the object list.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTreeWidget>
#include <chrono>

#include "BenchForm.h"
#include "LibWriter.h"
#include "libview/LibView.h"

using libview::TLibFrame;
using app::TMainForm;

namespace fs = std::filesystem;

namespace {

using testsupport::TFakeEntry;
using testsupport::TLibWriter;
using testsupport::TTempDir;

std::string Source(const std::string& name, int lines, int variant) {
  std::string text = "global type " + name + " from window\r\n";
  for (int i = 0; i < lines; ++i)
    text += "\tinteger li_" + std::to_string(i) + " = " + std::to_string(i == lines / 2 ? variant : i) + "\r\n";
  return text + "end type\r\n";
}

// A library of `objects` windows of `lines` lines each; every `changeEvery`-th object carries
// `variant` in one line in the middle, every object the time `time`.
std::string Library(int objects, int lines, int changeEvery, int variant, std::int32_t time) {
  TLibWriter w(false);
  constexpr int kPerNode = 20;
  int nodes = 0;
  for (int first = 0; first < objects; first += kPerNode, ++nodes) {
    std::vector<TFakeEntry> entries;
    for (int i = first; i < std::min(objects, first + kPerNode); ++i) {
      const std::string name = "w_obj" + std::to_string(i);
      entries.push_back({name + ".srw", Source(name, lines, changeEvery && i % changeEvery == 0 ? variant : 0), time});
    }
    w.AddNode(std::move(entries));
  }
  for (int n = 0; n < nodes; ++n) w.SetChildren(n, 2 * n + 1 < nodes ? 2 * n + 1 : -1, 2 * n + 2 < nodes ? 2 * n + 2 : -1);
  return w.Build();
}

void SetAge(const fs::path& p, int seconds) {
  fs::last_write_time(p, fs::file_time_type::clock::now() - std::chrono::seconds(seconds));
}

// 100 libraries a side: 90 names on both sides (of which every third is a rebuilt copy with
// another time and one changed object, the rest equal copies with other times), 10 on one side
// only.
void PairHundredLibraries(benchmark::State& state) {
  TMainForm& main = BenchForm();
  TLibFrame& frame = *main.LibFrame;
  TTempDir dir;
  std::vector<fs::path> one, two;
  for (int i = 0; i < 100; ++i) {
    const std::string name = "lib" + std::to_string(i) + ".pbl";
    one.push_back(dir.Write("one/" + (i < 90 ? name : "only1_" + name), Library(40, 30, 0, 0, 100)));
    two.push_back(dir.Write("two/" + (i < 90 ? name : "only2_" + name), Library(40, 30, i % 3 == 0 ? 7 : 0, 1, 200)));
    SetAge(one.back(), 1000);
  }
  main.tbLibModeClick();
  frame.AddLibraries(one, compare::Side1);
  frame.AddLibraries(two, compare::Side2);
  for (auto _ : state) {
    frame.CompareLibraries();
    frame.ShowLibraries();
  }
  state.counters["changed"] = frame.Model().LibraryCounts().Changed;
  state.counters["rows"] = frame.lvLibs->topLevelItemCount();
  frame.tbClear1Click();
  frame.tbClear2Click();
}

// Two 3 MB libraries of 1,500 objects; side 2 has other times throughout and one object in ten
// changed, so every pair is exported, hashed and compared.
void OpenPairOfLargeLibraries(benchmark::State& state) {
  TMainForm& main = BenchForm();
  TLibFrame& frame = *main.LibFrame;
  TTempDir dir;
  fs::path a = dir.Write("one/big.pbl", Library(1500, 90, 0, 0, 100));
  fs::path b = dir.Write("two/big.pbl", Library(1500, 90, 10, 1, 200));
  SetAge(a, 1000);
  main.tbLibModeClick();
  frame.AddLibraries({a}, compare::Side1);
  frame.AddLibraries({b}, compare::Side2);
  for (auto _ : state) {
    main.tbLibModeClick();
    frame.lvLibs->clearSelection();
    frame.lvLibs->topLevelItem(0)->setSelected(true);
    frame.OpenLibraryPair();
  }
  state.counters["MB"] = static_cast<double>(fs::file_size(a) + fs::file_size(b)) / 1e6;
  state.counters["objects"] = frame.lvObjs->topLevelItemCount();
  state.counters["changed"] = frame.Model().ObjectCounts().Changed;
  main.tbLibModeClick();
  frame.tbClear1Click();
  frame.tbClear2Click();
}

}  // namespace

BENCHMARK(PairHundredLibraries)->Unit(benchmark::kMillisecond);
BENCHMARK(OpenPairOfLargeLibraries)->Unit(benchmark::kMillisecond);
