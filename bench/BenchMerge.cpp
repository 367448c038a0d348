// The three-way merge of a user object of about 10,000 lines: each side edits 20 functions (other
// ones) and adds 5; ours also moves 10 to the end and theirs adds 3 variables. By line and by
// section, in memory (quorvex-cli's start-up and file reading not counted).
#include <benchmark/benchmark.h>

#include <random>

#include "merge/MergeFiles.h"

namespace {

struct TFunction {
  std::string Name;
  std::vector<std::string> Body;
};

std::string Text(const std::vector<std::string>& variables, const std::vector<TFunction>& functions) {
  std::string t = "$PBExportHeader$n_big.sru\nforward\nglobal type n_big from nonvisualobject\nend type\nend forward\n\n"
                  "global type n_big from nonvisualobject\nend type\nglobal n_big n_big\n\ntype variables\n";
  for (const auto& v : variables) t += v + "\n";
  t += "end variables\n\nforward prototypes\n";
  for (const auto& f : functions) t += "public function long " + f.Name + " (string as_a)\n";
  t += "end prototypes\n\n";
  for (const auto& f : functions) {
    t += "public function long " + f.Name + " (string as_a);" + f.Body.front() + "\n";
    for (std::size_t k = 1; k < f.Body.size(); ++k) t += f.Body[k] + "\n";
    t += "end function\n\n";
  }
  return t + "on n_big.create\ncall super::create\nend on\n\non n_big.destroy\ncall super::destroy\nend on\n";
}

struct TInputs {
  merge::TMergeFile Base, Ours, Theirs;
};

const TInputs& Inputs() {
  static const TInputs inputs = [] {
    std::mt19937 rng(25);
    std::vector<std::string> variables;
    for (int v = 0; v < 40; ++v) variables.push_back("long il_value" + std::to_string(v));
    std::vector<TFunction> functions;
    for (int f = 0; f < 400; ++f) {
      TFunction fn{"of_f" + std::to_string(f), {}};
      for (int k = 0; k < 21; ++k)
        fn.Body.push_back("\tls_value = dw_1.GetItemString(" + std::to_string(k) + ", \"col_" + std::to_string(rng() % 1000) + "\")");
      fn.Body.push_back("return 1");
      functions.push_back(std::move(fn));
    }
    auto ours = functions, theirs = functions;
    auto theirVariables = variables;
    for (int k = 0; k < 20; ++k) {
      ours[static_cast<std::size_t>(k * 19)].Body[3] += " // ours";
      theirs[static_cast<std::size_t>(k * 19 + 7)].Body[5] += " // theirs";
    }
    for (int k = 0; k < 10; ++k) {
      TFunction moved = ours[static_cast<std::size_t>(k * 31 + 2)];
      ours.erase(ours.begin() + k * 31 + 2);
      ours.push_back(std::move(moved));
    }
    for (int k = 0; k < 5; ++k) {
      ours.push_back({"of_ours" + std::to_string(k), {"return 2"}});
      theirs.push_back({"of_theirs" + std::to_string(k), {"return 3"}});
    }
    for (int k = 0; k < 3; ++k) theirVariables.push_back("string is_theirs" + std::to_string(k));
    return TInputs{{"n_big.sru", Text(variables, functions)}, {"n_big.sru", Text(variables, ours)},
                   {"n_big.sru", Text(theirVariables, theirs)}};
  }();
  return inputs;
}

void BM_MergeExportByLine(benchmark::State& state) {
  const TInputs& in = Inputs();
  for (auto _ : state) benchmark::DoNotOptimize(merge::MergeFiles(in.Ours, in.Base, in.Theirs, {}, false));
}
BENCHMARK(BM_MergeExportByLine)->Unit(benchmark::kMillisecond);

void BM_MergeExportBySection(benchmark::State& state) {
  const TInputs& in = Inputs();
  int conflicts = 0;
  for (auto _ : state) conflicts = merge::MergeFiles(in.Ours, in.Base, in.Theirs, {}, true).Conflicts;
  state.counters["conflicts"] = conflicts;
}
BENCHMARK(BM_MergeExportBySection)->Unit(benchmark::kMillisecond);

}  // namespace
