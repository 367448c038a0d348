// Collecting and pairing sides beyond library files: a target naming 20,000 libraries that are not
// in its folder of 5,000 files (each name is looked up without regard to case), and two folders of
// 2,000 exported objects each paired object by object.
#include <benchmark/benchmark.h>

#include "LibWriter.h"
#include "compare/Pairing.h"
#include "sides/Collect.h"

using diff::TDiff;

using pbl::TDirList;

namespace {

namespace fs = std::filesystem;

const fs::path& CrowdedTarget() {
  static testsupport::TTempDir dir;
  static fs::path target;
  if (target.empty()) {
    for (int i = 0; i < 5000; ++i) dir.Write("libs/File" + std::to_string(i) + ".txt", "");
    std::string list;
    for (int i = 0; i < 20000; ++i) list += (i ? ";" : "") + std::string("Missing") + std::to_string(i) + ".pbl";
    target = dir.Write("libs/app.pbt", "LIBLIST \"" + list + "\";\r\n");
  }
  return target;
}

void BM_TargetNamingMissingLibraries(benchmark::State& state) {
  const fs::path& target = CrowdedTarget();
  for (auto _ : state) {
    sides::TSideReport report;
    TLibSelection sel = CollectLibFiles({target}, sides::ftAuto, report);
    if (report.Problems().size() != 20000) state.SkipWithError("not every name was reported missing");
  }
}
BENCHMARK(BM_TargetNamingMissingLibraries)->Unit(benchmark::kMillisecond);

// Two source-control copies of one library: 2,000 objects of about 2 KB, 1 % of them changed.
const fs::path& ExportFolders() {
  static testsupport::TTempDir dir;
  if (!fs::exists(dir.Path() / "one")) {
    for (int i = 0; i < 2000; ++i) {
      std::string text = "\xEF\xBB\xBF$PBExportHeader$n_obj" + std::to_string(i) + ".sru\n";
      for (int line = 0; line < 80; ++line) text += "\tinteger li_" + std::to_string(line) + " = " + std::to_string(i) + "\n";
      const std::string name = "n_obj" + std::to_string(i) + ".sru";
      dir.Write("one/app.pbl.src/" + name, text);
      dir.Write("two/app.pbl.src/" + name, i % 100 == 0 ? text + "\tli_0 = 1\n" : text);
    }
  }
  return dir.Path();
}

void BM_PairTwoFoldersOfExports(benchmark::State& state) {
  const fs::path& root = ExportFolders();
  TDiff diff;
  TObjectCheck check;
  check.Diff = &diff;
  for (auto _ : state) {
    sides::TSideReport report;
    TLibSelection one = CollectLibFiles({root / "one"}, sides::ftAuto, report);
    TLibSelection two = CollectLibFiles({root / "two"}, sides::ftAuto, report);
    auto lib1 = sides::OpenLibrary(*one.at(0).Rec), lib2 = sides::OpenLibrary(*two.at(0).Rec);
    TDirList list1, list2;
    lib1->ReadDirectory(list1);
    lib2->ReadDirectory(list2);
    SortDirList(list1);
    SortDirList(list2);
    TCompareCounts counts;
    CompareObjects(list1, lib1.get(), list2, lib2.get(), counts, check);
    if (counts.Changed != 20) state.SkipWithError("the changed objects were not found");
  }
  state.counters["objects/s"] = benchmark::Counter(4000, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_PairTwoFoldersOfExports)->Unit(benchmark::kMillisecond);

}  // namespace
