// The structure of PowerBuilder sources on large generated objects: a user object of 2,000
// functions compared by section with a copy in which functions moved, changed and were added,
// and a DataWindow of 2,000 controls compared attribute by attribute with its migrated copy.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>

#include "pbparse/Compare.h"
#include "pbparse/DataWindow.h"
#include "pbparse/Defaults.h"
#include "pbparse/Sections.h"

namespace {

using Lines = std::vector<std::string>;

std::string Function(int i) { return "public function long of_f" + std::to_string(i) + " (string as_a, long al_b[]);"; }

// An object of `functions` functions of 25 lines each.
Lines UserObject(int functions, std::mt19937& rng, bool edited) {
  Lines lines = {"$PBExportHeader$n_big.sru", "forward", "global type n_big from nonvisualobject", "end type",
                 "end forward", "", "global type n_big from nonvisualobject", "end type", "global n_big n_big", ""};
  std::vector<int> order(static_cast<std::size_t>(functions));
  for (int i = 0; i < functions; ++i) order[static_cast<std::size_t>(i)] = i;
  if (edited) {
    // Every 50th function moves to the end; every 20th gets an edited line; 10 new overloads.
    std::stable_partition(order.begin(), order.end(), [](int i) { return i % 50 != 7; });
  }
  for (int i : order) {
    lines.push_back(Function(i) + "//comment of " + std::to_string(i));
    for (int k = 0; k < 22; ++k)
      lines.push_back("\tls_value = dw_1.GetItemString(" + std::to_string(k) + ", \"col_" + std::to_string(rng() % 1000) + "\")");
    if (edited && i % 20 == 3) lines.back() += " // edited";
    lines.push_back("end function");
    lines.push_back("");
  }
  if (edited)
    for (int i = 0; i < 10; ++i) {
      lines.push_back("public function long of_f" + std::to_string(i) + " (string as_a);return 0");
      lines.push_back("end function");
    }
  return lines;
}

// A DataWindow of `controls` columns and texts; `migrated` adds the attributes a newer release
// writes, as the real migrations do.
Lines DataWindow(int controls, bool migrated) {
  const std::string extra = migrated ? " background.transparency=\"0\" background.gradient.color=\"8421504\" "
                                       "tooltip.backcolor=\"134217752\" tooltip.delay.visible=\"32000\" transparency=\"0\""
                                     : "";
  Lines lines = {"$PBExportHeader$d_big.srd", migrated ? "release 12.5;" : "release 8;",
                 "datawindow(units=0 timer_interval=0 color=16777215 processing=0 )",
                 "header(height=72 color=\"536870912\" )", "detail(height=88 color=\"536870912\" )"};
  lines.push_back("table(column=(type=char(50) updatewhereclause=yes name=c0 dbname=\"c0\" )");
  for (int i = 1; i < controls; ++i)
    lines.push_back(" column=(type=char(50) updatewhereclause=yes name=c" + std::to_string(i) + " dbname=\"c" +
                    std::to_string(i) + "\" )");
  lines.push_back(" retrieve=\"SELECT * FROM t\" )");
  for (int i = 0; i < controls; ++i) {
    std::string n = std::to_string(i);
    lines.push_back("column(band=detail id=" + std::to_string(i + 1) + " alignment=\"0\" tabsequence=10 border=\"5\" "
                    "color=\"33554687\" x=\"" + std::to_string(i * 10) + "\" y=\"12\" height=\"64\" width=\"549\" "
                    "format=\"[general]\" name=c" + n + " visible=\"1\" edit.limit=0 font.face=\"Arial\" "
                    "font.height=\"-8\" background.mode=\"2\" background.color=\"1086381248\"" + extra + " )");
    lines.push_back("text(band=header alignment=\"0\" text=\"Column " + n + "\" border=\"0\" color=\"33554432\" x=\"" +
                    std::to_string(i * 10) + "\" y=\"16\" height=\"52\" width=\"549\" name=t_" + n +
                    " visible=\"1\" font.face=\"Arial\"" + extra + " )");
  }
  return lines;
}

void BM_ScriptBySection(benchmark::State& state) {
  std::mt19937 rng(3);
  const int n = static_cast<int>(state.range(0));
  Lines a = UserObject(n, rng, false);
  std::mt19937 same(3);
  Lines b = UserObject(n, same, true);
  std::size_t moved = 0;
  for (auto _ : state) {
    pbparse::TStructure s1 = pbparse::ParseStructure(a), s2 = pbparse::ParseStructure(b);
    pbparse::TStructuredDiff d = pbparse::CompareStructures(s1, a, s2, b, {});
    moved = static_cast<std::size_t>(std::count_if(d.Pairs.begin(), d.Pairs.end(), [](const auto& p) {
      return p.Status == pbparse::TSectionStatus::Moved;
    }));
    benchmark::DoNotOptimize(d);
  }
  state.counters["lines"] = static_cast<double>(a.size() + b.size());
  state.counters["moved"] = static_cast<double>(moved);
}
BENCHMARK(BM_ScriptBySection)->Arg(2000)->Unit(benchmark::kMillisecond);

void BM_DataWindowByAttribute(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  Lines a = DataWindow(n, false), b = DataWindow(n, true);
  pbparse::TDefaults defaults;
  defaults.AddText("* *transparency=0\n* *gradient.color=8421504\n* tooltip.backcolor=134217752\n"
                   "* tooltip.delay.visible=32000\n");
  pbparse::TCompareRules rules;
  rules.IgnoreDefaults = true;
  rules.Defaults = &defaults;
  std::size_t items = 0;
  for (auto _ : state) {
    pbparse::TStructure s1 = pbparse::ParseStructure(a), s2 = pbparse::ParseStructure(b);
    pbparse::TStructuredDiff d = pbparse::CompareStructures(s1, a, s2, b, rules);
    items = d.Items.size();
    benchmark::DoNotOptimize(d);
  }
  state.counters["items"] = static_cast<double>(items);  // the release line alone
}
BENCHMARK(BM_DataWindowByAttribute)->Arg(2000)->Unit(benchmark::kMillisecond);

void BM_DataWindowTextForm(benchmark::State& state) {
  Lines a = DataWindow(static_cast<int>(state.range(0)), true);
  std::size_t lines = 0;
  for (auto _ : state) {
    pbparse::TStructure s = pbparse::ParseStructure(a);
    lines = pbparse::DataWindowTextForm(a, *s.DataWindow).Lines.size();
  }
  state.counters["form lines"] = static_cast<double>(lines);
}
BENCHMARK(BM_DataWindowTextForm)->Arg(2000)->Unit(benchmark::kMillisecond);

}  // namespace
