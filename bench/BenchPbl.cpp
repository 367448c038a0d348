// Directory read and full export of large libraries: a synthetic one of 50,000 entries (about
// 100 MB, both variants) and the real ones of ../shared/testdata.
#include <benchmark/benchmark.h>

#include "LibWriter.h"
#include "pbl/PbFuncs.h"

using pbl::ExportEntry;
using pbl::ReadLibDirectory;
using pbl::TDirList;
using pbl::TLibStream;

namespace {

using testsupport::TFakeEntry;
using testsupport::TLibWriter;

constexpr int kEntries = 50000;
constexpr int kPerNode = 20;

// A source text of about `bytes` bytes that looks like PowerScript.
std::string SourceText(int n, std::size_t bytes) {
  std::string text = "global type w_obj" + std::to_string(n) + " from window\r\nend type\r\n";
  int line = 0;
  while (text.size() < bytes)
    text += "\tinteger li_" + std::to_string(line++) + " = " + std::to_string(n) + " // 计数器\r\n";
  return text;
}

const std::filesystem::path& BigLibrary(bool unicode) {
  static testsupport::TTempDir dir;
  static std::filesystem::path paths[2];
  std::filesystem::path& p = paths[unicode];
  if (p.empty()) {
    TLibWriter w(unicode);
    const int nodes = kEntries / kPerNode;
    for (int n = 0; n < nodes; ++n) {
      std::vector<TFakeEntry> entries;
      for (int i = 0; i < kPerNode; ++i) {
        int id = n * kPerNode + i;
        entries.push_back({"w_obj" + std::to_string(id) + ".srw", SourceText(id, unicode ? 1000 : 2000), id, 0});
      }
      w.AddNode(std::move(entries));
    }
    for (int n = 0; n < nodes; ++n)
      w.SetChildren(n, 2 * n + 1 < nodes ? 2 * n + 1 : -1, 2 * n + 2 < nodes ? 2 * n + 2 : -1);
    p = dir.Write(unicode ? "big16.pbl" : "big8.pbl", w.Build());
  }
  return p;
}

void ReadDirectory(benchmark::State& state, const std::filesystem::path& path) {
  TLibStream stream(path);
  std::size_t entries = 0;
  for (auto _ : state) {
    TDirList list;
    ReadLibDirectory(stream, list);
    entries = list.size();
    benchmark::DoNotOptimize(list.data());
  }
  state.counters["entries/s"] = benchmark::Counter(static_cast<double>(entries), benchmark::Counter::kIsIterationInvariantRate);
  state.counters["entries"] = static_cast<double>(entries);
}

void ExportAll(benchmark::State& state, const std::filesystem::path& path) {
  TLibStream stream(path);
  TDirList list;
  ReadLibDirectory(stream, list);
  double bytes = 0;
  for (const auto& item : list) bytes += item.Rec->Size;
  for (auto _ : state) {
    std::size_t lines = 0;
    for (const auto& item : list) {
      std::vector<std::string> text;
      ExportEntry(stream, *item.Rec, text);
      lines += text.size();
    }
    benchmark::DoNotOptimize(lines);
  }
  state.counters["entries/s"] = benchmark::Counter(static_cast<double>(list.size()), benchmark::Counter::kIsIterationInvariantRate);
  state.counters["MB/s"] = benchmark::Counter(bytes / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

void RegisterAll() {
  for (bool unicode : {false, true}) {
    std::string name = unicode ? "Synthetic16bit" : "Synthetic8bit";
    benchmark::RegisterBenchmark(("ReadDirectory/" + name).c_str(), [unicode](benchmark::State& s) { ReadDirectory(s, BigLibrary(unicode)); })
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("ExportAll/" + name).c_str(), [unicode](benchmark::State& s) { ExportAll(s, BigLibrary(unicode)); })
        ->Unit(benchmark::kMillisecond);
  }
  std::filesystem::path data = testsupport::TestDataDir();
  if (data.empty()) return;
  for (const char* file : {"pfcmsg-pb9-8bit.pbl", "pfcmsg-pb10-16bit.pbl", "pbexamfn-pb10-16bit.pbl"}) {
    std::filesystem::path p = data / file;
    benchmark::RegisterBenchmark((std::string("ReadDirectory/") + file).c_str(), [p](benchmark::State& s) { ReadDirectory(s, p); })
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark((std::string("ExportAll/") + file).c_str(), [p](benchmark::State& s) { ExportAll(s, p); })
        ->Unit(benchmark::kMicrosecond);
  }
}

const bool registered = (RegisterAll(), true);

}  // namespace
