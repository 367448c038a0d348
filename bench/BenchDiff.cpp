// The difference engine on long texts, and quorvex-cli diff beside GNU diff --minimal on the same
// generated files (the "ratio" counter is our time over GNU diff's).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <random>

#include "LibWriter.h"
#include "diff/DiffUnit.h"
#include "diff/HashUnit.h"

using diff::HashLines;
using diff::TDiff;
using diff::TLineClasses;

namespace {

namespace fs = std::filesystem;

// Source-like lines: mostly distinct statements, some frequent ones (blank lines, "end if").
std::vector<std::string> SourceLines(std::mt19937& rng, int n) {
  static const char* kCommon[] = {"", "end if", "next", "return", "else", "end choose", "\t", "//"};
  std::vector<std::string> lines;
  lines.reserve(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    int r = std::uniform_int_distribution<int>(0, 99)(rng);
    if (r < 25) {
      lines.emplace_back(kCommon[r % 8]);
    } else {
      lines.push_back("\tls_value" + std::to_string(rng() % 5000) + " = dw_1.GetItemString(ll_row, \"col_" +
                      std::to_string(rng() % 100000) + "\")");
    }
  }
  return lines;
}

// Edits `share` of the lines (edited, inserted or deleted, in equal parts) at random places.
std::vector<std::string> EditLines(std::mt19937& rng, std::vector<std::string> lines, double share) {
  std::size_t edits = static_cast<std::size_t>(static_cast<double>(lines.size()) * share);
  for (std::size_t e = 0; e < edits; ++e) {
    std::size_t at = std::uniform_int_distribution<std::size_t>(0, lines.size() - 1)(rng);
    std::string fresh = "\tli_edit" + std::to_string(rng()) + " = " + std::to_string(e);
    switch (e % 3) {
      case 0: lines[at] = fresh; break;
      case 1: lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), fresh); break;
      default: lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(at)); break;
    }
  }
  return lines;
}

void BM_DiffScatteredChanges(benchmark::State& state) {
  std::mt19937 rng(1);
  const int n = static_cast<int>(state.range(0));
  std::vector<std::uint32_t> a(static_cast<std::size_t>(n));
  for (auto& v : a) v = rng();
  std::vector<std::uint32_t> b = a;
  for (int i = 0; i < static_cast<int>(state.range(1)); ++i) b[rng() % b.size()] = rng();
  TDiff diff;
  for (auto _ : state) {
    benchmark::DoNotOptimize(diff.Execute(a, b));
  }
  state.counters["records"] = diff.ChangeCount();
}
BENCHMARK(BM_DiffScatteredChanges)->Args({1000000, 1000})->Args({1000000, 10000})->Unit(benchmark::kMillisecond);

// Texts without a long common run: a text against a shuffled copy (arg 0) or its reverse (arg 1),
// by each method (arg 2: automatic, Myers, bit-parallel).
void BM_DiffUnrelated(benchmark::State& state) {
  const int n = 10000;
  std::vector<std::uint32_t> a(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) a[static_cast<std::size_t>(i)] = static_cast<std::uint32_t>(i % (n / 4));
  std::vector<std::uint32_t> b = a;
  if (state.range(0) == 0)
    std::shuffle(b.begin(), b.end(), std::mt19937(6));
  else
    std::reverse(b.begin(), b.end());
  TDiff diff;
  diff.Tuning.Method = static_cast<TDiff::TMethod>(state.range(1));
  for (auto _ : state) benchmark::DoNotOptimize(diff.Execute(a, b));
  state.counters["records"] = diff.ChangeCount();
}
BENCHMARK(BM_DiffUnrelated)->ArgsProduct({{0, 1}, {0, 1, 2}})->Unit(benchmark::kMillisecond);

void BM_HashLines(benchmark::State& state) {
  std::mt19937 rng(2);
  std::vector<std::string> lines = SourceLines(rng, 200000);
  for (auto _ : state) benchmark::DoNotOptimize(HashLines(lines, state.range(0) != 0, state.range(0) != 0));
}
BENCHMARK(BM_HashLines)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Line classes of 200,000 source-like lines (the numbering that comes before every comparison).
void BM_LineClasses(benchmark::State& state) {
  std::mt19937 rng(2);
  std::vector<std::string> lines = SourceLines(rng, 200000);
  for (auto _ : state) {
    TLineClasses classes(state.range(0) != 0, state.range(0) != 0);
    benchmark::DoNotOptimize(classes.OfLines(lines));
  }
}
BENCHMARK(BM_LineClasses)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// quorvex-cli beside the benchmark program (build/bench/.. /cli/quorvex-cli), or $QUORVEX_CLI.
fs::path CliPath() {
  if (const char* env = std::getenv("QUORVEX_CLI")) return env;
  return fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "cli" / "quorvex-cli";
}

void WriteLines(const fs::path& p, const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& l : lines) text += l + "\n";
  FILE* f = std::fopen(p.c_str(), "wb");
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);
}

double Seconds(const std::string& cmd) {
  auto start = std::chrono::steady_clock::now();
  int rc = std::system((cmd + " >/dev/null 2>&1").c_str());
  (void)rc;
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Arg 0: (a) 200,000 lines, 1 % edited; 1: (b) the same with 10 %; 2: (c) two unrelated texts of
// 20,000 lines.
void BM_CliDiffBesideGnuDiff(benchmark::State& state) {
  static testsupport::TTempDir dir;
  fs::path cli = CliPath();
  if (!fs::exists(cli)) {
    state.SkipWithError("quorvex-cli not found; set QUORVEX_CLI");
    return;
  }
  std::mt19937 rng(3);
  std::vector<std::string> t1, t2;
  switch (state.range(0)) {
    case 0: t1 = SourceLines(rng, 200000); t2 = EditLines(rng, t1, 0.01); break;
    case 1: t1 = SourceLines(rng, 200000); t2 = EditLines(rng, t1, 0.10); break;
    default: t1 = SourceLines(rng, 20000); t2 = SourceLines(rng, 20000); break;
  }
  fs::path p1 = dir.Path() / "one.txt", p2 = dir.Path() / "two.txt";
  WriteLines(p1, t1);
  WriteLines(p2, t2);
  const std::string files = " '" + p1.string() + "' '" + p2.string() + "'";
  double ours = 0, gnu = 0;
  for (auto _ : state) {
    double o = Seconds("'" + cli.string() + "' diff" + files);
    double g = Seconds("diff --minimal" + files);
    ours += o;
    gnu += g;
    state.SetIterationTime(o);
  }
  state.counters["gnu_s"] = gnu / static_cast<double>(state.iterations());
  state.counters["ratio"] = gnu > 0 ? ours / gnu : 0;
}
BENCHMARK(BM_CliDiffBesideGnuDiff)->Arg(0)->Arg(1)->Arg(2)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
