// Any bytes as a PowerBuilder export: the section parser and the DataWindow parser never fail,
// their sections give the text back exactly, a DataWindow's text form reads as the same
// DataWindow, a text compares the same with itself, and two texts compare without harm, their
// by-section view showing every line once.
#include <cstdint>
#include <string_view>

#include "pbparse/Compare.h"
#include "pbparse/DataWindow.h"
#include "pbparse/Sections.h"
#include "platform/TextFile.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

void CheckOne(const std::vector<std::string>& lines, std::string_view hint) {
  using namespace pbparse;
  TStructure s = ParseStructure(lines, hint);
  if (s.Type == TTextType::Plain) {
    Check(!s.Reason.empty() && s.Sections.empty());
    return;
  }
  const std::string joined = JoinLines(lines);
  std::string back;
  for (std::size_t i = 0; i < s.Sections.size(); ++i) {
    Check(i == 0 ? s.Sections[i].Begin == 0 : s.Sections[i].Begin >= s.Sections[i - 1].Begin);
    Check(s.Sections[i].First <= s.Sections[i].Last);
    back += SectionText(s, joined, i);
  }
  Check(back == joined);
  TStructuredDiff self = CompareStructures(s, lines, s, lines, {});
  Check(self.Structured && self.Same && self.Ignored == 0 && self.Items.empty());
  if (s.Type == TTextType::Script) {
    std::vector<int> seen(lines.size());
    for (const TSectionRow& r : SectionRows(self, s, lines, s, lines, {})) {
      Check(r.Kind == 0 && r.Line1 == r.Line2 && r.Line1 >= 0);
      ++seen[static_cast<std::size_t>(r.Line1)];
    }
    for (int n : seen) Check(n == 1);
    return;
  }
  TTextForm form = DataWindowTextForm(lines, *s.DataWindow);
  Check(form.Lines.size() == form.Origins.size());
  TStructure f = ParseStructure(form.Lines, hint);
  Check(f.Type == TTextType::DataWindow);
  TStructuredDiff same = CompareStructures(s, lines, f, form.Lines, {});
  Check(same.Same && same.Ignored == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> lines;
  platform::SplitLines(platform::DecodeText(bytes), lines);
  CheckOne(lines, "");
  CheckOne(lines, "x.srd");
  // The first half against the second, both ways of reading them.
  std::vector<std::string> a(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(lines.size() / 2));
  std::vector<std::string> b(lines.begin() + static_cast<std::ptrdiff_t>(lines.size() / 2), lines.end());
  for (std::string_view hint : {"", "x.srd"}) {
    pbparse::TStructure sa = pbparse::ParseStructure(a, hint), sb = pbparse::ParseStructure(b, hint);
    pbparse::TCompareRules rules;
    rules.IgnorePosition = rules.IgnoreCase = true;
    pbparse::TStructuredDiff d = pbparse::CompareStructures(sa, a, sb, b, rules);
    if (d.Structured) pbparse::SectionRows(d, sa, a, sb, b, rules);
    // The view shows every line of both texts (as shown) exactly once.
    pbparse::TSectionView view = pbparse::BuildSectionView(a, b, hint, hint, rules);
    if (!view.Structured) continue;
    std::vector<int> seen1(view.Lines1.size()), seen2(view.Lines2.size());
    for (const auto& r : view.Rows) {
      if (r.Line1 >= 0) ++seen1.at(static_cast<std::size_t>(r.Line1));
      if (r.Line2 >= 0) ++seen2.at(static_cast<std::size_t>(r.Line2));
    }
    for (int n : seen1) Check(n == 1);
    for (int n : seen2) Check(n == 1);
  }
  return 0;
}
