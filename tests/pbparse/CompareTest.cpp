// The comparison by section: moved, added, deleted and changed sections of real objects, the
// rows of the by-section view, and the object check by structure with the kind of a change.
#include <gtest/gtest.h>

#include <map>

#include "RealExports.h"
#include "compare/Structured.h"
#include "pbparse/Compare.h"
#include "pbparse/Defaults.h"
#include "pbparse/Sections.h"

using namespace pbparse;
using pbtest::Split;

namespace {

struct TText {
  std::vector<std::string> Lines;
  TStructure Structure;
};

TText Parsed(std::vector<std::string> lines) {
  TText t{std::move(lines), {}};
  t.Structure = ParseStructure(t.Lines);
  return t;
}

// The text rebuilt from its sections in another order, with `extra` lines appended.
std::vector<std::string> Reordered(const TText& t, const std::vector<std::size_t>& order,
                                   const std::vector<std::string>& extra = {}) {
  std::vector<std::string> out;
  for (std::size_t i : order) {
    const TSection& s = t.Structure.Sections[i];
    out.insert(out.end(), t.Lines.begin() + s.First, t.Lines.begin() + s.Last + 1);
  }
  out.insert(out.end(), extra.begin(), extra.end());
  return out;
}

// "status key" of every pair that is not the same, in pair order.
std::vector<std::string> Differences(const TStructuredDiff& d, const TText& a, const TText& b) {
  std::vector<std::string> out;
  for (const auto& p : d.Pairs) {
    if (p.Status == TSectionStatus::Same) continue;
    const TSection& s = p.Index1 >= 0 ? a.Structure.Sections[static_cast<std::size_t>(p.Index1)]
                                      : b.Structure.Sections[static_cast<std::size_t>(p.Index2)];
    const bool movedAndChanged = p.Status == TSectionStatus::Moved && p.Changed;
    out.push_back(std::string(StatusName(p.Status)) + (movedAndChanged ? "+changed " : " ") + s.Key);
  }
  return out;
}

// The real object with many functions, its function sections, and a variant of it: two functions
// moved to the end and an overload of a third added after them.
struct TMovedFunctions {
  TText Original, Variant;
  std::string Moved1, Moved2, Overload;
};

TMovedFunctions MoveTwoAndAddAnOverload(bool changeOneMoved) {
  TMovedFunctions m;
  m.Original = Parsed(pbtest::Load(pbtest::Pb2021("pfcapsrv", "pfc_n_cst_platform.sru")));
  std::vector<std::size_t> functions, order;
  for (std::size_t i = 0; i < m.Original.Structure.Sections.size(); ++i)
    if (m.Original.Structure.Sections[i].Kind == TSectionKind::Function) functions.push_back(i);
  const std::size_t a = functions.at(2), b = functions.at(3), c = functions.at(0);
  for (std::size_t i = 0; i < m.Original.Structure.Sections.size(); ++i)
    if (i != a && i != b) order.push_back(i);
  order.push_back(a);
  order.push_back(b);
  const TSection& over = m.Original.Structure.Sections[c];
  std::vector<std::string> overload(m.Original.Lines.begin() + over.First, m.Original.Lines.begin() + over.Last + 1);
  std::string& header = overload[0];
  header.insert(header.find(')'), header[header.find('(') + 1] == ')' ? "long al_extra" : ", long al_extra");
  m.Variant = Parsed(Reordered(m.Original, order, overload));
  if (changeOneMoved) {
    const TSection& moved = m.Variant.Structure.Sections[m.Variant.Structure.Sections.size() - 3];
    m.Variant.Lines[static_cast<std::size_t>(moved.First + 1)] += " // edited";
  }
  m.Moved1 = m.Original.Structure.Sections[a].Key;
  m.Moved2 = m.Original.Structure.Sections[b].Key;
  m.Overload = m.Variant.Structure.Sections.back().Key;
  return m;
}

TEST(BySection, MovedFunctionsAndAnAddedOverloadOfARealObject) {
  SKIP_WITHOUT_PFC();
  for (bool edited : {false, true}) {
    TMovedFunctions m = MoveTwoAndAddAnOverload(edited);
    ASSERT_EQ(m.Variant.Structure.Type, TTextType::Script) << m.Variant.Structure.Reason;
    TStructuredDiff d = CompareStructures(m.Original.Structure, m.Original.Lines, m.Variant.Structure, m.Variant.Lines, {});
    ASSERT_TRUE(d.Structured);
    std::string moved = edited ? "moved+changed " : "moved ";
    EXPECT_EQ(Differences(d, m.Original, m.Variant),
              (std::vector<std::string>{moved + m.Moved1, "moved " + m.Moved2, "added " + m.Overload}))
        << "edited " << edited;
    EXPECT_FALSE(d.Same);
    EXPECT_EQ(d.Ignored, dfOrder);
    // The other way round the overload is deleted.
    TStructuredDiff back = CompareStructures(m.Variant.Structure, m.Variant.Lines, m.Original.Structure, m.Original.Lines, {});
    EXPECT_EQ(Differences(back, m.Variant, m.Original).back(), "deleted " + m.Overload);
  }
}

TEST(BySection, OrderAloneIsTheSame) {
  SKIP_WITHOUT_PFC();
  TMovedFunctions m = MoveTwoAndAddAnOverload(false);
  m.Variant = Parsed(std::vector<std::string>(m.Variant.Lines.begin(),
                                              m.Variant.Lines.begin() + m.Variant.Structure.Sections.back().First));
  TStructuredDiff d = CompareStructures(m.Original.Structure, m.Original.Lines, m.Variant.Structure, m.Variant.Lines, {});
  EXPECT_TRUE(d.Same);
  EXPECT_EQ(d.Ignored, dfOrder);
}

// The by-section view shows every line of both sides once, side 1's sections in their order.
TEST(BySection, RowsHoldEveryLineOfBothSidesOnce) {
  SKIP_WITHOUT_PFC();
  TMovedFunctions m = MoveTwoAndAddAnOverload(true);
  TStructuredDiff d = CompareStructures(m.Original.Structure, m.Original.Lines, m.Variant.Structure, m.Variant.Lines, {});
  std::vector<TSectionRow> rows = SectionRows(d, m.Original.Structure, m.Original.Lines, m.Variant.Structure, m.Variant.Lines, {});
  std::vector<int> seen1(m.Original.Lines.size()), seen2(m.Variant.Lines.size());
  std::int32_t last1 = -1, pair = 0;
  for (const auto& r : rows) {
    if (r.Line1 >= 0) {
      ++seen1[static_cast<std::size_t>(r.Line1)];
      EXPECT_GT(r.Line1, last1);
      last1 = r.Line1;
    }
    if (r.Line2 >= 0) ++seen2[static_cast<std::size_t>(r.Line2)];
    EXPECT_GE(r.Pair, pair);
    pair = r.Pair;
    EXPECT_EQ(r.Kind == 0, r.Line1 >= 0 && r.Line2 >= 0 && m.Original.Lines[static_cast<std::size_t>(r.Line1)] ==
                                                               m.Variant.Lines[static_cast<std::size_t>(r.Line2)]);
  }
  EXPECT_EQ(std::count(seen1.begin(), seen1.end(), 1), static_cast<long>(seen1.size()));
  EXPECT_EQ(std::count(seen2.begin(), seen2.end(), 1), static_cast<long>(seen2.size()));
  EXPECT_EQ(std::count_if(rows.begin(), rows.end(), [](const TSectionRow& r) { return r.Kind == 3; }), 1);
}

TEST(BySection, TwoReleasesOfARealObject) {
  SKIP_WITHOUT_PFC();
  TText a = Parsed(pbtest::Load(pbtest::Pb2017("pfcapsrv", "pfc_n_cst_platform.sru")));
  TText b = Parsed(pbtest::Load(pbtest::Pb2021("pfcapsrv", "pfc_n_cst_platform.sru")));
  TStructuredDiff d = CompareStructures(a.Structure, a.Lines, b.Structure, b.Lines, {});
  EXPECT_EQ(Differences(d, a, b),
            (std::vector<std::string>{"changed type variables", "changed forward prototypes",
                                      "added function of_getpbvmname()", "added event pfc_n_cst_platform::constructor"}));
}

std::vector<std::string> NonBlank(const std::vector<std::string>& lines) {
  std::vector<std::string> out;
  for (const auto& l : lines)
    if (l.find_first_not_of(" \t") != std::string::npos) out.push_back(l);
  return out;
}

// Every object of two releases, the older ones HEXASCII exports: nothing moved between them, so
// the sections find a difference exactly where the lines do.
TEST(BySection, TwoReleasesAgreeWithTheLinesObjectByObject) {
  SKIP_WITHOUT_PFC();
  int pairs = 0, changed = 0;
  for (const auto& old : pbtest::AllExports()) {
    if (old.generic_string().find("/PB2017/") == std::string::npos) continue;
    const std::string lib = old.parent_path().filename().string();
    const pbtest::fs::path now = pbtest::Pb2021(lib, old.filename().string());
    if (!pbtest::fs::exists(now)) continue;
    TText a = Parsed(pbtest::Load(old)), b = Parsed(pbtest::Load(now));
    TStructuredDiff d = CompareStructures(a.Structure, a.Lines, b.Structure, b.Lines, {});
    ASSERT_TRUE(d.Structured) << old << ": " << d.Reason;
    EXPECT_EQ(d.Same, NonBlank(a.Lines) == NonBlank(b.Lines)) << old;  // blank lines are no change
    EXPECT_EQ(d.Ignored, 0) << old;
    ++pairs;
    changed += d.Same ? 0 : 1;
  }
  EXPECT_GT(pairs, 100);
  EXPECT_GT(changed, 10);
}

TEST(BySection, TextsOfDifferentKindsAreNotComparedBySection) {
  TText script = Parsed(Split("global type x from y\nend type\n"));
  TText dw = Parsed(Split("release 10;\ndatawindow(units=0)\n"));
  TText plain = Parsed(Split("hello\n"));
  EXPECT_EQ(CompareStructures(script.Structure, script.Lines, dw.Structure, dw.Lines, {}).Reason,
            "one side is a DataWindow, the other a script object");
  TStructuredDiff d = CompareStructures(script.Structure, script.Lines, plain.Structure, plain.Lines, {});
  EXPECT_FALSE(d.Structured);
  EXPECT_EQ(d.Reason, "side 2: line 1: \"hello\" starts no section");
}

// The object check by structure: which options decide a pair, and what kind of change it is.
TEST(StructuredCheck, OptionsDecidePairsAndNameTheKindOfChange) {
  const std::string script = "global type n from nonvisualobject\nend type\n";
  const std::string f1 = "public function long of_a ();return 1\nend function\n";
  const std::string f2 = "public function long of_b ();return 2\nend function\n";
  const std::string dw = "release 12.5;\ndatawindow(units=0 )\ntext(name=t_1 x=\"10\" text=\"a\" )\ncolumn(name=c_1 x=\"5\" )\n";
  auto table = std::make_shared<TDefaults>();
  table->AddText("* transparency=0\n");
  struct TCase {
    const char* Name;
    std::string Text1, Text2;
    bool BySection, IgnorePosition, IgnoreDefaults;
    std::optional<bool> Same;
    const char* Kind;
    bool IgnoreComments = false;
  } cases[] = {
      {"functions swapped", script + f1 + f2, script + f2 + f1, false, false, false, std::nullopt, "order"},
      {"functions swapped by section", script + f1 + f2, script + f2 + f1, true, false, false, true, "order"},
      {"swapped and edited", script + f1 + f2, script + f2 + f1 + "//x\nevent e;\nend event\n", true, false, false, false,
       "content"},
      {"position only", dw, "release 12.5;\ndatawindow(units=0 )\ntext(name=t_1 x=\"99\" text=\"a\" )\ncolumn(name=c_1 x=\"5\" )\n",
       false, false, false, std::nullopt, "position"},
      {"position ignored", dw, "release 12.5;\ndatawindow(units=0 )\ntext(name=t_1 x=\"99\" text=\"a\" )\ncolumn(name=c_1 x=\"5\" )\n",
       false, true, false, true, "position"},
      {"position by section only", dw,
       "release 12.5;\ndatawindow(units=0 )\ntext(name=t_1 x=\"99\" text=\"a\" )\ncolumn(name=c_1 x=\"5\" )\n", true, false,
       false, false, "position"},
      {"defaults ignored", dw, "release 12.5;\ndatawindow(units=0 )\ntext(name=t_1 x=\"10\" text=\"a\" transparency=\"0\" )\ncolumn(name=c_1 x=\"5\" )\n",
       false, false, true, true, "defaults"},
      {"objects reordered without by section", dw,
       "release 12.5;\ndatawindow(units=0 )\ncolumn(name=c_1 x=\"5\" )\ntext(name=t_1 x=\"10\" text=\"a\" )\n", false, true, false,
       false, "order"},
      {"layout only", dw, "release 12.5;\ndatawindow(units = 0)\ntext(name=t_1 x=10 text=\"a\")\ncolumn(name=c_1 x=\"5\")\n",
       true, false, false, true, "layout"},
      {"a text not understood", "x\n", "y\n", true, false, false, std::nullopt, "content"},
      {"a comment changed, comments ignored", script + f1 + f2,
       script + "public function long of_a ();return 1 // one\nend function\n" + f2, true, false, false, true, "layout",
       true},
      {"a comment changed", script + f1 + f2, script + "public function long of_a ();return 1 // one\nend function\n" + f2,
       true, false, false, false, "content"},
  };
  for (const TCase& c : cases) {
    compare::TCompareOptions options;
    options.BySection = c.BySection;
    options.IgnorePosition = c.IgnorePosition;
    options.IgnoreDefaults = c.IgnoreDefaults;
    options.IgnoreComments = c.IgnoreComments;
    options.Defaults = table.get();
    compare::TChangeNote note;
    std::optional<bool> same = compare::CheckByStructure(Split(c.Text1), Split(c.Text2), options, &note);
    EXPECT_EQ(same, c.Same) << c.Name;
    EXPECT_EQ(compare::ChangeKindText(note.Kind), c.Kind) << c.Name;
    EXPECT_EQ(note.ByStructure, c.Same.has_value()) << c.Name;
  }
}

}  // namespace
