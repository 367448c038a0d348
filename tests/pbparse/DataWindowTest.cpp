// The DataWindow parser, its text form and the attribute comparison: values of every shape,
// object keys, fallbacks, a real migration reduced to its real changes, a copy with only
// positions changed, and the table of migration defaults.
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <set>

#include "RealExports.h"
#include "pbparse/Compare.h"
#include "pbparse/DataWindow.h"
#include "pbparse/Defaults.h"
#include "pbparse/Sections.h"
#include "platform/FileSys.h"

using namespace pbparse;
using pbtest::Split;
namespace fs = std::filesystem;

namespace {

const char* const kEmployees =
    "$PBExportHeader$d_emp.srd\n$PBExportComments$Employees\nrelease 10;\n"
    "datawindow(units=0 color=16777215 print.orientation = 0 )\n"
    "header(height=72 color=\"536870912\" )\ndetail(height=80 color=\"536870912\" )\n"
    "table(column=(type=long updatewhereclause=yes key=yes name=emp_id dbname=\"employee.emp_id\" )\n"
    " column=(type=char(40) updatewhereclause=yes name=emp_name dbname=\"employee.emp_name\" values=\"A~\"B~~C\tA/\" )\n"
    " retrieve=\"PBSELECT( VERSION(400) TABLE(NAME=~\"employee~\" ) COLUMN(NAME=~\"employee.emp_id~\")\n"
    " COLUMN(NAME=~\"employee.emp_name~\")) \" update=\"employee\" updatewhere=1 "
    "arguments=((\"as_name\", string),(\"al_id\", number)) )\n"
    "group(level=1 header.height=76 trailer.height=0 by=(\"emp_id\" ) header.color=\"536870912\" )\n"
    "text(band=header text=\"Name ~\"quoted~\"\" x=\"9\" y=\"8\" height=\"64\" width=\"274\" name=emp_name_t )\n"
    "column(band=detail id=2 x=\"9\" y=\"8\" height=\"64\" width=\"987\" name=emp_name edit.limit=40 )\n"
    "compute(band=detail expression=\"if(emp_id > 0, 'a', ~\"b~\")\" name=c_flag )\n"
    "line(band=header x1=\"0\" y1=\"80\" x2=\"1200\" y2=\"80\" )\nline(band=header x1=\"0\" y1=\"90\" x2=\"1200\" y2=\"90\" )\n"
    "htmltable(border=\"1\" ) xhtmlgen()\n";

TDwParse Parse(const std::string& text) { return ParseDataWindow(Split(text)); }

const TDwObject* Object(const TDataWindow& dw, const std::string& key) {
  for (const auto& o : dw.Objects)
    if (o.Key == key) return &o;
  return nullptr;
}

const TDwAttribute* Attribute(const TDwObject* o, const std::string& key) {
  if (o)
    for (const auto& a : o->Attributes)
      if (a.Key == key) return &a;
  return nullptr;
}

// The value of an attribute (`norm`: its normalised value), or "<missing>".
std::string ValueOf(const TDataWindow& dw, const std::string& object, const std::string& key, bool norm = false) {
  const TDwAttribute* a = Attribute(Object(dw, object), key);
  return a ? (norm ? a->Norm : a->Value) : "<missing>";
}

TEST(DataWindow, ObjectsAreKeyedByNameLevelOrKeywordAndOrdinal) {
  TDwParse p = Parse(kEmployees);
  ASSERT_TRUE(p.DataWindow) << p.Reason;
  std::string keys;
  for (const auto& o : p.DataWindow->Objects) keys += (keys.empty() ? "" : "|") + o.Key;
  EXPECT_EQ(keys,
            "datawindow|header|detail|table|table.column emp_id|table.column emp_name|group 1|text emp_name_t|"
            "column emp_name|compute c_flag|line|line #2|htmltable|xhtmlgen");
  EXPECT_EQ(p.DataWindow->Release, "10");
  EXPECT_EQ(p.DataWindow->HeaderLines, 2);
  const TDwObject* table = Object(*p.DataWindow, "table");
  ASSERT_TRUE(table);
  EXPECT_EQ(table->First, 6);
  EXPECT_EQ(table->Last, 9);
  EXPECT_EQ(Object(*p.DataWindow, "table.column emp_name")->Parent, 3);
  EXPECT_EQ(Object(*p.DataWindow, "xhtmlgen")->First, 16);  // shares its line with htmltable
}

TEST(DataWindow, ValuesKeepTheirTextAndCompareNormalised) {
  TDwParse p = Parse(kEmployees);
  ASSERT_TRUE(p.DataWindow) << p.Reason;
  const TDataWindow& dw = *p.DataWindow;
  struct {
    const char* Object;
    const char* Attribute;
    std::string Value, Norm;
  } cases[] = {
      {"datawindow", "print.orientation", "0", "0"},
      {"header", "color", "\"536870912\"", "536870912"},
      {"table.column emp_name", "type", "char(40)", "char(40)"},
      {"table.column emp_name", "values", "\"A~\"B~~C\tA/\"", "A~\"B~~C\tA/"},
      {"table", "arguments", "((\"as_name\", string),(\"al_id\", number))", "((as_name string) (al_id number))"},
      {"table", "retrieve",
       "\"PBSELECT( VERSION(400) TABLE(NAME=~\"employee~\" ) COLUMN(NAME=~\"employee.emp_id~\")\n"
       " COLUMN(NAME=~\"employee.emp_name~\")) \"",
       "PBSELECT( VERSION(400) TABLE(NAME=~\"employee~\" ) COLUMN(NAME=~\"employee.emp_id~\")\n"
       " COLUMN(NAME=~\"employee.emp_name~\")) "},
      {"group 1", "by", "(\"emp_id\" )", "(emp_id)"},
      {"text emp_name_t", "text", "\"Name ~\"quoted~\"\"", "Name ~\"quoted~\""},
      {"compute c_flag", "expression", "\"if(emp_id > 0, 'a', ~\"b~\")\"", "if(emp_id > 0, 'a', ~\"b~\")"},
  };
  for (const auto& c : cases) {
    const TDwAttribute* a = Attribute(Object(dw, c.Object), c.Attribute);
    ASSERT_TRUE(a) << c.Object << " " << c.Attribute;
    EXPECT_EQ(a->Value, c.Value) << c.Attribute;
    EXPECT_EQ(a->Norm, c.Norm) << c.Attribute;
  }
  ASSERT_TRUE(Attribute(Object(dw, "table"), "retrieve"));
  EXPECT_EQ(Attribute(Object(dw, "table"), "retrieve")->Line, 8);
}

TEST(DataWindow, PipelinesSeparateByCommasAndKeyRepeatedCalls) {
  const std::string pipeline =
      "$PBExportHeader$p_copy.srp\n"
      "PIPELINE(source_connect=EAS Demo DB V126,destination_connect=EAS Demo DB V126,type=replace,commit=100)\n"
      "SOURCE(name=\"department\",COLUMN(type=long,name=\"dept_id\",key=yes)\n"
      " COLUMN(type=char,name=\"dept_name\",dbtype=\"char(40)\",nulls_allowed=no))\n"
      "RETRIEVE(statement=\"PBSELECT( VERSION(400) TABLE(NAME=~\"department~\" )) \")\n";
  TDwParse p = Parse(pipeline);
  ASSERT_TRUE(p.DataWindow) << p.Reason;
  const TDataWindow& dw = *p.DataWindow;
  EXPECT_EQ(dw.ReleaseLine, -1);
  EXPECT_EQ(ValueOf(dw, "PIPELINE", "source_connect"), "EAS Demo DB V126");
  EXPECT_EQ(ValueOf(dw, "PIPELINE", "commit"), "100");
  EXPECT_EQ(ValueOf(dw, "SOURCE department", "COLUMN #2", true),
            "COLUMN(type=char name=dept_name dbtype=char(40) nulls_allowed=no)");
  EXPECT_EQ(ParseStructure(Split("PIPELINE(a=1)\n"), "p_copy.srp").Type, TTextType::DataWindow);
  // Its text form keeps the commas, so that the unquoted values read the same again.
  TTextForm form = DataWindowTextForm(Split(pipeline), dw);
  EXPECT_EQ(form.Lines[2], "\tsource_connect=EAS Demo DB V126,");
  TStructure s = ParseStructure(Split(pipeline)), f = ParseStructure(form.Lines);
  EXPECT_TRUE(CompareStructures(s, Split(pipeline), f, form.Lines, {}).Same);
  // An unquoted value with blanks last in its list, its ')' then on the next line.
  for (const char* text : {"PIPELINE(type=replace,destination_connect=EAS Demo DB V126)\n",
                           "PIPELINE(a=1,\n\tb=x\fy)\n"}) {
    const auto lines = Split(text);
    TStructure s2 = ParseStructure(lines, "p.srp");
    ASSERT_EQ(s2.Type, TTextType::DataWindow) << text;
    TTextForm form2 = DataWindowTextForm(lines, *s2.DataWindow);
    EXPECT_TRUE(CompareStructures(s2, lines, ParseStructure(form2.Lines, "p.srp"), form2.Lines, {}).Same) << text;
  }
}

TEST(DataWindow, WhatIsNotUnderstoodFallsBackWithTheReason) {
  struct {
    std::string Text;
    const char* Reason;
  } cases[] = {
      {"release 10;\ndatawindow(units=0 text=\"abc )\n", "line 2: string is not closed"},
      {"release 10;\ndatawindow(units=0\n\n", "line 2: '(' is not closed"},
      {"release 10;\ndatawindow(units=0)\nheader height=72\n", "line 3: an object is expected: 'header' is not followed by '('"},
      {"release 10;\ndatawindow(units=0 =1)\n", "line 2: '=' without a name"},
      {"release 10\ndatawindow()\n", "line 1: the release line has no ';'"},
      {"release 10;\nd" + std::string(60, '(') + "\n", "line 2: lists nested more than 48 deep"},
  };
  for (const auto& c : cases) {
    TStructure s = ParseStructure(Split(c.Text), "d_x.srd");
    EXPECT_EQ(s.Type, TTextType::Plain) << c.Text;
    EXPECT_EQ(s.Reason, c.Reason) << c.Text;
  }
  EXPECT_TRUE(LooksLikeDataWindow(Split("$PBExportHeader$x.txt\nrelease 12.5;\n datawindow(units=0)")));
  EXPECT_FALSE(LooksLikeDataWindow(Split("release 12.5;\nrelease notes follow")));
}

TEST(DataWindow, TextFormHasOneAttributePerLineWithItsOrigin) {
  TDwParse p = Parse(kEmployees);
  ASSERT_TRUE(p.DataWindow) << p.Reason;
  TTextForm form = DataWindowTextForm(Split(kEmployees), *p.DataWindow);
  ASSERT_EQ(form.Lines.size(), form.Origins.size());
  std::vector<std::string> head(form.Lines.begin(), form.Lines.begin() + 9);
  EXPECT_EQ(head, (std::vector<std::string>{"$PBExportHeader$d_emp.srd", "$PBExportComments$Employees", "release 10;",
                                            "datawindow(", "\tunits=0", "\tcolor=16777215", "\tprint.orientation=0", ")",
                                            "header("}));
  auto at = std::find(form.Lines.begin(), form.Lines.end(), "\tcolumn=(");
  ASSERT_NE(at, form.Lines.end());
  std::size_t i = static_cast<std::size_t>(at - form.Lines.begin());
  EXPECT_EQ(form.Lines[i + 1], "\t\ttype=long");
  EXPECT_EQ(form.Origins[i + 1].Object, "table.column emp_id");
  EXPECT_EQ(form.Origins[i + 1].Attribute, "type");
  auto sql = std::find(form.Lines.begin(), form.Lines.end(), " COLUMN(NAME=~\"employee.emp_name~\")) \"");
  ASSERT_NE(sql, form.Lines.end());
  EXPECT_EQ(form.Origins[static_cast<std::size_t>(sql - form.Lines.begin())].Attribute, "retrieve");
  EXPECT_EQ(form.Lines.back(), ")");
  EXPECT_EQ(form.Origins.back().Object, "xhtmlgen");
}

// The text form of every real DataWindow is a DataWindow with the same objects and attributes.
TEST(RealDataWindows, TextFormsParseToTheSameDataWindow) {
  SKIP_WITHOUT_PFC();
  for (const auto& file : pbtest::AllExports()) {
    if (file.extension() != ".srd") continue;
    std::vector<std::string> lines = pbtest::Load(file);
    TStructure s = ParseStructure(lines, file.filename().string());
    ASSERT_EQ(s.Type, TTextType::DataWindow) << file << ": " << s.Reason;
    TTextForm form = DataWindowTextForm(lines, *s.DataWindow);
    TStructure f = ParseStructure(form.Lines);
    ASSERT_EQ(f.Type, TTextType::DataWindow) << file << ": " << f.Reason;
    TStructuredDiff d = CompareStructures(s, lines, f, form.Lines, {});
    EXPECT_TRUE(d.Same) << file << ": " << (d.Items.empty() ? "" : d.Items[0].Object + " " + d.Items[0].Attribute);
    EXPECT_EQ(d.Ignored, 0) << file;
    EXPECT_EQ(s.DataWindow->Objects.size(), f.DataWindow->Objects.size()) << file;
  }
}

std::shared_ptr<TDefaults> ShippedDefaults() {
  auto table = std::make_shared<TDefaults>();
  EXPECT_TRUE(table->AddText(platform::ReadFileBytes(QUORVEX_DEFAULTS_FILE)).empty());
  return table;
}

std::string ItemText(const TItem& i) {
  return std::string(StatusName(i.Status)) + " " + i.Object + (i.Attribute.empty() ? "" : ": " + i.Attribute);
}

TEST(RealDataWindows, AMigrationReducesToItsRealChanges) {
  SKIP_WITHOUT_PFC();
  auto old = pbtest::Load(pbtest::Pfc() / "PB105/Source/pfcdwsrv/d_filtersimple.srd");
  auto now = pbtest::Load(pbtest::Pb2021("pfcdwsrv", "d_filtersimple.srd"));
  TStructure s1 = ParseStructure(old), s2 = ParseStructure(now);
  auto defaults = ShippedDefaults();
  TCompareRules rules;
  rules.IgnoreDefaults = true;
  rules.Defaults = defaults.get();
  TStructuredDiff d = CompareStructures(s1, old, s2, now, rules);
  std::vector<std::string> items;
  for (const auto& i : d.Items) items.push_back(ItemText(i));
  // The input-method modes of drop-down lists, which newer releases drop, are defaults too.
  EXPECT_EQ(items, (std::vector<std::string>{"changed release", "changed table.column oper: type",
                                             "changed table.column oper: values"}));
  EXPECT_EQ(d.Items[0].Old, "8");
  EXPECT_EQ(d.Items[0].New, "12.5");
  EXPECT_EQ(d.Items[1].Old, "char(2)");
  EXPECT_EQ(d.Ignored, dfDefaults | dfOrder);  // the texts now come before the columns
  // Without the table every default the newer release wrote is a change.
  EXPECT_GT(CompareStructures(s1, old, s2, now, {}).Items.size(), 200u);
}

// Twelve DataWindows re-saved by a newer release, with a few real edits in the same commit:
// what is left under the table is what the developer changed, never an attribute the release
// added or dropped with its default value.
TEST(RealDataWindows, MigratedDataWindowsLeaveOnlyTheirRealEdits) {
  const fs::path dir = testsupport::TestDataDir() / "dwmigrate";
  if (testsupport::TestDataDir().empty() || !fs::is_directory(dir)) GTEST_SKIP() << "../shared/testdata/dwmigrate is not there";
  auto defaults = ShippedDefaults();
  TCompareRules rules;
  rules.IgnoreDefaults = rules.IgnorePosition = true;
  rules.Defaults = defaults.get();
  std::vector<std::string> oneSided;
  for (const auto& e : fs::directory_iterator(dir / "release19")) {
    auto old = pbtest::Load(e.path());
    auto now = pbtest::Load(dir / "release22" / e.path().filename());
    TStructuredDiff d = CompareStructures(ParseStructure(old), old, ParseStructure(now), now, rules);
    for (const auto& i : d.Items)
      if (i.Status != TItemStatus::Changed) oneSided.push_back(ItemText(i) + "=" + (i.New ? *i.New : *i.Old));
  }
  EXPECT_EQ(oneSided, std::vector<std::string>{"added column stateprovinceid: dddw.autocompletemode=suggestappend"});
}

// The by-section view of a migration: every line once, attribute opposite attribute, and only the
// real changes counted.
TEST(RealDataWindows, TheViewOfAMigrationCountsOnlyTheRealChanges) {
  SKIP_WITHOUT_PFC();
  auto old = pbtest::Load(pbtest::Pfc() / "PB105/Source/pfcdwsrv/d_filtersimple.srd");
  auto now = pbtest::Load(pbtest::Pb2021("pfcdwsrv", "d_filtersimple.srd"));
  auto defaults = ShippedDefaults();
  TCompareRules rules;
  rules.IgnoreDefaults = true;
  rules.Defaults = defaults.get();
  TSectionView view = BuildSectionView(old, now, "d_filtersimple.srd", "d_filtersimple.srd", rules);
  ASSERT_TRUE(view.Structured) << view.Reason;
  EXPECT_EQ(view.Lines2.size(), view.Origins2.size());
  EXPECT_EQ(view.Diff.Items.size(), 3u);
  std::set<std::string> counted;
  std::vector<int> seen1(view.Lines1.size()), seen2(view.Lines2.size());
  for (const auto& r : view.Rows) {
    if (r.Line1 >= 0) ++seen1[static_cast<std::size_t>(r.Line1)];
    if (r.Line2 >= 0) ++seen2[static_cast<std::size_t>(r.Line2)];
    if (r.Line1 >= 0 && r.Line2 >= 0) {
      EXPECT_EQ(view.Origins1[static_cast<std::size_t>(r.Line1)].Object, view.Origins2[static_cast<std::size_t>(r.Line2)].Object);
      EXPECT_EQ(view.Origins1[static_cast<std::size_t>(r.Line1)].Attribute,
                view.Origins2[static_cast<std::size_t>(r.Line2)].Attribute);
    }
    if (r.Kind == 0 || r.Ignored) continue;
    const TLineOrigin& o = r.Line1 >= 0 ? view.Origins1[static_cast<std::size_t>(r.Line1)]
                                        : view.Origins2[static_cast<std::size_t>(r.Line2)];
    counted.insert(o.Object + (o.Attribute.empty() ? "" : ": " + o.Attribute));
  }
  EXPECT_EQ(std::count(seen1.begin(), seen1.end(), 1), static_cast<long>(seen1.size()));
  EXPECT_EQ(std::count(seen2.begin(), seen2.end(), 1), static_cast<long>(seen2.size()));
  EXPECT_EQ(counted, (std::set<std::string>{"release", "table.column oper: type", "table.column oper: values"}));
}

TEST(RealDataWindows, ACopyWithOnlyPositionsChangedIsTheSameIgnoringPosition) {
  SKIP_WITHOUT_PFC();
  auto lines = pbtest::Load(pbtest::Pb2021("pfcapsrv", "d_dirattrib.srd"));
  std::vector<std::string> moved;
  const std::regex position("( (x|y|width|height)=\")([0-9]+)");
  for (const auto& line : lines) moved.push_back(std::regex_replace(line, position, "$1$3 7"));
  ASSERT_NE(moved, lines);
  TStructure s1 = ParseStructure(lines), s2 = ParseStructure(moved);
  TStructuredDiff strict = CompareStructures(s1, lines, s2, moved, {});
  ASSERT_FALSE(strict.Items.empty());
  for (const auto& i : strict.Items) EXPECT_TRUE(IsPositionAttribute(i.Attribute)) << ItemText(i);
  TCompareRules rules;
  rules.IgnorePosition = true;
  TStructuredDiff loose = CompareStructures(s1, lines, s2, moved, rules);
  EXPECT_TRUE(loose.Same);
  EXPECT_EQ(loose.Ignored, dfPosition);
}

TEST(Defaults, RulesMatchKeywordsAndNamesWithWildcardsAndQuotedValues) {
  TDefaults table;
  EXPECT_EQ(table.AddText("# comment\n*  *gradient.color=8421504\ncolumn,text tooltip.enabled=\"0\"\n"
                          "+ xhtmlgen, export.*\nbroken line\nno_value\n"),
            (std::vector<std::string>{"line 5: not OBJECTS ATTRIBUTE=VALUE: broken line",
                                      "line 6: not OBJECTS ATTRIBUTE=VALUE: no_value"}));
  struct {
    const char* Keyword;
    const char* Attribute;
    const char* Value;
    bool Default;
  } cases[] = {
      {"header", "gradient.color", "\"8421504\"", true},  {"column", "Background.Gradient.Color", "8421504", true},
      {"column", "gradient.color", "8421505", false},     {"TEXT", "tooltip.enabled", "0", true},
      {"compute", "tooltip.enabled", "0", false},         {"text", "tooltip.enabled", "1", false},
  };
  for (const auto& c : cases) EXPECT_EQ(table.IsDefault(c.Keyword, c.Attribute, c.Value), c.Default) << c.Attribute;
  EXPECT_TRUE(table.IsAddedObject("export.pdf"));
  EXPECT_FALSE(table.IsAddedObject("htmltable"));
  EXPECT_TRUE(MatchNoCase("a*b*c", "aXXbYc"));
  EXPECT_FALSE(MatchNoCase("a*b*c", "aXXbY"));
  EXPECT_TRUE(MatchNoCase("?x*", "Ax"));
}

TEST(Defaults, TheShippedTableIsFoundBesideTheProgramOrInShareAndTheUsersIsAdded) {
  testsupport::TTempDir dir;
  std::filesystem::create_directories(dir.Path() / "bin");
  std::filesystem::create_directories(dir.Path() / "share/quorvex");
  std::filesystem::create_directories(dir.Path() / "config/quorvex");
  dir.Write("share/quorvex/dwdefaults.txt", "* a=1\n");
  dir.Write("config/quorvex/dwdefaults.txt", "* b=2\nbad\n");
  std::string saved = std::getenv("XDG_CONFIG_HOME") ? std::getenv("XDG_CONFIG_HOME") : "";
  setenv("XDG_CONFIG_HOME", (dir.Path() / "config").c_str(), 1);
  TLoadedDefaults loaded = LoadDefaults(dir.Path() / "bin");
  ASSERT_TRUE(loaded.Table);
  EXPECT_TRUE(loaded.Table->IsDefault("x", "a", "1"));
  EXPECT_TRUE(loaded.Table->IsDefault("x", "b", "2"));
  EXPECT_EQ(loaded.Files.size(), 2u);
  ASSERT_EQ(loaded.Warnings.size(), 1u);
  EXPECT_NE(loaded.Warnings[0].find("line 2"), std::string::npos);
  // Beside the program comes first.
  dir.Write("bin/dwdefaults.txt", "* c=3\n");
  EXPECT_TRUE(LoadDefaults(dir.Path() / "bin").Table->IsDefault("x", "c", "3"));
  EXPECT_FALSE(LoadDefaults(dir.Path() / "bin").Table->IsDefault("x", "a", "1"));
  // Nowhere to be found: no table, and where it was looked for.
  testsupport::TTempDir elsewhere;
  TLoadedDefaults none = LoadDefaults(elsewhere.Path() / "bin");
  EXPECT_FALSE(none.Table);
  EXPECT_EQ(none.Looked.size(), 2u);
  if (saved.empty()) unsetenv("XDG_CONFIG_HOME");
  else setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
}

}  // namespace
